// The replace engine on single files, with the settings set directly.
#include "module/files/replace_source.hpp"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "module/match/case_table.hpp"
#include "module/files/file_patterns.hpp"
#include "module/files/queued_commits.hpp"
#include "module/files/replace_questions.hpp"
#include "module/files/walk.hpp"
#include "module/base/run_state.hpp"
#include "module/base/settings.hpp"
#include "tests/support/recording_host.hpp"
#include "tests/support/temp_folder.hpp"

namespace {

// Runs perl -pi on a file with the given switches and substitution.
void PerlInPlace(const std::string& switches, const std::string& expression,
                 const std::string& path) {
  std::vector<std::string> args = {"perl", switches, "-pi", "-e", expression, path};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  ASSERT_EQ(posix_spawnp(&pid, "perl", nullptr, nullptr, argv.data(), environ), 0);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_EQ(status, 0);
}

std::string WithCrLf(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

class ReplaceEngine : public testing::Test {
 protected:
  void SetUp() override {
    BuildOemUpperTable();
    FCaseSensitive = 0;
    FRConfirmLine = 0;
    FRSaveOriginal = 0;
    FMaskAsRegExp = 0;
    FRConfirmFile = 0;
    StartRun();
    ReadAtOnceLimit = 1024;
    SeveralLines = 5;
  }
  void TearDown() override { ReleaseFileState(); }

  // Replaces in one file of the folder and returns whether it was rewritten.
  bool Replace(const std::string& name, int mode, const std::string& text,
               const std::string& replacement) {
    FSearchAs = mode;
    FText = text;
    FRReplace = replacement;
    EXPECT_EQ(PreparePatterns(), 1);
    WIN32_FIND_DATAA entry{};
    std::snprintf(entry.cFileName, sizeof entry.cFileName, "%s", folder_.Module(name).c_str());
    entry.dwFileAttributes = GetFileAttributesA(entry.cFileName);
    const bool handed_over = ReplaceInFile(entry);
    ResultList committed;
    FinishCommits(committed);
    return handed_over && committed.size() == 1;
  }

  std::string Content(const std::string& name) { return ReadText(folder_.Posix(name)); }

  RecordingHost host_;
  TempFolder folder_;
};

}  // namespace

TEST_F(ReplaceEngine, EmptySearchTextReplacesNothingInAnyMode) {
  WriteText(folder_.Posix("a.txt"), "abc");
  for (int mode : {0, 1, 2}) {
    SCOPED_TRACE(mode);
    EXPECT_FALSE(Replace("a.txt", mode, "", "#"));
    EXPECT_EQ(Content("a.txt"), "abc");
  }
}

TEST_F(ReplaceEngine, WindowEndIsNoLineEndUnlessTheFileEndsThere) {
  WriteText(folder_.Posix("a.txt"), "ab\ncd\nef\n");
  SeveralLines = 2;
  EXPECT_TRUE(Replace("a.txt", 2, "$", "!"));
  EXPECT_EQ(Content("a.txt"), "ab!\ncd!\nef!\n!");
}

TEST_F(ReplaceEngine, EmptyMatchAtAWindowEdgeIsReplacedOnce) {
  WriteText(folder_.Posix("a.txt"), "ab\ncd\n");
  SeveralLines = 1;
  EXPECT_TRUE(Replace("a.txt", 2, "x*", "-"));
  EXPECT_EQ(Content("a.txt"), "-a-b-\n-c-d-\n-");
}

TEST_F(ReplaceEngine, MappedFileThatShrinksDuringTheScanIsNotCommitted) {
  const std::string big((16 << 20) + 1, 'a');  // larger than what is read instead of mapped
  WriteText(folder_.Posix("big.txt"), big);
  ReadAtOnceLimit = 0;  // every file is mapped
  FRConfirmFile = 1;    // the file question comes while the scan is on
  const std::string path = folder_.Posix("big.txt");
  host_.on_message = [&] {
    if (host_.messages.size() == 1) {
      ASSERT_EQ(truncate(path.c_str(), 10), 0);
    }
  };
  EXPECT_FALSE(Replace("big.txt", 0, "a", "b"));
  EXPECT_EQ(Content("big.txt"), std::string(10, 'a'));  // what the other program left
  ASSERT_EQ(host_.messages.size(), 2u);
  EXPECT_EQ(host_.messages[1].help_topic, "FRReadError");
}

TEST_F(ReplaceEngine, ABackupNameThatWouldNotFitIsABackupError) {
  // "C:" + folder + "\" + name is 257 bytes: the name fits, NAME.old does not.
  const std::string name(254 - folder_.path().size(), 'n');
  WriteText(folder_.Posix(name), "foo");
  FRSaveOriginal = 1;
  EXPECT_FALSE(Replace(name, 0, "foo", "bar"));
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].help_topic, "FRBackupError");
  EXPECT_EQ(Content(name), "foo");
}

// Line and window modes against perl (lines: -l, each line without its
// end; windows: the whole file, for patterns whose matches span fewer
// lines than a window). With crlf, the file holds CR LF where perl's copy
// holds LF, and perl's result is compared with its LFs turned to CR LF.
TEST_F(ReplaceEngine, LineAndWindowModesGiveWhatPerlGives) {
  struct Case {
    int mode;
    int several;
    const char* pattern;
    const char* replacement;
    const char* content;
    bool crlf;
  } cases[] = {
      // After an empty match, a non-empty one at the same place is taken.
      {1, 1, "x*|b", "-", "ab\nbab\nxb\n", false},
      {2, 2, "x*|b", "-", "ab\nbab\n", false},
      {1, 1, "x*", "-", "abx\n", false},
      // A window's end is no subject's end: look-aheads see what follows.
      {2, 2, "foo\\n(?!bar)", "X\\n", "a\nfoo\nbar\nfoo\nbaz\nfoo\n", false},
      {2, 3, "o\\n(?=b)", "O\\n", "foo\nfoo\nbar\nfoo\nbaz\n", false},
      // CR LF is one line end.
      {2, 2, "$", "-", "ab\ncd\n", true},
      {2, 2, "^", "-", "ab\ncd\n", true},
      {1, 1, "x*", "-", "ab\ncd\n", true},
      {2, 1, "b$", "B", "ab\nb\n", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " in mode " + std::to_string(c.mode));
    const std::string perl_path = folder_.Posix("perl.txt");
    WriteText(perl_path, c.content);
    PerlInPlace(c.mode == 1 ? "-l" : "-0777",
                std::string("s/") + c.pattern + "/" + c.replacement + "/mg", perl_path);
    const std::string expected = c.crlf ? WithCrLf(ReadText(perl_path)) : ReadText(perl_path);
    WriteText(folder_.Posix("a.txt"), c.crlf ? WithCrLf(c.content) : c.content);
    SeveralLines = c.several;
    StartRun();  // each row is a command of its own
    Replace("a.txt", c.mode, c.pattern, c.replacement);
    EXPECT_EQ(Content("a.txt"), expected);
  }
}

// A file the pattern cannot decide within its limits is left whole, with
// a box that says why.
TEST_F(ReplaceEngine, AFileThePatternCannotDecideIsLeftAsItWas) {
  const std::string runaway = "yes\n" + std::string(40, 'a') + "c\n";
  WriteText(folder_.Posix("runaway.txt"), runaway);
  EXPECT_FALSE(Replace("runaway.txt", 1, "(a+)+\\1b|yes", "no"));
  EXPECT_EQ(Content("runaway.txt"), runaway);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].help_topic, "FRUndecided");
}
