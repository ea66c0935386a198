// The editor replace through the host's editor: the question and its four
// answers, both loops in both directions, line breaks in replacements, the
// line-removal options, selections, and empty matches.
#include <gtest/gtest.h>

#include "tests/module/editor/editor_fixture.hpp"

namespace editor_test {
namespace {

using Texts = std::vector<std::string>;

class EditorReplace : public EditorTest {};

// --- The question ---

TEST_F(EditorReplace, AllReplacesEveryMatchWithoutAClosingMessage) {
  Open("aaa\n");
  RunReplace({.text = "a", .with = "b$R"}, {kAnswerAll});
  EXPECT_EQ(Lines(), (Texts{"b0b1b2", ""}));
  EXPECT_EQ(Cursor(), (Position{0, 6}));
  EXPECT_EQ(Questions().size(), 1u);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(EditorReplace, ReplacingOneByOneEndsWithTheClosingMessage) {
  Open("aaa\n");
  ui_.AnswerMessage(0);
  RunReplace({.text = "a", .with = "b"}, {kAnswerReplace, kAnswerReplace, kAnswerReplace});
  EXPECT_EQ(Lines(), (Texts{"bbb", ""}));
  EXPECT_EQ(offered_, (std::vector{Span({0, 0}, {0, 1}), Span({0, 1}, {0, 2}),
                                   Span({0, 2}, {0, 3})}));
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].help_topic, "ECannotFind");
  EXPECT_EQ(Boxes()[0].title, "M19");
  EXPECT_EQ(Cursor(), (Position{0, 3}));
}

TEST_F(EditorReplace, QuestionShowsTheQuotedTextsAndFourButtons) {
  Open("say hello\n");
  ui_.AnswerMessage(0);
  RunReplace({.text = "hel+o", .with = "<$0>", .regexp = true}, {kAnswerSkip});
  ASSERT_EQ(Questions().size(), 1u);
  const std::vector<FarDialogItem> items = Questions()[0].dialog_items;
  ASSERT_EQ(items.size(), 9u);
  EXPECT_STREQ(items[0].Data, "M19");
  EXPECT_STREQ(items[1].Data, "M98");
  EXPECT_STREQ(items[2].Data, "\"hello\"");
  EXPECT_STREQ(items[3].Data, "M99");
  EXPECT_STREQ(items[4].Data, "\"<hello>\"");
  // The found text and its replacement are shown as they are, '&' and all.
  EXPECT_EQ(items[2].Flags, DIF_SHOWAMPERSAND);
  EXPECT_EQ(items[4].Flags, DIF_SHOWAMPERSAND);
  for (int i = 5; i < 9; i++) {
    EXPECT_EQ(items[i].Type, DI_BUTTON);
    EXPECT_EQ(items[i].Flags, DIF_CENTERGROUP);  // bracketed like every button
  }
  EXPECT_STREQ(items[8].Data, "M1");
}

TEST_F(EditorReplace, SkipOnEveryMatchChangesNothing) {
  Open("aXbXc\n");
  ui_.AnswerMessage(0);
  RunReplace({.text = "x"}, {kAnswerSkip, kAnswerSkip});
  EXPECT_EQ(Saved(), "aXbXc\n");
  EXPECT_EQ(Cursor(), (Position{0, 4}));
  EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(EditorReplace, CancelAndEscStopAtOnce) {
  for (int stop : {kAnswerCancel, kEsc}) {
    SCOPED_TRACE(stop);
    Open("aaa\n");
    size_t boxes = Boxes().size();
    RunReplace({.text = "a", .with = "b"}, {kAnswerReplace, stop});
    EXPECT_EQ(Saved(), "baa\n");
    EXPECT_EQ(Cursor(), (Position{0, 2}));  // the end of the match offered
    EXPECT_EQ(Boxes().size(), boxes);
  }
}

// --- Directions ---

TEST_F(EditorReplace, BackwardByLineOffersEveryColumnFromTheCursor) {
  Open("aaa\n");
  editor().SetCursor(0, 3);
  ui_.AnswerMessage(0);
  RunReplace({.text = "a", .with = "b", .backward = true},
             {kAnswerReplace, kAnswerReplace, kAnswerReplace});
  EXPECT_EQ(offered_, (std::vector{Span({0, 2}, {0, 3}), Span({0, 1}, {0, 2}),
                                   Span({0, 0}, {0, 1})}));
  EXPECT_EQ(Lines(), (Texts{"bbb", ""}));
}

TEST_F(EditorReplace, BackwardPatternByLineOffersEveryMatchFromTheCursor) {
  Open("aa\naaa\n");
  editor().SetCursor(1, 3);
  ui_.AnswerMessage(0);
  RunReplace({.text = "a", .with = "b", .regexp = true, .backward = true},
             {kAnswerSkip, kAnswerSkip, kAnswerSkip, kAnswerSkip, kAnswerSkip});
  EXPECT_EQ(offered_, (std::vector{Span({1, 2}, {1, 3}), Span({1, 1}, {1, 2}),
                                   Span({1, 0}, {1, 1}), Span({0, 1}, {0, 2}),
                                   Span({0, 0}, {0, 1})}));
}

// Backward All must change exactly what forward All changes, line by line
// and over joined lines. Every text ends with a line that each pattern
// matches, so both runs end through All without a closing message; the
// replacement marks each match, and patterns that look around a match or
// match nothing are left out, since the text they see has already been
// changed on one side or the other.
TEST_F(EditorReplace, BackwardAllReplacesWhatForwardAllReplaces) {
  const char* patterns[] = {"a", "a+", "aa", "ab|b", "b$", "^a", "a.?", "[ab]{2}", "(a)(b)?",
                            "a\\n?b"};
  std::vector<std::string> texts{"aaaa", "abab", "a\naa", "ba\nab", "aa\n\naa", ""};
  for (size_t k = 5; k < texts.size() && texts[k].size() < 2; k++)
    for (char c : {'a', 'b', '\n'}) texts.push_back(texts[k] + c);
  for (bool several : {false, true})
    for (const char* pattern : patterns)
      for (const std::string& start : texts) {
        const std::string text = start + "\naab\n";
        SCOPED_TRACE(testing::Message() << pattern << (several ? " joined in " : " in ")
                                        << testing::PrintToString(text));
        Open(text);
        RunReplace({.text = pattern, .with = "<$0>", .regexp = true, .several = several},
                   {kAnswerAll});
        const Texts forward = Lines();
        Open(text);
        editor().SetCursor(editor().line_count() - 1, 0);
        RunReplace({.text = pattern, .with = "<$0>", .regexp = true, .several = several,
                    .backward = true},
                   {kAnswerAll});
        ASSERT_EQ(Lines(), forward);
      }
  EXPECT_TRUE(Boxes().empty());
}

// The runs that skipped matches: every "a" of a line, of six lines and of
// a stream block changes, and the closing message never comes.
TEST_F(EditorReplace, BackwardPatternAllReachesEveryMatch) {
  Open("aaa\n");
  editor().SetCursor(0, 3);
  RunReplace({.text = "a", .with = "b", .regexp = true, .backward = true}, {kAnswerAll});
  EXPECT_EQ(Lines(), (Texts{"bbb", ""}));
  for (bool several : {false, true}) {
    Open("a1\na2\na3\na4\na5\na6\n");
    editor().SetCursor(6, 0);
    RunReplace({.text = "a", .with = "b", .regexp = true, .several = several, .backward = true},
               {kAnswerAll});
    EXPECT_EQ(Lines(), (Texts{"b1", "b2", "b3", "b4", "b5", "b6", ""}));
  }
  Open("aaaa\naaaa\naaaa\naaaa\n");
  editor().SelectStream(1, 2, 3, 3);
  RunReplace({.text = "a", .with = "b", .regexp = true, .backward = true}, {kAnswerAll});
  EXPECT_EQ(Lines(), (Texts{"aaaa", "aabb", "bbbb", "bbba", ""}));
  EXPECT_TRUE(Boxes().empty());
}

// An end anchor is the line's end, not the cursor's column or the start of
// the match replaced before; a selection's end is an end.
TEST_F(EditorReplace, BackwardAnchorsSeeTheTextAfterTheLimit) {
  Open("aaa\n");
  editor().SetCursor(0, 3);
  RunReplace({.text = "a$", .with = "b", .regexp = true, .backward = true}, {kAnswerAll});
  EXPECT_EQ(Lines(), (Texts{"aab", ""}));
  Open("aaa aa\n");
  editor().SetCursor(0, 3);
  ui_.AnswerMessage(0);
  RunReplace({.text = "a$", .with = "b", .regexp = true, .backward = true}, {});
  EXPECT_EQ(Lines(), (Texts{"aaa aa", ""}));
  Open("aaa aa\n");
  editor().SelectStream(0, 0, 0, 3);
  RunReplace({.text = "a$", .with = "b", .regexp = true, .backward = true}, {kAnswerAll});
  EXPECT_EQ(Lines(), (Texts{"aab aa", ""}));
}

TEST_F(EditorReplace, BackwardJoinedOffersBothMatches) {
  Open("aa\n");
  editor().SetCursor(0, 2);
  ui_.AnswerMessage(0);
  RunReplace({.text = "a", .with = "b", .several = true, .backward = true},
             {kAnswerReplace, kAnswerReplace});
  EXPECT_EQ(offered_, (std::vector{Span({0, 1}, {0, 2}), Span({0, 0}, {0, 1})}));
  EXPECT_EQ(Lines(), (Texts{"bb", ""}));
}

TEST_F(EditorReplace, CountersNumberLinesFromTheBaseLine) {
  Open("a\na\na\n");
  editor().SetCursor(2, 1);
  RunReplace({.text = "a", .with = "$L:$N:$R", .backward = true}, {kAnswerAll});
  EXPECT_EQ(Lines(), (Texts{"0:-2:2", "1:-1:1", "2:0:0", ""}));
}

// --- Line breaks ---

TEST_F(EditorReplace, TemplateLineBreaksBecomeEditorLines) {
  const struct {
    const char* file;
    const char* with;
    const char* saved;
  } cases[] = {
      {"amb\r\nz\r\n", "x\\ny", "ax\r\nyb\r\nz\r\n"},
      {"amb\nz\n", "x\\ny", "ax\nyb\nz\n"},
      {"amb\nz\n", "x\\r\\ny", "ax\r\nyb\nz\n"},
      {"amb\nz\n", "x\\ry", "ax\ryb\nz\n"},
      {"amb\rz\r", "1\\n2\\n3", "a1\r2\r3b\rz\r"},
      {"amb", "x\\ny", "ax\nyb"},  // the last line has no break to copy
      {"q\r\namb", "x\\ny", "q\r\nax\r\nyb"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.file << " with " << c.with);
    Open(c.file);
    RunReplace({.text = "m", .with = c.with}, {kAnswerAll});
    EXPECT_EQ(Saved(), c.saved);
  }
}

TEST_F(EditorReplace, ReplacingLineBreaksByNothingJoinsEveryLine) {
  for (const char* file : {"a\nb\nc", "a\r\nb\nc\n"}) {
    SCOPED_TRACE(file);
    Open(file);
    RunReplace({.text = "\\n", .regexp = true, .several = true}, {kAnswerAll});
    EXPECT_EQ(Lines(), (Texts{"abc"}));
    EXPECT_EQ(Saved(), "abc");
  }
}

TEST_F(EditorReplace, MatchAcrossLinesKeepsTheEndLinesBreak) {
  Open("one\r\ntwo\nthree\n");
  RunReplace({.text = "e\\r?\\nt", .with = "E-T", .regexp = true, .several = true},
             {kAnswerAll});
  EXPECT_EQ(Saved(), "onE-Two\nthree\n");
}

TEST_F(EditorReplace, ReplacementSpanningLinesDeletesTheLinesBetween) {
  Open("head [\nx\ny\n] tail\nlast\n");
  ui_.AnswerMessage(0);
  RunReplace({.text = "\\[[^]]*\\]", .with = "()", .regexp = true, .several = true},
             {kAnswerReplace});
  EXPECT_EQ(Saved(), "head () tail\nlast\n");
  EXPECT_EQ(Cursor(), (Position{0, 7}));
}

// --- Removing lines ---

TEST_F(EditorReplace, RemoveEmptyDeletesLinesTheReplacementEmptied) {
  Open("a\n\nb\nc\n");
  RunReplace({.text = "^.*$", .regexp = true, .remove_empty = true}, {kAnswerAll});
  EXPECT_EQ(Saved(), "\n");  // the line that was empty before stays
}

TEST_F(EditorReplace, RemoveNoMatchDeletesLinesWithoutAMatch) {
  Open("ax\nb\ncx\nd\n");
  RunReplace({.text = "x", .with = "x", .remove_no_match = true}, {kAnswerAll});
  EXPECT_EQ(Saved(), "ax\ncx\n");
}

TEST_F(EditorReplace, RemoveNoMatchSearchesOnlyTheCursorLineFromTheCursor) {
  // The cursor line's x stands before the cursor: that line goes. The next
  // line then takes its place and is still searched from its start.
  Open("ax\nxb\nc\n");
  editor().SetCursor(0, 2);
  RunReplace({.text = "x", .with = "x", .remove_no_match = true}, {kAnswerAll});
  EXPECT_EQ(Saved(), "xb\n");
}

TEST_F(EditorReplace, EscWhileSearchingKeepsTheInterruptedLine) {
  Open("a\nb\nc\nd\n");
  ui_.EscAfterPolls(2);
  ScriptReplace({.text = "x", .remove_no_match = true});
  ui_.AnswerMessage(0);
  CallModule();
  EXPECT_EQ(Saved(), "c\nd\n");
}

// --- Selections ---

TEST_F(EditorReplace, StreamSelectionGrowsByALinePerMatchOnTheSameText) {
  Open("q0\nq1\nabcdq fgh\nqq\nq\nabq tail\nq end\n");
  editor().SelectStream(2, 4, 5, 3);
  RunReplace({.text = "q", .with = "Q\\nQ"}, {kAnswerAll});
  EXPECT_EQ(Lines(), (Texts{"q0", "q1", "abcdQ", "Q fgh", "Q", "QQ", "Q", "Q", "Q", "abQ",
                            "Q tail", "q end", ""}));
  EXPECT_EQ(Block(), Span({2, 4}, {10, 1}));
  EXPECT_EQ(editor().block().type, BTYPE_STREAM);
}

TEST_F(EditorReplace, StreamSelectionEndingWithALineBreakIsRestored) {
  Open("xa\nab\nc\n");
  editor().SelectStream(0, 1, 2, 0);
  RunReplace({.text = "a", .with = "[a]"}, {kAnswerAll});
  EXPECT_EQ(Lines(), (Texts{"x[a]", "[a]b", "c", ""}));
  // Through the second line's break, as before.
  EXPECT_EQ(editor().SelectionOn(1), (std::pair{0, -1}));
  EXPECT_EQ(editor().SelectionOn(2), (std::pair{-1, -1}));
}

TEST_F(EditorReplace, ColumnBlockIsSearchedOnlyBetweenItsColumns) {
  Open("aaaa\naaaa\naaaa\naaaa\n");
  editor().SelectColumns(0, 1, 2, 3);
  RunReplace({.text = "a", .with = "b"}, {kAnswerAll});
  EXPECT_EQ(Lines(), (Texts{"abba", "abba", "abba", "aaaa", ""}));
  EXPECT_EQ(editor().block().type, BTYPE_COLUMN);
}

TEST_F(EditorReplace, ReplaceAgainWithoutTheBlockReplacesFromTheCursor) {
  Open("a a\na\n");
  editor().SelectStream(0, 0, 0, 1);
  RunReplace({.text = "a", .with = "b"}, {kAnswerAll});
  EXPECT_EQ(Lines(), (Texts{"b a", "a", ""}));
  editor().ClearBlock();
  editor().SetCursor(0, 1);
  ui_.AnswerMenu(2);
  AnswerQuestions({kAnswerAll});
  CallModule();
  EXPECT_EQ(Lines(), (Texts{"b b", "b", ""}));
}

// --- Empty matches ---

TEST_F(EditorReplace, EmptyMatchesStepOneByteForward) {
  const struct {
    Replace replace;
    const char* file;
    const char* saved;
  } cases[] = {
      {{.text = "x*", .with = "-", .regexp = true}, "abc\n", "-a-b-c-\n"},
      // After an empty match a non-empty one at the same place is taken.
      {{.text = "x*|b", .with = "-", .regexp = true}, "ab\n", "-a---\n"},
      {{.text = "x*|b", .with = "-", .regexp = true, .several = true}, "ab\nbab\n",
       "-a---\n---a---\n"},
      {{.text = "x*", .with = "", .regexp = true}, "abc\n", "abc\n"},
      {{.text = "$", .with = ";", .regexp = true, .several = true}, "ab\ncd\n", "ab;\ncd;\n"},
      {{.text = "^", .with = "#", .regexp = true, .backward = true}, "ab\ncd", "#ab\n#cd"},
      // Backward, the last match before the cursor first; an empty match
      // at the start of the range is not searched for, as forward none is
      // at its end.
      {{.text = "x*", .with = "-", .regexp = true, .several = true, .backward = true}, "ab",
       "a-b-"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.replace.text << " in " << c.file);
    Open(c.file);
    if (c.replace.backward) editor().SetCursor(editor().line_count() - 1, 2);
    RunReplace(c.replace, {kAnswerAll});
    EXPECT_EQ(Saved(), c.saved);
  }
}

TEST_F(EditorReplace, SkippingAnEmptyMatchMovesOn) {
  Open("ab\n");
  ui_.AnswerMessage(0);
  // Before a, before b, and at the line's end, as perl finds them.
  RunReplace({.text = "x*", .regexp = true}, {kAnswerSkip, kAnswerSkip, kAnswerSkip});
  EXPECT_EQ(offered_.size(), 3u);
}

// --- Bad input ---

TEST_F(EditorReplace, ZeroBytesAndLongLinesSurviveByteForByte) {
  std::string long_line(1 << 20, 'z');
  std::string file("a\0b\r\n", 5);
  file += long_line + "m" + long_line + "\n";
  file += '\0';
  Open(file);
  RunReplace({.text = "m", .with = "\\x00M"}, {kAnswerAll});
  std::string expected = file;
  expected.replace(expected.find('m'), 1, std::string("\0M", 2));
  EXPECT_EQ(Saved(), expected);
}

TEST_F(EditorReplace, BadPatternKeepsTheBufferAndTheTexts) {
  Open("abc\n");
  ui_.AnswerMenu(1);
  ui_.AnswerDialog([](std::span<FarDialogItem> items) {
    host::SetItemText(items[kReplaceText], "(");
    host::SetItemText(items[kReplaceWith], "x");
    items[kReplaceRegExp].Selected = 1;
    return static_cast<int>(items.size()) - 3;
  });
  ui_.AnswerMessage(0);
  ui_.AnswerDialog([](std::span<FarDialogItem> items) {
    EXPECT_STREQ(items[kReplaceText].Data, "(");
    EXPECT_STREQ(items[kReplaceWith].Data, "x");
    return kEsc;
  });
  CallModule();
  EXPECT_FALSE(editor().modified());
  EXPECT_EQ(Saved(), "abc\n");
}

TEST_F(EditorReplace, EscInTheMenuAndTheDialogChangesNothing) {
  Open("abc\n");
  ui_.AnswerMenu(-1);
  CallModule();
  ui_.AnswerMenu(1);
  ui_.AnswerDialog([](std::span<FarDialogItem> items) {
    host::SetItemText(items[kReplaceText], "b");
    return kEsc;
  });
  CallModule();
  EXPECT_FALSE(editor().modified());
  EXPECT_TRUE(Boxes().empty());
}

}  // namespace
}  // namespace editor_test
