// The replace engine on single files, with the settings set directly.
#include "module/files/replace_source.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include "module/match/case_table.hpp"
#include "module/files/file_patterns.hpp"
#include "module/files/replace_questions.hpp"
#include "module/files/walk.hpp"
#include "module/base/run_state.hpp"
#include "module/base/settings.hpp"
#include "tests/support/recording_host.hpp"
#include "tests/support/temp_folder.hpp"

namespace {

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
    return ReplaceInFile(entry);
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
  const std::string big(512 * 1024, 'a');
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
