// The Horspool scans against the obvious model: a plain loop over every
// window, on generated texts over a small alphabet so that near-misses
// abound.
#include "module/match/scan.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "module/match/case_table.hpp"

namespace {

uint8_t Map(const uint8_t* table, char c) {
  return table ? table[static_cast<uint8_t>(c)] : static_cast<uint8_t>(c);
}

bool WindowMatches(const std::string& text, size_t at, const std::string& needle,
                   const uint8_t* table) {
  for (size_t k = 0; k < needle.size(); k++)
    if (Map(table, text[at + k]) != static_cast<uint8_t>(needle[k])) return false;
  return true;
}

long long NaiveForward(const std::string& text, const std::string& needle, const uint8_t* table) {
  if (text.size() < needle.size()) return -1;
  for (size_t i = 0; i + needle.size() <= text.size(); i++)
    if (WindowMatches(text, i, needle, table)) return static_cast<long long>(i);
  return -1;
}

long long NaiveBackward(const std::string& text, const std::string& needle, const uint8_t* table) {
  if (text.size() < needle.size()) return -1;
  for (size_t i = text.size() - needle.size() + 1; i-- > 0;)
    if (WindowMatches(text, i, needle, table)) return static_cast<long long>(i);
  return -1;
}

}  // namespace

TEST(Scan, AbcabExamples) {
  const std::string text = "abcab";
  EXPECT_EQ(FindForward(text.data(), text.size(), "ab", 2, nullptr), 0);
  EXPECT_EQ(FindBackward(text.data(), text.size(), "ab", 2, nullptr), 3);
  EXPECT_EQ(FindForward(text.data(), text.size(), "abd", 3, nullptr), -1);
  EXPECT_EQ(FindBackward(text.data(), text.size(), "abd", 3, nullptr), -1);
  EXPECT_EQ(FindForward(text.data(), text.size(), "abcabc", 6, nullptr), -1);
  EXPECT_EQ(FindBackward(text.data(), text.size(), "abcabc", 6, nullptr), -1);
}

TEST(Scan, EmptyNeedleIsFoundAtEitherEnd) {
  EXPECT_EQ(FindForward("abc", 3, "", 0, nullptr), 0);
  EXPECT_EQ(FindBackward("abc", 3, "", 0, nullptr), 3);
  EXPECT_EQ(FindForward("", 0, "", 0, nullptr), 0);
  EXPECT_EQ(FindBackward("", 0, "", 0, nullptr), 0);
}

TEST(Scan, TranslationTableAppliesToTextOnly) {
  uint8_t upper[256];
  for (int i = 0; i < 256; i++) upper[i] = static_cast<uint8_t>(i >= 'a' && i <= 'z' ? i - 32 : i);
  const std::string text = "xxhello";
  EXPECT_EQ(FindForward(text.data(), text.size(), "HELLO", 5, upper), 2);
  EXPECT_EQ(FindBackward(text.data(), text.size(), "HELLO", 5, upper), 2);
  // A needle not mapped through the table cannot match mapped text.
  EXPECT_EQ(FindForward(text.data(), text.size(), "hello", 5, upper), -1);
}

TEST(Scan, BytesAboveSevenBitsAreUnsigned) {
  const std::string text = "\x01\xFF\x80\xA0\xFF\x80";
  EXPECT_EQ(FindForward(text.data(), text.size(), "\xFF\x80", 2, nullptr), 1);
  EXPECT_EQ(FindBackward(text.data(), text.size(), "\xFF\x80", 2, nullptr), 4);
}

TEST(Scan, AgreesWithANaiveScanOnGeneratedTexts) {
  uint8_t fold[256];
  for (int i = 0; i < 256; i++) fold[i] = static_cast<uint8_t>(i == 'b' ? 'a' : i);
  std::mt19937 random(20261208);
  auto generate = [&](size_t length) {
    std::string s;
    for (size_t i = 0; i < length; i++) s += "abc\xFF"[random() % 4];
    return s;
  };
  for (int round = 0; round < 3000; round++) {
    std::string text = generate(random() % 40);
    std::string needle = generate(1 + random() % 5);
    const uint8_t* table = round % 2 ? fold : nullptr;
    if (table)
      for (char& c : needle) c = static_cast<char>(fold[static_cast<uint8_t>(c)]);
    SCOPED_TRACE("text '" + text + "' needle '" + needle + "'" + (table ? " folded" : ""));
    ASSERT_EQ(FindForward(text.data(), text.size(), needle.data(), needle.size(), table),
              NaiveForward(text, needle, table));
    ASSERT_EQ(FindBackward(text.data(), text.size(), needle.data(), needle.size(), table),
              NaiveBackward(text, needle, table));
  }
}

TEST(Scan, UpperTableFindsLowerCaseCyrillic) {
  BuildOemUpperTable();
  const std::string text = "\xAF\xE0\xA8\xA2\xA5\xE2 world";  // "привет" in code page 866
  const std::string needle = "\x8F\x90\x88\x82\x85\x92";      // "ПРИВЕТ"
  EXPECT_EQ(FindForward(text.data(), text.size(), needle.data(), needle.size(), OemUpperTable), 0);
  EXPECT_EQ(FindBackward(text.data(), text.size(), needle.data(), needle.size(), OemUpperTable), 0);
}
