// Letter case of ANSI (1251) text: Cyrillic pairs in both the string and
// the single-character form, and characters that have no partner.
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "platform/win32.hpp"

namespace {

struct CasePair {
  unsigned char upper;
  unsigned char lower;
  const char* name;
};

const CasePair kCasePairs[] = {
    {'A', 'a', "Latin A"}, {0xC0, 0xE0, "А"}, {0xDF, 0xFF, "Я"}, {0xA8, 0xB8, "Ё"},
    {0x81, 0x83, "Ѓ"},     {0x8A, 0x9A, "Љ"}, {0xA1, 0xA2, "Ў"}, {0xB2, 0xB3, "І"},
    {0xAA, 0xBA, "Є"},     {0xAF, 0xBF, "Ї"}, {0xA3, 0xBC, "Ј"}, {0xBD, 0xBE, "Ѕ"},
    {0xA5, 0xB4, "Ґ"},     {0x80, 0x90, "Ђ"},
};

LPSTR AsCharacter(unsigned char c) { return reinterpret_cast<LPSTR>(static_cast<uintptr_t>(c)); }

TEST(LetterCase, SingleCharacterFormConvertsCyrillicPairs) {
  for (const auto& pair : kCasePairs) {
    SCOPED_TRACE(pair.name);
    EXPECT_EQ(CharUpperA(AsCharacter(pair.lower)), AsCharacter(pair.upper));
    EXPECT_EQ(CharLowerA(AsCharacter(pair.upper)), AsCharacter(pair.lower));
    EXPECT_EQ(CharUpperA(AsCharacter(pair.upper)), AsCharacter(pair.upper));
  }
}

TEST(LetterCase, CharactersWithoutAnAnsiPartnerStayAsTheyAre) {
  // µ upper-cases to Greek Μ and ß to "SS"; 1251 holds neither.
  for (unsigned char c : {0xB5, 0x31, 0x21, 0xB9}) {
    SCOPED_TRACE(static_cast<int>(c));
    EXPECT_EQ(CharUpperA(AsCharacter(c)), AsCharacter(c));
    EXPECT_EQ(CharLowerA(AsCharacter(c)), AsCharacter(c));
  }
}

TEST(LetterCase, StringFormConvertsInPlaceAndReturnsTheString) {
  char text[] = "\xEF\xF0\xE8\xE2\xE5\xF2, \xB8\xE6! abc";  // "привет, ёж! abc"
  EXPECT_EQ(CharUpperA(text), text);
  EXPECT_STREQ(text, "\xCF\xD0\xC8\xC2\xC5\xD2, \xA8\xC6! ABC");
  EXPECT_EQ(CharLowerA(text), text);
  EXPECT_STREQ(text, "\xEF\xF0\xE8\xE2\xE5\xF2, \xB8\xE6! abc");
}

}  // namespace
