// The advanced criteria: typed dates, size bounds, attributes and the
// full-path pattern.
#include "module/files/criteria.hpp"

#include <gtest/gtest.h>

#include <cstring>

#include "module/files/date_binding.hpp"
#include "module/base/settings.hpp"
#include "tests/support/recording_host.hpp"

namespace {

class Criteria : public testing::Test {
 protected:
  void SetUp() override {
    FADateBefore = FADateAfter = FASizeLess = FASizeGreater = FAAttributes = FAFullPathMatch = 0;
    FAReadOnly = FAArchive = FAHidden = FASystem = FACompressed = FAEncrypted = 2;
  }
  void TearDown() override { FullPathPattern.Release(); }

  static WIN32_FIND_DATAA Entry(const char* path, uint64_t size = 0, DWORD attributes = 0,
                                FILETIME written = {}) {
    WIN32_FIND_DATAA entry{};
    std::snprintf(entry.cFileName, sizeof entry.cFileName, "%s", path);
    entry.nFileSizeLow = static_cast<DWORD>(size);
    entry.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    entry.dwFileAttributes = attributes;
    entry.ftLastWriteTime = written;
    return entry;
  }

  RecordingHost host_;
};

FILETIME Date(const char* text) {
  FILETIME time{};
  EXPECT_TRUE(ParseDate(text, &time)) << text;
  return time;
}

}  // namespace

TEST_F(Criteria, DateTexts) {
  struct Row {
    const char* text;
    bool accepted;
  } rows[] = {
      {"5.3.2004", true},           {"05/03/2004 10:20", true}, {"5.3/2004 10:20:30", true},
      {"  1.1.1980 0:0:0  ", true}, {"5-3-2004", false},        {"2004.3.5 12", false},
      {"abc", false},               {"31.2.2004", false},        {"1.1.99", false},
      {"1.13.2004", false},         {"1.1.2004 24", false},      {"99999999999.1.2004", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    FILETIME time;
    EXPECT_EQ(ParseDate(row.text, &time), row.accepted);
  }
  SYSTEMTIME st;
  FILETIME t = Date("5.3/2004 10:20:30");
  ASSERT_TRUE(FileTimeToSystemTime(&t, &st));
  EXPECT_EQ(st.wDay, 5);
  EXPECT_EQ(st.wMonth, 3);
  EXPECT_EQ(st.wYear, 2004);
  EXPECT_EQ(st.wSecond, 30);
}

TEST_F(Criteria, EqualDateBoundsPassOnlyThatTime) {
  FILETIME bound = Date("5.3.2004 10:20:30");
  FADateAfter = FADateBefore = 1;
  FADateAfterLo = FADateBeforeLo = static_cast<int>(bound.dwLowDateTime);
  FADateAfterHi = FADateBeforeHi = static_cast<int>(bound.dwHighDateTime);
  FILETIME later = bound;
  later.dwLowDateTime += 1;
  FILETIME earlier = bound;
  earlier.dwLowDateTime -= 1;
  EXPECT_TRUE(MatchesCriteria(Entry("C:\\a", 0, 0, bound)));
  EXPECT_FALSE(MatchesCriteria(Entry("C:\\a", 0, 0, later)));
  EXPECT_FALSE(MatchesCriteria(Entry("C:\\a", 0, 0, earlier)));
}

TEST_F(Criteria, SizeBoundsAreStrictAndUseTheWholeSize) {
  FASizeGreater = 1;
  FASizeGreaterLimit = 100;
  EXPECT_FALSE(MatchesCriteria(Entry("C:\\a", 100)));
  EXPECT_TRUE(MatchesCriteria(Entry("C:\\a", 101)));
  FASizeGreater = 0;
  FASizeLess = 1;
  FASizeLessLimit = 100;
  EXPECT_TRUE(MatchesCriteria(Entry("C:\\a", 99)));
  EXPECT_FALSE(MatchesCriteria(Entry("C:\\a", 100)));
  EXPECT_FALSE(MatchesCriteria(Entry("C:\\a", (1ull << 32) + 5)));  // 4 GiB + 5 is not small
}

TEST_F(Criteria, ThreeStateAttributes) {
  const DWORD read_only = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE;
  FAReadOnly = 1;
  EXPECT_TRUE(MatchesCriteria(Entry("C:\\a", 0, FILE_ATTRIBUTE_ARCHIVE)));  // switch is off
  FAAttributes = 1;
  EXPECT_TRUE(MatchesCriteria(Entry("C:\\a", 0, read_only)));
  EXPECT_FALSE(MatchesCriteria(Entry("C:\\a", 0, FILE_ATTRIBUTE_ARCHIVE)));
  FAReadOnly = 0;
  EXPECT_FALSE(MatchesCriteria(Entry("C:\\a", 0, read_only)));
  FAReadOnly = 2;
  FAHidden = 0;
  EXPECT_TRUE(MatchesCriteria(Entry("C:\\a", 0, read_only)));
  EXPECT_FALSE(MatchesCriteria(Entry("C:\\.a", 0, FILE_ATTRIBUTE_HIDDEN)));
}

TEST_F(Criteria, FullPathPatternOnlyAfterTheDialogWasAccepted) {
  FAFullPathMatch = 1;
  FAFullPath = "\\\\BUILD\\\\";
  EXPECT_TRUE(MatchesCriteria(Entry("C:\\src\\build\\x.o")));  // not compiled yet
  host_.dialog_answers = {[](FarDialogItem*, int) { return 19; }};
  AdvancedCriteriaDialog();
  EXPECT_TRUE(MatchesCriteria(Entry("C:\\src\\build\\x.o")));  // case ignored
  EXPECT_FALSE(MatchesCriteria(Entry("C:\\src\\main.c")));
  FAFullPath = "^(?!.*\\\\build\\\\)";
  host_.dialog_answers.push_back([](FarDialogItem*, int) { return 19; });
  AdvancedCriteriaDialog();
  EXPECT_FALSE(MatchesCriteria(Entry("C:\\src\\BUILD\\x.o")));  // case ignored
  EXPECT_TRUE(MatchesCriteria(Entry("C:\\src\\main.c")));
  FACaseSensitivePathMatch = 1;
  host_.dialog_answers.push_back([](FarDialogItem*, int) { return 19; });
  AdvancedCriteriaDialog();
  EXPECT_TRUE(MatchesCriteria(Entry("C:\\src\\BUILD\\x.o")));
}
