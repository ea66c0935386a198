// The character tables offered through CharTable: conversions against the
// known code page layouts, letter case within each code page, and the
// consistency of each table with itself.
#include "host/core/char_tables.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

using host::GetCharTable;

constexpr int kWin1251 = 0, kKoi8r = 1, kIso88595 = 2;

// ---------------------------------------------------------------------------
// Known bytes
// ---------------------------------------------------------------------------

struct Mapping {
  const char* what;
  int table;
  unsigned char table_byte;
  unsigned char oem_byte;
};

TEST(CharTables, DecodeAndEncodeKnownLetters) {
  const Mapping rows[] = {
      {"KOI8-R small a", kKoi8r, 0xC1, 0xA0},
      {"KOI8-R capital A", kKoi8r, 0xE1, 0x80},
      {"KOI8-R small ya", kKoi8r, 0xD1, 0xEF},
      {"KOI8-R small yo", kKoi8r, 0xA3, 0xF1},
      {"1251 small a", kWin1251, 0xE0, 0xA0},
      {"1251 small ya", kWin1251, 0xFF, 0xEF},
      {"1251 capital YO", kWin1251, 0xA8, 0xF0},
      {"ISO-8859-5 capital A", kIso88595, 0xB0, 0x80},
      {"ISO-8859-5 small er", kIso88595, 0xE0, 0xE0},
  };
  for (const Mapping& row : rows) {
    SCOPED_TRACE(row.what);
    const CharTableSet* table = GetCharTable(row.table);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->DecodeTable[row.table_byte], row.oem_byte);
    EXPECT_EQ(table->EncodeTable[row.oem_byte], row.table_byte);
  }
}

TEST(CharTables, UnmappableBytesBecomeQuestionMarks) {
  // OEM 0xB0 is a shading block, which KOI8-R has and the others lack.
  EXPECT_EQ(GetCharTable(kWin1251)->EncodeTable[0xB0], '?');
  EXPECT_EQ(GetCharTable(kIso88595)->EncodeTable[0xB0], '?');
  EXPECT_EQ(GetCharTable(kKoi8r)->EncodeTable[0xB0], 0x90);
  // OEM 0xF2 is the Ukrainian capital IE, which KOI8-R lacks.
  EXPECT_EQ(GetCharTable(kKoi8r)->EncodeTable[0xF2], '?');
  // 1251 0x80 is the capital DJE, which code page 866 lacks.
  EXPECT_EQ(GetCharTable(kWin1251)->DecodeTable[0x80], '?');
}

TEST(CharTables, LetterCaseWithinTheirOwnCodePage) {
  struct Case {
    const char* what;
    int table;
    unsigned char lower, upper;
  } rows[] = {
      {"1251 a", kWin1251, 0xE0, 0xC0},
      {"1251 yo", kWin1251, 0xB8, 0xA8},
      {"KOI8-R a", kKoi8r, 0xC1, 0xE1},
      {"ISO-8859-5 a", kIso88595, 0xD0, 0xB0},
      {"ASCII q", kKoi8r, 'q', 'Q'},
  };
  for (const Case& row : rows) {
    SCOPED_TRACE(row.what);
    const CharTableSet* table = GetCharTable(row.table);
    EXPECT_EQ(table->UpperTable[row.lower], row.upper);
    EXPECT_EQ(table->LowerTable[row.upper], row.lower);
    EXPECT_EQ(table->UpperTable[row.upper], row.upper);
    EXPECT_EQ(table->LowerTable[row.lower], row.lower);
  }
}

// ---------------------------------------------------------------------------
// Whole tables
// ---------------------------------------------------------------------------

TEST(CharTables, AsciiMapsToItself) {
  for (int number : {kWin1251, kKoi8r, kIso88595}) {
    const CharTableSet* table = GetCharTable(number);
    for (int b = 0; b < 0x80; ++b) {
      SCOPED_TRACE(std::to_string(number) + " byte " + std::to_string(b));
      ASSERT_EQ(table->DecodeTable[b], b);
      ASSERT_EQ(table->EncodeTable[b], b);
    }
  }
}

TEST(CharTables, EncodeUndoesDecodeForEveryMappedByte) {
  for (int number : {kWin1251, kKoi8r, kIso88595}) {
    const CharTableSet* table = GetCharTable(number);
    int cyrillic = 0;
    for (int b = 0x80; b < 0x100; ++b) {
      unsigned char oem = table->DecodeTable[b];
      if (oem == '?') continue;
      SCOPED_TRACE(std::to_string(number) + " byte " + std::to_string(b));
      EXPECT_EQ(table->EncodeTable[oem], b);
      ++cyrillic;
    }
    EXPECT_GE(cyrillic, 66) << "every table holds the 66 Russian letters";
  }
}

TEST(CharTables, CaseTablesAreInverseOnLetters) {
  for (int number : {kWin1251, kKoi8r, kIso88595}) {
    const CharTableSet* table = GetCharTable(number);
    for (int b = 0; b < 0x100; ++b) {
      unsigned char upper = table->UpperTable[b];
      if (upper == b) continue;
      SCOPED_TRACE(std::to_string(number) + " byte " + std::to_string(b));
      EXPECT_EQ(table->LowerTable[upper], b);
    }
  }
}

TEST(CharTables, NamesAndRange) {
  EXPECT_STREQ(GetCharTable(kWin1251)->TableName, "Windows-1251");
  EXPECT_STREQ(GetCharTable(kKoi8r)->TableName, "KOI8-R");
  EXPECT_STREQ(GetCharTable(kIso88595)->TableName, "ISO-8859-5");
  EXPECT_EQ(host::CharTableCount(), 3);
  EXPECT_EQ(GetCharTable(3), nullptr);
  EXPECT_EQ(GetCharTable(-1), nullptr);
}

}  // namespace
