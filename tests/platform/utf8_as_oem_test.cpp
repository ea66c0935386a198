// The UTF-8 view: its text and offset map against a model built character
// by character, the ill-formed inputs it must refuse, and its memory budget.
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/utf8_as_oem.hpp"

namespace {

using platform::Utf8AsOem;
using Outcome = platform::Utf8AsOem::Outcome;

struct Char {
  std::string utf8;
  char oem;
};

// ASCII, letters 866 holds, and characters it lacks (CJK, emoji, BOM,
// Greek, an accented Latin letter) with their placeholder.
const Char kPool[] = {
    {"a", 'a'},   {"?", '?'},   {"\n", '\n'},  {"\x1A", '\x1A'},
    {"ж", '\xA6'}, {"Ё", '\xF0'}, {"°", '\xF8'},  {"я", '\xEF'},
    {"中", '\x1A'}, {"😀", '\x1A'}, {"\xEF\xBB\xBF", '\x1A'}, {"α", '\x1A'}, {"é", '\x1A'},
};

TEST(Utf8AsOem, TextAndOffsetMapFollowTheModelOnGeneratedText) {
  std::mt19937 random(21);
  for (int round = 0; round < 200; round++) {
    SCOPED_TRACE(round);
    std::string original, expected_text;
    std::vector<size_t> starts;
    const int length = 1 + static_cast<int>(random() % 300);
    for (int i = 0; i < length; i++) {
      const Char& c = kPool[random() % std::size(kPool)];
      // Now and then a long run of one ASCII character, across checkpoints.
      const bool ascii = c.utf8.size() == 1;
      const int repeat = ascii && random() % 4 == 0 ? 1 + static_cast<int>(random() % 150) : 1;
      for (int r = 0; r < repeat; r++) {
        starts.push_back(original.size());
        original += c.utf8;
        expected_text += c.oem;
      }
    }
    original += "ж";  // never ASCII only
    expected_text += '\xA6';
    starts.push_back(original.size() - 2);
    starts.push_back(original.size());

    Utf8AsOem view;
    ASSERT_EQ(view.Decode(original), Outcome::kDecoded);
    ASSERT_EQ(view.text(), expected_text);
    for (size_t at = 0; at <= expected_text.size(); at++)
      ASSERT_EQ(view.OriginalOffset(at), starts[at]) << "at " << at;
    const size_t from = random() % expected_text.size();
    const size_t to = from + random() % (expected_text.size() - from + 1);
    EXPECT_EQ(view.OriginalOf(from, to), original.substr(starts[from], starts[to] - starts[from]));
  }
}

// ---------------------------------------------------------------------------
// Input that is not UTF-8 is left to the single-byte searches
// ---------------------------------------------------------------------------

TEST(Utf8AsOem, IllFormedOrAsciiOnlyTextIsNotDecoded) {
  const struct {
    const char* what;
    std::string bytes;
  } rows[] = {
      {"ASCII only", "plain text\n"},
      {"code page 866 bytes", "\x8F\xE0\xA8\xA2\xA5\xE2"},
      {"one invalid byte", "жи\xFFв"},
      {"a stray trail byte", "ж\x80"},
      {"two-byte overlong", "ж\xC0\xAF"},
      {"three-byte overlong", "ж\xE0\x80\xAF"},
      {"encoded surrogate", "ж\xED\xA0\x80"},
      {"beyond U+10FFFF", "ж\xF4\x90\x80\x80"},
      {"truncated final character", "жж\xD0"},
      {"truncated final emoji", "ж\xF0\x9F\x98"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    Utf8AsOem view;
    EXPECT_EQ(view.Decode(row.bytes), Outcome::kNotUtf8);
    EXPECT_EQ(view.text(), "");
  }
}

TEST(Utf8AsOem, TextBeyondTheBudgetIsTooLargeOnlyWhenItIsUtf8) {
  const std::string valid = std::string(100, 'x') + "жизнь";
  Utf8AsOem view;
  EXPECT_EQ(view.Decode(valid, 50), Outcome::kTooLarge);
  EXPECT_EQ(view.text(), "");
  EXPECT_EQ(view.Decode(valid + "\xFF", 50), Outcome::kNotUtf8);
  EXPECT_EQ(view.Decode(valid, 1000), Outcome::kDecoded);
}

TEST(Utf8AsOem, NonAsciiByteIsSeenAtEveryPosition) {
  for (size_t length : {1u, 63u, 64u, 65u, 200u}) {
    std::string text(length, 'a');
    EXPECT_FALSE(platform::HasNonAscii(text.data(), text.size()));
    for (size_t at = 0; at < length; at++) {
      text[at] = '\x80';
      ASSERT_TRUE(platform::HasNonAscii(text.data(), text.size())) << length << " at " << at;
      text[at] = 'a';
    }
  }
}

// ---------------------------------------------------------------------------
// Lines and the way back
// ---------------------------------------------------------------------------

TEST(Utf8AsOem, LineKeepsThePlaceholdersBytesInOrder) {
  std::string oem;
  std::vector<std::string> placeholders;
  ASSERT_TRUE(platform::DecodeUtf8Line("a中ж😀", &oem, &placeholders));
  EXPECT_EQ(oem, "a\x1A\xA6\x1A");
  EXPECT_EQ(placeholders, (std::vector<std::string>{"中", "😀"}));
  EXPECT_FALSE(platform::DecodeUtf8Line("ж\xC0\xAF", &oem, &placeholders));
}

TEST(Utf8AsOem, EveryOemByteEncodesToTheCharacterThatDecodesBackToIt) {
  for (int byte = 0x80; byte < 0x100; byte++) {
    std::string utf8, oem;
    std::vector<std::string> placeholders;
    platform::AppendOemAsUtf8(std::string(1, static_cast<char>(byte)), &utf8);
    ASSERT_TRUE(platform::DecodeUtf8Line(utf8, &oem, &placeholders)) << byte;
    EXPECT_EQ(oem, std::string(1, static_cast<char>(byte))) << byte;
  }
}

}  // namespace
