// The literal a pattern text starts with.
#include "module/match/required_literal.hpp"

#include <gtest/gtest.h>

TEST(RequiredLiteral, LiteralPrefixStopsWhereThePatternStopsBeingLiteral) {
  struct Row {
    const char* text;
    bool caseless;
    const char* prefix;
  } rows[] = {
      {"^#define\\s+X", false, "#define"},
      {"abc?d", false, "ab"},          // c may be absent
      {"abc*", false, "ab"},
      {"abc{0,2}", false, "ab"},
      {"abc+", false, "abc"},          // at least one c
      {"ab(c)", false, "ab"},
      {"ab|cd", false, ""},            // an alternative anywhere
      {"(a)|b", false, ""},
      {"(?i)ab", false, ""},
      {"\\Qab\\E", false, ""},
      {"a?b", false, ""},
      {"\xA0\xA1x", false, "\xA0\xA1x"},
      {"\xA0\xA1x", true, ""},         // Cyrillic case pairs are the pattern tables'
      {"plain text", true, "plain text"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(LiteralPrefix(row.text, row.caseless), row.prefix);
  }
}
