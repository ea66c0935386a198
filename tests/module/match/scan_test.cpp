// The Horspool scans against the obvious model: a plain loop over every
// window, on generated texts over a small alphabet so that near-misses
// abound.
#include "module/match/scan.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

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

namespace {

// A table folding a few random bytes onto each of a few values: classes of
// one to six bytes, and values no byte maps to, so that the pre-filter meets
// narrow, wide and empty classes.
std::vector<uint8_t> RandomTable(std::mt19937& random) {
  std::vector<uint8_t> table(256);
  for (int b = 0; b < 256; b++) table[b] = static_cast<uint8_t>(b);
  const int folds = static_cast<int>(random() % 40);
  for (int k = 0; k < folds; k++) table[random() % 256] = static_cast<uint8_t>(random() % 8);
  return table;
}

// Texts over a handful of bytes (near-misses everywhere), with copies of
// the needle planted towards the end, across block edges and in the tail.
struct Case {
  std::string text, needle;
};

Case RandomCase(std::mt19937& random, const uint8_t* table) {
  std::string alphabet;
  for (int k = 0; k < 5; k++) alphabet += static_cast<char>(random() % 256);
  Case c;
  const size_t length = random() % 400;
  for (size_t i = 0; i < length; i++) c.text += alphabet[random() % alphabet.size()];
  const size_t needle_length = 1 + random() % 40;
  for (size_t i = 0; i < needle_length; i++) c.needle += alphabet[random() % alphabet.size()];
  if (c.text.size() >= needle_length && random() % 3 != 0) {
    const size_t at = c.text.size() - needle_length - random() % (c.text.size() - needle_length + 1) / 4;
    c.text.replace(at, needle_length, c.needle);
  }
  if (table && random() % 8 != 0)
    for (char& ch : c.needle) ch = static_cast<char>(table[static_cast<uint8_t>(ch)]);
  return c;
}

}  // namespace

// Every vector level against the naive scan, with the text at each of 32
// alignments and ending exactly where its allocation ends, so AddressSanitizer
// flags any load past the last byte.
TEST(Scan, VectorLevelsAgreeWithANaiveScanAtEveryAlignment) {
  std::vector<VectorLevel> levels = {VectorLevel::kNone};
  if (BestVectorLevel() >= VectorLevel::kSse2) levels.push_back(VectorLevel::kSse2);
  if (BestVectorLevel() >= VectorLevel::kAvx2) levels.push_back(VectorLevel::kAvx2);
  std::mt19937 random(18);
  for (int round = 0; round < 1500; round++) {
    const std::vector<uint8_t> random_table = RandomTable(random);
    const uint8_t* table = round % 2 ? random_table.data() : nullptr;
    const Case c = RandomCase(random, table);
    const long long expected = NaiveForward(c.text, c.needle, table);
    for (size_t align = 0; align < 32; align++) {
      std::unique_ptr<char[]> buffer(new char[align + c.text.size()]);
      char* text = buffer.get() + align;
      std::copy(c.text.begin(), c.text.end(), text);
      for (VectorLevel level : levels) {
        SCOPED_TRACE("round " + std::to_string(round) + " align " + std::to_string(align) +
                     " level " + std::to_string(static_cast<int>(level)));
        ASSERT_EQ(FindForwardAtLevel(text, c.text.size(), c.needle.data(), c.needle.size(), table,
                                     level),
                  expected);
      }
    }
  }
}
