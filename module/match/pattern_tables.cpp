// Pattern character tables for code page 866. Letters are A-Z, a-z and the
// Cyrillic blocks 0x80-0xAF and 0xE0-0xEF; case pairs are A-Z/a-z,
// 0x80-0x8F/0xA0-0xAF and 0x90-0x9F/0xE0-0xEF. 0xF0/0xF1 (the letter yo)
// deliberately stay outside the letter set, so patterns treat them as
// symbols whatever the case setting.
//
// PCRE2 does not publish the bit values of its character-type byte, so they
// are read off the library's own tables for the C locale (which nobody in
// this process changes) rather than hard-coded.
#include "module/match/pattern_tables.hpp"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <array>
#include <cstring>

namespace {

// Offsets inside the table block, as the library lays it out.
constexpr int kLowerCaseMap = 0;
constexpr int kFlipCaseMap = 256;
constexpr int kClassBits = 512;
constexpr int kCharTypes = 512 + 320;
constexpr int kTableSize = 512 + 320 + 256;

// Class bitmaps, 32 bytes each, in the library's order.
enum ClassBitmap { kSpace, kXDigit, kDigit, kUpper, kLower, kWord, kGraph, kPrint, kPunct, kCntrl };

struct CharTypeBits {
  uint8_t space, letter, lower_letter, digit, word;
};

CharTypeBits ReadCharTypeBits() {
  const uint8_t* c_tables = pcre2_maketables(nullptr);
  const uint8_t* types = c_tables + kCharTypes;
  CharTypeBits bits;
  bits.space = types[' '];
  bits.word = types['_'];
  bits.letter = types['G'] & ~bits.word;
  bits.lower_letter = types['g'] & ~types['G'];
  bits.digit = types['0'] & ~bits.word;
  pcre2_maketables_free(nullptr, c_tables);
  return bits;
}

bool IsUpperLetter(int c) {
  return (c >= 'A' && c <= 'Z') || (c >= 0x80 && c <= 0x9F);
}
bool IsLowerLetter(int c) {
  return (c >= 'a' && c <= 'z') || (c >= 0xA0 && c <= 0xAF) || (c >= 0xE0 && c <= 0xEF);
}
bool IsLetter(int c) { return IsUpperLetter(c) || IsLowerLetter(c); }
bool IsDigit(int c) { return c >= '0' && c <= '9'; }
bool IsXDigit(int c) { return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
bool IsWord(int c) { return IsLetter(c) || IsDigit(c) || c == '_'; }
bool IsSpace(int c) { return (c >= 0x09 && c <= 0x0D) || c == ' '; }
bool IsCntrl(int c) { return c < 0x20 || c == 0x7F; }
bool IsPrint(int c) { return !IsCntrl(c) && c != 0xFF; }  // 0xFF is the no-break space
bool IsGraph(int c) { return IsPrint(c) && c != ' '; }
bool IsPunct(int c) { return IsGraph(c) && !IsWord(c); }

int LowerCase(int c) {
  if (c >= 'A' && c <= 'Z') return c + 0x20;
  if (c >= 0x80 && c <= 0x8F) return c + 0x20;
  if (c >= 0x90 && c <= 0x9F) return c + 0x50;
  return c;
}
int UpperCase(int c) {
  if (c >= 'a' && c <= 'z') return c - 0x20;
  if (c >= 0xA0 && c <= 0xAF) return c - 0x20;
  if (c >= 0xE0 && c <= 0xEF) return c - 0x50;
  return c;
}

void SetClassBit(uint8_t* tables, ClassBitmap map, int c) {
  tables[kClassBits + map * 32 + c / 8] |= static_cast<uint8_t>(1u << (c % 8));
}

std::array<uint8_t, kTableSize> BuildTables() {
  const CharTypeBits bits = ReadCharTypeBits();
  std::array<uint8_t, kTableSize> tables{};
  uint8_t* t = tables.data();
  for (int c = 0; c < 256; c++) {
    t[kLowerCaseMap + c] = static_cast<uint8_t>(LowerCase(c));
    t[kFlipCaseMap + c] = static_cast<uint8_t>(IsUpperLetter(c) ? LowerCase(c) : UpperCase(c));

    const std::pair<bool (*)(int), ClassBitmap> classes[] = {
        {IsSpace, kSpace}, {IsXDigit, kXDigit}, {IsDigit, kDigit}, {IsUpperLetter, kUpper},
        {IsLowerLetter, kLower}, {IsWord, kWord}, {IsGraph, kGraph}, {IsPrint, kPrint},
        {IsPunct, kPunct}, {IsCntrl, kCntrl}};
    for (const auto& [test, map] : classes)
      if (test(c)) SetClassBit(t, map, c);

    uint8_t type = 0;
    if (IsSpace(c)) type |= bits.space;
    if (IsLetter(c)) type |= bits.letter;
    if (IsLowerLetter(c)) type |= bits.lower_letter;
    if (IsDigit(c)) type |= bits.digit;
    if (IsWord(c)) type |= bits.word;
    t[kCharTypes + c] = type;
  }
  return tables;
}

}  // namespace

const uint8_t* PatternCharTables() {
  static const std::array<uint8_t, kTableSize> tables = BuildTables();
  return tables.data();
}
