// The `ff:` command line parser: the three forms, every option letter of
// each form, and errors that leave the fields read before them set.
#include "module/entry/ff_command.hpp"

#include <gtest/gtest.h>

#include "module/entry/dispatch.hpp"
#include "module/base/settings.hpp"
#include "tests/support/recording_host.hpp"

namespace {

class CommandLine : public testing::Test {
 protected:
  void SetUp() override {
    FMask = "stored mask";
    FText = "stored text";
    FRReplace = "stored replacement";
    FSearchAs = 0;
    FCaseSensitive = 0;
    FSInverse = 0;
    FRConfirmFile = FRConfirmLine = FRSaveOriginal = FROpenModified = 0;
  }

  // Parses and returns its result; the outputs start as -1 so that a
  // missing assignment shows.
  int Parse(const char* text) {
    show_dialog_ = -1;
    command_ = -1;
    return ParseCommandLine(text, &show_dialog_, &command_);
  }

  void ExpectSyntaxBox() {
    ASSERT_EQ(host_.messages.size(), 1u);
    const RecordedMessage& box = host_.messages[0];
    EXPECT_EQ(box.flags, FMSG_WARNING);
    EXPECT_EQ(box.help_topic, "QXInvalidCmdLine");
    EXPECT_EQ(box.items, (std::vector<std::string>{"M18", "M109", "M0"}));
    EXPECT_EQ(box.buttons, 1);
  }

  RecordingHost host_;
  int show_dialog_ = -1;
  int command_ = -1;
};

// --- The three forms ---

TEST_F(CommandLine, LeadingBlankSearchesForTheRestAsItIs) {
  ASSERT_EQ(Parse(" abc"), 1);
  EXPECT_EQ(FText, "abc");
  EXPECT_EQ(FMask, "stored mask");
  EXPECT_EQ(command_, kFileSearch);
  EXPECT_EQ(show_dialog_, 0);

  ASSERT_EQ(Parse("\t  two words /d "), 1);
  EXPECT_EQ(FText, "  two words /d ");  // nothing after the blank is read as options
  EXPECT_EQ(show_dialog_, 0);
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(CommandLine, ThreeDelimitersSearchWithMaskAndText) {
  ASSERT_EQ(Parse("/*.txt/foo/"), 1);
  EXPECT_EQ(FMask, "*.txt");
  EXPECT_EQ(FText, "foo");
  EXPECT_EQ(FRReplace, "stored replacement");
  EXPECT_EQ(command_, kFileSearch);
  EXPECT_EQ(show_dialog_, 0);
}

TEST_F(CommandLine, FourDelimitersReplace) {
  ASSERT_EQ(Parse("/*.txt/foo/bar/"), 1);
  EXPECT_EQ(FMask, "*.txt");
  EXPECT_EQ(FText, "foo");
  EXPECT_EQ(FRReplace, "bar");
  EXPECT_EQ(command_, kFileReplace);
  EXPECT_EQ(show_dialog_, 0);

  ASSERT_EQ(Parse("/*.txt/foo/bar/d"), 1);
  EXPECT_EQ(command_, kFileReplace);
  EXPECT_EQ(show_dialog_, 1);
}

TEST_F(CommandLine, AnyCharacterDelimitsAndMayBeUsedInsideOtherForms) {
  ASSERT_EQ(Parse("|*.c|a/b|x|rc"), 1);
  EXPECT_EQ(FMask, "*.c");
  EXPECT_EQ(FText, "a/b");
  EXPECT_EQ(FRReplace, "x");
  EXPECT_EQ(FSearchAs, 1);
  EXPECT_EQ(FCaseSensitive, 1);
  EXPECT_EQ(command_, kFileReplace);

  // A code page 866 letter (a signed char) works like any other delimiter.
  ASSERT_EQ(Parse("\xB3*.h\xB3x\xB3"), 1);
  EXPECT_EQ(FMask, "*.h");
  EXPECT_EQ(FText, "x");
}

TEST_F(CommandLine, EmptyFieldsAreKeptEmpty) {
  ASSERT_EQ(Parse("////"), 1);
  EXPECT_EQ(FMask, "");
  EXPECT_EQ(FText, "");
  EXPECT_EQ(FRReplace, "");
  EXPECT_EQ(command_, kFileReplace);
}

TEST_F(CommandLine, RenameLetterTurnsTheReplaceIntoARename) {
  ASSERT_EQ(Parse("/*.txt/foo/bar/n"), 1);
  EXPECT_EQ(command_, kRenameFiles);
  EXPECT_EQ(show_dialog_, 0);
  ASSERT_EQ(Parse("/*.txt/foo/bar/Nd"), 1);
  EXPECT_EQ(command_, kRenameFiles);
  EXPECT_EQ(show_dialog_, 1);
}

// --- Option letters ---

struct LetterRow {
  char letter;
  int* setting;
  int value;
};

TEST_F(CommandLine, EverySearchOptionLetterSetsItsValue) {
  const LetterRow rows[] = {
      {'P', &FSearchAs, 0}, {'p', &FSearchAs, 0}, {'R', &FSearchAs, 1}, {'r', &FSearchAs, 1},
      {'S', &FSearchAs, 2}, {'s', &FSearchAs, 2}, {'M', &FSearchAs, 3}, {'m', &FSearchAs, 3},
      {'A', &FSearchAs, 4}, {'a', &FSearchAs, 4}, {'L', &FSearchAs, 5}, {'l', &FSearchAs, 5},
      {'c', &FCaseSensitive, 1}, {'C', &FCaseSensitive, 0}, {'i', &FSInverse, 1},
      {'I', &FSInverse, 0},
  };
  for (const LetterRow& row : rows) {
    SCOPED_TRACE(std::string("letter ") + row.letter);
    *row.setting = row.value == 0 ? 7 : 0;  // something the letter must change
    std::string text = std::string("/m/t/") + row.letter;
    ASSERT_EQ(Parse(text.c_str()), 1);
    EXPECT_EQ(*row.setting, row.value);
    EXPECT_EQ(command_, kFileSearch);
  }
}

TEST_F(CommandLine, EveryReplaceOptionLetterSetsItsValue) {
  const LetterRow rows[] = {
      {'P', &FSearchAs, 0},       {'p', &FSearchAs, 0},      {'R', &FSearchAs, 1},
      {'r', &FSearchAs, 1},       {'S', &FSearchAs, 2},      {'s', &FSearchAs, 2},
      {'c', &FCaseSensitive, 1},  {'C', &FCaseSensitive, 0}, {'f', &FRConfirmFile, 1},
      {'F', &FRConfirmFile, 0},   {'e', &FRConfirmLine, 1},  {'E', &FRConfirmLine, 0},
      {'o', &FRSaveOriginal, 1},  {'O', &FRSaveOriginal, 0}, {'v', &FROpenModified, 1},
      {'V', &FROpenModified, 0},
  };
  for (const LetterRow& row : rows) {
    SCOPED_TRACE(std::string("letter ") + row.letter);
    *row.setting = row.value == 0 ? 7 : 0;
    std::string text = std::string("/m/t/r/") + row.letter;
    ASSERT_EQ(Parse(text.c_str()), 1);
    EXPECT_EQ(*row.setting, row.value);
    EXPECT_EQ(command_, kFileReplace);
  }
}

TEST_F(CommandLine, LaterLettersOverrideEarlierOnes) {
  ASSERT_EQ(Parse("/m/t/cCdDrA"), 1);
  EXPECT_EQ(FCaseSensitive, 0);
  EXPECT_EQ(show_dialog_, 0);
  EXPECT_EQ(FSearchAs, 4);
  ASSERT_EQ(Parse("/m/t/x/Dd"), 1);
  EXPECT_EQ(show_dialog_, 1);
}

// --- Errors ---

TEST_F(CommandLine, EmptyTextShowsTheBox) {
  EXPECT_EQ(Parse(""), 0);
  ExpectSyntaxBox();
  EXPECT_EQ(FText, "stored text");
}

TEST_F(CommandLine, MissingThirdDelimiterKeepsTheMaskAlreadyRead) {
  EXPECT_EQ(Parse("/*.txt/foo"), 0);
  ExpectSyntaxBox();
  EXPECT_EQ(FMask, "*.txt");
  EXPECT_EQ(FText, "stored text");
}

TEST_F(CommandLine, MissingSecondDelimiterIsAnError) {
  EXPECT_EQ(Parse("/*.txt"), 0);
  ExpectSyntaxBox();
  EXPECT_EQ(FMask, "stored mask");
}

TEST_F(CommandLine, LettersOfTheOtherFormOrBlanksAreErrors) {
  const char* texts[] = {"/*.txt/foo/x",  "/m/t/n",    "/m/t/f",  "/m/t/r/i",
                         "/m/t/r/M",      "/m/t/ c",   "/m/t/r/a", "/m/t/r/c "};
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    host_.messages.clear();
    EXPECT_EQ(Parse(text), 0);
    ExpectSyntaxBox();
  }
}

TEST_F(CommandLine, OptionsBeforeAnErrorHaveTakenEffect) {
  EXPECT_EQ(Parse("/*.log/needle/ci?"), 0);
  EXPECT_EQ(FMask, "*.log");
  EXPECT_EQ(FText, "needle");
  EXPECT_EQ(FCaseSensitive, 1);
  EXPECT_EQ(FSInverse, 1);
}

}  // namespace
