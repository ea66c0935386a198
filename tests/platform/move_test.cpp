// Moves: MoveFileA never replaces, MoveFileExA replaces atomically when
// asked, and every failure leaves the entries as they were.
#include <sys/stat.h>

#include <deque>
#include <string>

#include <gtest/gtest.h>

#include "platform/win32.hpp"
#include "tests/support/temp_folder.hpp"

namespace {

constexpr DWORD kUntouched = 0xdeadbeef;

class MoveTest : public ::testing::Test {
 protected:
  const char* M(const std::string& relative) {
    names_.push_back(folder_.Module(relative));
    return names_.back().c_str();
  }

  TempFolder folder_;

 private:
  std::deque<std::string> names_;  // keeps module paths alive for the call
};

// ---------------------------------------------------------------------------
// Moves
// ---------------------------------------------------------------------------
TEST_F(MoveTest, MoveFileRenamesAndLeavesLastErrorAlone) {
  WriteText(folder_.Posix("a"), "A");
  SetLastError(kUntouched);
  ASSERT_TRUE(MoveFileA(M("a"), M("b")));
  EXPECT_EQ(GetLastError(), kUntouched);
  EXPECT_FALSE(Exists(folder_.Posix("a")));
  EXPECT_EQ(ReadText(folder_.Posix("b")), "A");
}

TEST_F(MoveTest, MoveFileFailsWithAlreadyExistsAndLeavesBothFiles) {
  WriteText(folder_.Posix("a"), "A");
  WriteText(folder_.Posix("b"), "B");
  ASSERT_EQ(mkdir(folder_.Posix("dir").c_str(), 0755), 0);
  for (const char* target : {"b", "dir"}) {
    SCOPED_TRACE(target);
    SetLastError(kUntouched);
    EXPECT_FALSE(MoveFileA(M("a"), M(target)));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  }
  EXPECT_EQ(ReadText(folder_.Posix("a")), "A");
  EXPECT_EQ(ReadText(folder_.Posix("b")), "B");
}

TEST_F(MoveTest, MoveFileMovesFolderButNotOntoAnother) {
  ASSERT_EQ(mkdir(folder_.Posix("d1").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(folder_.Posix("d2").c_str(), 0755), 0);
  WriteText(folder_.Posix("d1/inside"), "x");
  EXPECT_FALSE(MoveFileA(M("d1"), M("d2")));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  ASSERT_TRUE(MoveFileA(M("d1"), M("d3")));
  EXPECT_EQ(ReadText(folder_.Posix("d3/inside")), "x");
}

TEST_F(MoveTest, MoveFileNamesWhatIsMissing) {
  WriteText(folder_.Posix("a"), "A");
  struct Row {
    const char* from;
    const char* to;
    DWORD error;
  } rows[] = {
      {"missing", "b", ERROR_FILE_NOT_FOUND},
      {"no\\a", "b", ERROR_PATH_NOT_FOUND},
      {"a", "no\\b", ERROR_PATH_NOT_FOUND},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.from) + " -> " + row.to);
    SetLastError(kUntouched);
    EXPECT_FALSE(MoveFileA(M(row.from), M(row.to)));
    EXPECT_EQ(GetLastError(), row.error);
  }
  EXPECT_EQ(ReadText(folder_.Posix("a")), "A");
}

TEST_F(MoveTest, MoveFileExReplacesExistingFile) {
  WriteText(folder_.Posix("new"), "new content");
  WriteText(folder_.Posix("old"), "old content");
  for (DWORD flags :
       {MOVEFILE_REPLACE_EXISTING, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH}) {
    SCOPED_TRACE(flags);
    SetLastError(kUntouched);
    ASSERT_TRUE(MoveFileExA(M("new"), M("old"), flags));
    EXPECT_EQ(GetLastError(), kUntouched);
    EXPECT_FALSE(Exists(folder_.Posix("new")));
    EXPECT_EQ(ReadText(folder_.Posix("old")), "new content");
    WriteText(folder_.Posix("new"), "new content");
  }
}

TEST_F(MoveTest, MoveFileExWithoutReplaceBehavesAsMoveFile) {
  WriteText(folder_.Posix("a"), "A");
  WriteText(folder_.Posix("b"), "B");
  EXPECT_FALSE(MoveFileExA(M("a"), M("b"), MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(ReadText(folder_.Posix("b")), "B");
}

TEST_F(MoveTest, MoveFileExRefusesToReplaceReadOnlyFileOrFolder) {
  WriteText(folder_.Posix("a"), "A");
  WriteText(folder_.Posix("locked"), "L");
  ASSERT_EQ(chmod(folder_.Posix("locked").c_str(), 0444), 0);
  ASSERT_EQ(mkdir(folder_.Posix("dir").c_str(), 0755), 0);
  for (const char* target : {"locked", "dir"}) {
    SCOPED_TRACE(target);
    SetLastError(kUntouched);
    EXPECT_FALSE(MoveFileExA(M("a"), M(target), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  }
  EXPECT_EQ(ReadText(folder_.Posix("a")), "A");
  EXPECT_EQ(ReadText(folder_.Posix("locked")), "L");
}

TEST_F(MoveTest, MoveFileExRefusesUnknownFlagsAndMissingTarget) {
  WriteText(folder_.Posix("a"), "A");
  SetLastError(kUntouched);
  EXPECT_FALSE(MoveFileExA(M("a"), M("b"), 0x4 /* MOVEFILE_DELAY_UNTIL_REBOOT */));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(MoveFileExA(M("a"), nullptr, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(Exists(folder_.Posix("a")));
}

}  // namespace
