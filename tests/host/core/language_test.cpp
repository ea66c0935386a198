// Language files: which lines are messages, their numbering, the file the
// LANG value chooses and the fallback to English.
#include "host/core/language.hpp"

#include <gtest/gtest.h>

#include "tests/support/host_fixture.hpp"

namespace {

using host::Language;

// ---------------------------------------------------------------------------
// Parsing
// ---------------------------------------------------------------------------

TEST(Language, MessagesAreNumberedInFileOrderSkippingOtherLines) {
  Language language;
  language.Parse(
      ".Language=English,English\n"
      "// a comment\n"
      "\n"
      "\"Ok\"\n"
      "  \"indented lines are not messages\"\n"
      "\"Cancel\"\r\n"
      "\"\"\n"
      "\"Say \\\"yes\\\"\"\n"
      "\"no closing quote\n"
      "\"last, without a newline\"");
  const char* expected[] = {"Ok", "Cancel", "", "Say \\\"yes\\\"", "no closing quote",
                            "last, without a newline"};
  ASSERT_EQ(language.size(), 6);
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_STREQ(language.GetMsg(i), expected[i]);
  }
}

TEST(Language, OemBytesArePassedThrough) {
  Language language;
  language.Parse("\"\x8D\xA0\xA9\xA4\xA5\xAD\xAE\"\n");  // "Найдено" in code page 866
  EXPECT_STREQ(language.GetMsg(0), "\x8D\xA0\xA9\xA4\xA5\xAD\xAE");
}

TEST(Language, UnknownNumbersGiveAnEmptyText) {
  Language language;
  language.Parse("\"zero\"\n\"one\"\n");
  for (int number : {-1, 2, 1000}) {
    SCOPED_TRACE(number);
    const char* text = language.GetMsg(number);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "");
  }
}

TEST(Language, ParsingAgainReplacesTheMessages) {
  Language language;
  language.Parse("\"a\"\n\"b\"\n");
  language.Parse("\"c\"\n");
  EXPECT_EQ(language.size(), 1);
  EXPECT_STREQ(language.GetMsg(0), "c");
  EXPECT_STREQ(language.GetMsg(1), "");
}

// ---------------------------------------------------------------------------
// Files
// ---------------------------------------------------------------------------

TEST(LanguageFile, NameFollowsLang) {
  struct Row {
    const char* lang;
    const char* file;
  } rows[] = {
      {"ru_RU.UTF-8", "finderix_ru.lng"}, {"ru", "finderix_ru.lng"},
      {"en_US.UTF-8", "finderix_en.lng"}, {"de_DE", "finderix_en.lng"},
      {"C", "finderix_en.lng"},           {"", "finderix_en.lng"},
      {nullptr, "finderix_en.lng"},       {"RU_ru", "finderix_en.lng"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.lang ? row.lang : "(unset)");
    EXPECT_EQ(host::LanguageFileName(row.lang), row.file);
  }
}

TEST(LanguageFile, RussianIsReadWhenPresentEnglishOtherwise) {
  testing_support::TempTree tree;
  tree.Write("en/finderix_en.lng", "\"English\"\n");
  tree.Write("both/finderix_en.lng", "\"English\"\n");
  tree.Write("both/finderix_ru.lng", "\"\x90\xE3\xE1\xE1\xAA\xA8\xA9\"\n");

  Language language;
  ASSERT_TRUE(host::LoadModuleLanguage(tree.Path("both"), "ru_RU.UTF-8", &language));
  EXPECT_STREQ(language.GetMsg(0), "\x90\xE3\xE1\xE1\xAA\xA8\xA9");
  ASSERT_TRUE(host::LoadModuleLanguage(tree.Path("both"), "en_GB", &language));
  EXPECT_STREQ(language.GetMsg(0), "English");
  ASSERT_TRUE(host::LoadModuleLanguage(tree.Path("en"), "ru_RU.UTF-8", &language));
  EXPECT_STREQ(language.GetMsg(0), "English");
}

TEST(LanguageFile, MissingFileFailsAndKeepsTheMessages) {
  testing_support::TempTree tree;
  Language language;
  language.Parse("\"kept\"\n");
  EXPECT_FALSE(host::LoadModuleLanguage(tree.Path("nowhere"), "en", &language));
  EXPECT_FALSE(language.Load(tree.Path("nowhere/finderix_en.lng")));
  EXPECT_STREQ(language.GetMsg(0), "kept");
}

}  // namespace
