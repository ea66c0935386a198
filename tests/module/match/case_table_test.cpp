// The OEM upper-case table built from the wide case mapping.
#include "module/match/case_table.hpp"

#include <gtest/gtest.h>

TEST(CaseTable, FoldsEveryCyrillicLowerCaseLetter) {
  BuildOemUpperTable();
  for (int b = 0xA0; b <= 0xAF; b++) EXPECT_EQ(OemUpperTable[b], b - 0x20) << std::hex << b;
  for (int b = 0xE0; b <= 0xEF; b++) EXPECT_EQ(OemUpperTable[b], b - 0x50) << std::hex << b;
  EXPECT_EQ(OemUpperTable[0xF1], 0xF0);  // yo
  for (int b = 'a'; b <= 'z'; b++) EXPECT_EQ(OemUpperTable[b], b - 0x20);
}

TEST(CaseTable, LeavesUpperCaseAndNonLettersAlone) {
  BuildOemUpperTable();
  for (int b = 0x80; b <= 0x9F; b++) EXPECT_EQ(OemUpperTable[b], b) << std::hex << b;
  for (int b = 0xB0; b <= 0xDF; b++) EXPECT_EQ(OemUpperTable[b], b) << std::hex << b;  // box drawing
  for (int b : {0x00, int('0'), int('9'), int('_'), int(' '), 0xF0, 0xFC, 0xFF}) EXPECT_EQ(OemUpperTable[b], b);
}
