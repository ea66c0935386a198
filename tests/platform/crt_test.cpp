// The C runtime pieces: the module's setlocale names, wide case mapping
// that works whatever the process-global locale, and the ASCII-only
// case-insensitive compare.
#include "platform/crt.hpp"

#include <clocale>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace {

TEST(Crt, SetlocaleAcceptsCodePageNamesAndC) {
  const char* accepted = crt::setlocale(LC_ALL, ".1251");
  ASSERT_NE(accepted, nullptr);
  EXPECT_STREQ(accepted, ".1251");
  EXPECT_STREQ(crt::setlocale(LC_CTYPE, nullptr), ".1251");
  ASSERT_NE(crt::setlocale(LC_ALL, "C"), nullptr);
  EXPECT_STREQ(crt::setlocale(LC_ALL, nullptr), "C");
}

TEST(Crt, SetlocaleRefusesOtherNamesAndKeepsTheCurrentOne) {
  ASSERT_NE(crt::setlocale(LC_ALL, ".866"), nullptr);
  for (const char* name : {"ru_RU.UTF-8", ".", ".12a", ".123456", "", "Russian_Russia.1251"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(crt::setlocale(LC_ALL, name), nullptr);
  }
  EXPECT_EQ(crt::setlocale(-1, ".1251"), nullptr);
  EXPECT_STREQ(crt::setlocale(LC_ALL, nullptr), ".866");
}

TEST(Crt, SetlocaleLeavesTheProcessLocaleAlone) {
  const std::string before = std::setlocale(LC_ALL, nullptr);
  crt::setlocale(LC_ALL, ".1251");
  EXPECT_EQ(std::setlocale(LC_ALL, nullptr), before);
}

TEST(Crt, WideCaseMappingCoversCyrillicUnderTheCLocale) {
  ASSERT_STREQ(std::setlocale(LC_CTYPE, nullptr), "C");
  struct Row {
    wint_t upper;
    wint_t lower;
  };
  const Row rows[] = {{L'A', L'a'}, {0x0410, 0x0430}, {0x0401, 0x0451}, {0x042F, 0x044F}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.upper);
    EXPECT_EQ(crt::towupper(row.lower), row.upper);
    EXPECT_EQ(crt::towlower(row.upper), row.lower);
    EXPECT_TRUE(crt::iswupper(row.upper));
    EXPECT_TRUE(crt::iswlower(row.lower));
    EXPECT_TRUE(crt::iswalpha(row.lower));
    EXPECT_TRUE(crt::iswalnum(row.upper));
  }
}

TEST(Crt, WideClassificationSeparatesLettersDigitsAndPunctuation) {
  EXPECT_TRUE(crt::iswalnum(L'7'));
  EXPECT_FALSE(crt::iswalpha(L'7'));
  EXPECT_FALSE(crt::iswalnum(L'_'));
  EXPECT_FALSE(crt::iswalnum(0x2500));  // box drawing
  EXPECT_FALSE(crt::iswupper(0x0430));
}

TEST(Crt, MemicmpFoldsAsciiLettersOnly) {
  EXPECT_EQ(crt::memicmp("Hello", "hELLO", 5), 0);
  EXPECT_LT(crt::memicmp("abc", "ABD", 3), 0);
  EXPECT_GT(crt::memicmp("b", "A", 1), 0);
  // OEM А (0x80) and а (0xA0) are a pair, but not an ASCII one.
  EXPECT_NE(crt::memicmp("\x80", "\xA0", 1), 0);
  EXPECT_LT(crt::memicmp("\x7F", "\x80", 1), 0);    // bytes compare unsigned
  EXPECT_EQ(crt::memicmp("ab\0x", "AB\0y", 3), 0);  // stops at n, not at NUL
}

}  // namespace
