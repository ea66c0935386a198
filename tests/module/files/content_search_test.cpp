// The six content tests on in-memory file bodies.
#include "module/files/content_search.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "module/match/case_table.hpp"
#include "module/files/char_sets.hpp"
#include "module/files/file_patterns.hpp"
#include "module/files/lines.hpp"
#include "module/files/walk.hpp"
#include "module/base/run_state.hpp"
#include "module/base/settings.hpp"
#include "platform/utf8_as_oem.hpp"
#include "tests/support/recording_host.hpp"

namespace {

class ContentTest : public testing::Test {
 protected:
  void SetUp() override {
    BuildOemUpperTable();
    FCaseSensitive = 0;
    FAllCharTables = 0;
    FMaskAsRegExp = 0;
    SeveralLines = 5;
    StartRun();
  }
  void TearDown() override {
    ReleaseFileState();
    ReleaseCharSetTables();
    FText.clear();
  }

  // Sets the mode and text, compiles as a file command would, and tests.
  bool Found(int mode, const std::string& text, const std::string& body) {
    FSearchAs = mode;
    FText = text;
    EXPECT_EQ(PreparePatterns(), 1) << text;
    return ContentMatches(body.data(), body.size());
  }

  RecordingHost host_;
};

}  // namespace

// --- Plain text ---

TEST_F(ContentTest, PlainTextFoldsCaseUnlessAsked) {
  EXPECT_TRUE(Found(AsPlainText, "HELLO", "say hello"));
  EXPECT_TRUE(Found(AsPlainText, "\x8F\x90\x88", "x\xAF\xE0\xA8x"));  // Cyrillic
  FCaseSensitive = 1;
  EXPECT_FALSE(Found(AsPlainText, "HELLO", "say hello"));
  EXPECT_TRUE(Found(AsPlainText, "hello", "say hello"));
  EXPECT_TRUE(Found(AsPlainText, "", "anything"));
}

TEST_F(ContentTest, AllCharTablesFindOemTextInOtherCodePages) {
  // "привет" typed in code page 866, stored in Windows-1251 and KOI8-R.
  const std::string oem = "\xAF\xE0\xA8\xA2\xA5\xE2";
  const std::string cp1251 = "\xEF\xF0\xE8\xE2\xE5\xF2";
  const std::string koi8 = "\xD0\xD2\xC9\xD7\xC5\xD4";
  ByteTable from1251{}, fromKoi8{};
  for (int b = 0; b < 256; b++) from1251[b] = fromKoi8[b] = static_cast<uint8_t>(b);
  for (size_t i = 0; i < oem.size(); i++) {
    from1251[static_cast<uint8_t>(cp1251[i])] = static_cast<uint8_t>(oem[i]);
    fromKoi8[static_cast<uint8_t>(koi8[i])] = static_cast<uint8_t>(oem[i]);
  }
  DecodeTables = {from1251, fromKoi8};
  UpperDecodeTables = DecodeTables;
  for (ByteTable& t : UpperDecodeTables)
    for (uint8_t& b : t) b = OemUpperTable[b];

  EXPECT_FALSE(Found(AsPlainText, oem, "x " + koi8));
  FAllCharTables = 1;
  for (int mode : {AsPlainText, AsLinePattern, AsLinesWindowPattern, AsPlainWords, AsPatternWords}) {
    SCOPED_TRACE(mode);
    EXPECT_TRUE(Found(mode, oem, "x " + koi8 + "\n"));
    EXPECT_TRUE(Found(mode, oem, "x " + cp1251 + "\n"));
  }
  EXPECT_FALSE(Found(AsFilePattern, oem, "x " + koi8));  // whole-file mode stays in OEM
}

// A UTF-8 file matches when its bytes or its code page 866 view hold the
// text; the view is skipped where it cannot differ, and that must never
// change the answer.
TEST_F(ContentTest, SkippingTheUtf8ViewNeverChangesWhatPlainTextFinds) {
  const std::vector<std::string> bodies = {
      "plain ascii hello world",
      "\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 hello",  // "привет" in UTF-8
      "hel\xE4\xB8\xADlo \xE4\xB8\xAD\xE6\x96\x87 x",               // Chinese: placeholders
      "a\x1A" "b and \xF0\x9F\x98\x80 emoji",
  };
  const std::vector<std::string> needles = {
      "hello", "HELLO", "\xAF\xE0\xA8\xA2\xA5\xE2" /* привет in 866 */, "\x1A", "a\x1A" "b",
      "l\x1Al", "x", "?"};
  ByteTable upper_latin{};
  for (int b = 0; b < 256; b++) upper_latin[b] = static_cast<uint8_t>(b < 0x80 ? b : b - 0x40);
  for (int all_tables : {0, 1})
    for (int case_sensitive : {0, 1})
      for (const std::string& needle : needles)
        for (const std::string& body : bodies) {
          SCOPED_TRACE(testing::Message() << all_tables << case_sensitive << " " << needle << " in "
                                          << body);
          FCaseSensitive = case_sensitive;
          FAllCharTables = all_tables;
          DecodeTables = {upper_latin};
          UpperDecodeTables = DecodeTables;
          platform::Utf8AsOem view;
          const bool in_view = view.Decode(body) == platform::Utf8AsOem::Outcome::kDecoded &&
                               PlainTest(view.text().data(), view.text().size(), needle);
          const bool expected = PlainTest(body.data(), body.size(), needle) || in_view;
          EXPECT_EQ(Found(AsPlainText, needle, body), expected);
          EXPECT_EQ(Found(AsPlainWords, needle, body), expected);
        }
}

// --- Lines ---

TEST_F(ContentTest, EveryKindOfLineEndEndsALine) {
  for (const char* body : {"a\nxyz\nb", "a\rxyz\rb", "a\r\nxyz\r\nb", "xyz"}) {
    SCOPED_TRACE(body);
    EXPECT_TRUE(Found(AsLinePattern, "^xyz$", body));
  }
  EXPECT_FALSE(Found(AsLinePattern, "\\n", "a\nb"));  // line ends are not part of a line
}

TEST_F(ContentTest, EmptyLinesAreSubjectsButNotTheEndOfTheFile) {
  EXPECT_TRUE(Found(AsLinePattern, "^$", "a\n\nb"));
  EXPECT_TRUE(Found(AsLinePattern, "^$", "a\n\rb"));  // LF CR: two line ends, an empty line
  EXPECT_FALSE(Found(AsLinePattern, "^$", "a\r\nb"));
  EXPECT_FALSE(Found(AsLinePattern, "^$", "a\nb\n"));
}

// A per-line search runs the matcher only on the lines that hold the
// pattern's required literal; the answer must be the one the matcher gives
// on every line. Random bodies over a small alphabet with every line end.
TEST_F(ContentTest, RequiredLiteralSkipsOnlyLinesThatCannotMatch) {
  const char* patterns[] = {"^ab",   "ab+c",   "abc?",    "a*b",    "ab{0,2}c", "(?i)Ab",
                            "x(?i)B", "ab|cd",  "a.b",     "\\d+;$", "[ab]c",    "^#de",
                            "b$",    "A B",    "(a\\s?)+;$"};
  const char alphabet[] = "abcdABx#; \r\n1";
  uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  for (const char* text : patterns) {
    for (int case_sensitive : {0, 1}) {
      FCaseSensitive = case_sensitive;
      FSearchAs = AsLinePattern;
      FText = text;
      ASSERT_EQ(PreparePatterns(), 1) << text;
      for (int body_number = 0; body_number < 200; body_number++) {
        std::string body(next() % 40, ' ');
        for (char& c : body) c = alphabet[next() % (sizeof alphabet - 1)];
        const bool every_line = ForEachLine(body.data(), body.size(), [&](const Line& line) {
          return RunPattern(TextPattern, body.data() + line.start, line.text_end - line.start, 0,
                            0, nullptr, 0) > 0;
        });
        SCOPED_TRACE(testing::Message() << text << " case " << case_sensitive << " body "
                                        << testing::PrintToString(body));
        EXPECT_EQ(ContentMatches(body.data(), body.size()), every_line);
      }
    }
  }
}

TEST_F(ContentTest, WindowsSpanSeveralLinesButNoMore) {
  SeveralLines = 2;
  EXPECT_TRUE(Found(AsLinesWindowPattern, "one\\s+two", "one\ntwo\nthree"));
  EXPECT_FALSE(Found(AsLinesWindowPattern, "one\\s+two\\s+three", "one\ntwo\nthree"));
  SeveralLines = 3;
  EXPECT_TRUE(Found(AsLinesWindowPattern, "one\\s+two\\s+three", "one\ntwo\nthree"));
  SeveralLines = 1;
  EXPECT_TRUE(Found(AsLinesWindowPattern, "two\\r\\n", "one\r\ntwo\r\nthree"));
  SeveralLines = 5;
  EXPECT_TRUE(Found(AsLinesWindowPattern, "^three$", "one\ntwo\nthree"));  // shorter file: whole
}

TEST_F(ContentTest, FilePatternSeesTheWholeFile) {
  EXPECT_TRUE(Found(AsFilePattern, "one\\ntwo", "one\ntwo"));
  EXPECT_TRUE(Found(AsFilePattern, "^two", "one\ntwo"));
  EXPECT_FALSE(Found(AsFilePattern, "^wo", "one\ntwo"));
}

// --- Word lists ---

TEST_F(ContentTest, TakeWordHandlesQuotesAndBlanks) {
  std::string list = "  alpha\t\"+two words\" 'x' `y z`  last";
  std::vector<std::string> words;
  for (std::string w = TakeWord(list); !w.empty(); w = TakeWord(list)) words.push_back(w);
  EXPECT_EQ(words, (std::vector<std::string>{"alpha", "+two words", "x", "y z", "last"}));
  std::string unclosed = "\"open to the end";
  EXPECT_EQ(TakeWord(unclosed), "open to the end");
  EXPECT_EQ(unclosed, "");
}

TEST_F(ContentTest, RequiredExcludedAndOptionalWords) {
  const std::string list = "+alpha -beta gamma delta";
  EXPECT_TRUE(Found(AsPlainWords, list, "alpha delta"));
  EXPECT_FALSE(Found(AsPlainWords, list, "alpha beta gamma"));
  EXPECT_FALSE(Found(AsPlainWords, list, "gamma delta"));
  EXPECT_FALSE(Found(AsPlainWords, list, "alpha only"));
  EXPECT_TRUE(Found(AsPlainWords, "-beta -zeta", "alpha"));
  EXPECT_FALSE(Found(AsPlainWords, "-beta -zeta", "zeta"));
  EXPECT_TRUE(Found(AsPlainWords, "+ x", "x"));          // a bare marker is an empty word
  EXPECT_TRUE(Found(AsPlainWords, "\"\" -x", "x"));      // an empty quoted word ends the list
  EXPECT_TRUE(Found(AsPlainWords, "\"+two words\" x", "has two words and x"));
  EXPECT_FALSE(Found(AsPlainWords, "\"+two words\" x", "has two and x"));
}

// Word patterns are compiled before any file is read: a bad one is refused
// there, with one box, like any other pattern.
TEST_F(ContentTest, BadPatternWordIsRefusedBeforeTheSearch) {
  FSearchAs = AsPatternWords;
  FText = "+a -(b a+";
  EXPECT_EQ(PreparePatterns(), 0);
  EXPECT_EQ(host_.messages.size(), 1u);
  EXPECT_TRUE(Found(AsPatternWords, "+^a+$ -^b", "aaa\nc"));
  EXPECT_FALSE(Found(AsPatternWords, "+^a+$ -^b", "aaa\nb"));
}
