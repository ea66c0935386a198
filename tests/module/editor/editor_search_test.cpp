// The editor search through the host's editor: directions, joined lines,
// empty matches, the view placed on the match, the progress counter, the
// not-found message and Esc.
#include <gtest/gtest.h>

#include "tests/module/editor/editor_fixture.hpp"

namespace editor_test {
namespace {

class EditorSearch : public EditorTest {
 protected:
  // Lines "line 0" … "line N-1".
  static std::string NumberedLines(int count) {
    std::string text;
    for (int i = 0; i < count; i++) text += "line " + std::to_string(i) + "\n";
    return text;
  }

  std::vector<std::string> CounterTexts() {
    std::vector<std::string> drawn;
    for (const ScriptUi::TextCall& t : ui_.texts())
      if (!t.flush) drawn.push_back(t.text);
    return drawn;
  }
};

// --- Forward ---

TEST_F(EditorSearch, ForwardFindsTheNextOccurrenceFromTheCursorColumn) {
  Open("foo foo\nfoo\n");
  editor().SetCursor(0, 1);
  Search({.text = "foo"});
  EXPECT_EQ(Block(), Span({0, 4}, {0, 7}));
  EXPECT_EQ(Cursor(), (Position{0, 7}));
  FindAgain();
  EXPECT_EQ(Block(), Span({1, 0}, {1, 3}));
  EXPECT_EQ(Cursor(), (Position{1, 3}));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(EditorSearch, OneLineMatchesNeverSpanALineBreak) {
  Open("xa\nbx\n");
  ui_.AnswerMessage(0);
  Search({.text = "a\\nb", .regexp = true, .several = false});
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].help_topic, "ECannotFind");
}

TEST_F(EditorSearch, CaseInsensitivePlainTextFoldsCyrillicLetters) {
  // "ПРИВЕТ" in code page 866 found by its lower-case form.
  Open("x \x8F\x90\x88\x82\x85\x92 y\n");
  Search({.text = "\xAF\xE0\xA8\xA2\xA5\xE2"});
  EXPECT_EQ(Block(), Span({0, 2}, {0, 8}));
}

// --- Several lines ---

TEST_F(EditorSearch, JoinedLinesFindAMatchAcrossABreak) {
  Open("one\nxa\nbx\n");
  Search({.text = "a\\nb", .regexp = true, .several = true});
  EXPECT_EQ(Block(), Span({1, 1}, {2, 1}));
  EXPECT_EQ(Cursor(), (Position{2, 1}));
}

TEST_F(EditorSearch, AMatchNeedingMoreThanSeveralLinesIsNotFound) {
  // SeveralLines is 5 by default: a to b over five lines is found, over six it is not.
  Open("a\nx\nx\nx\nb\n");
  Search({.text = "a\\n(x\\n)*b", .regexp = true, .several = true});
  EXPECT_EQ(Block(), Span({0, 0}, {4, 1}));

  Open("a\nx\nx\nx\nx\nb\n");
  ui_.AnswerMessage(0);
  Search({.text = "a\\n(x\\n)*b", .regexp = true, .several = true});
  EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(EditorSearch, EmptyLineIsFoundByAnchorsOnlyWithSeveralLines) {
  Open("x\n\ny\n");
  ui_.AnswerMessage(0);
  Search({.text = "^$", .regexp = true, .several = false});
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Cursor(), (Position{0, 0}));

  Search({.text = "^$", .regexp = true, .several = true});
  EXPECT_EQ(Cursor(), (Position{1, 0}));
  EXPECT_EQ(editor().block().type, BTYPE_NONE);  // an empty match selects nothing
  EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(EditorSearch, EmptyMatchAtTheCursorStaysThere) {
  Open("abc\n");
  editor().SetCursor(0, 1);
  Search({.text = "x*", .regexp = true});
  EXPECT_EQ(Cursor(), (Position{0, 1}));
  FindAgain();
  EXPECT_EQ(Cursor(), (Position{0, 1}));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(EditorSearch, SearchFromTheEndOfALineFindsNoEmptyMatchThere) {
  Open("abc\nd\n");
  editor().SetCursor(0, 3);
  Search({.text = "$", .regexp = true});
  EXPECT_EQ(Cursor(), (Position{1, 1}));
}

// --- Backward ---

TEST_F(EditorSearch, BackwardPlainTextTakesTheLastOccurrenceBeforeTheCursor) {
  Open("abcabc\n");
  editor().SetCursor(0, 6);
  Search({.text = "abc", .backward = true});
  EXPECT_EQ(Block(), Span({0, 3}, {0, 6}));
  EXPECT_EQ(Cursor(), (Position{0, 3}));
  FindAgain();
  EXPECT_EQ(Block(), Span({0, 0}, {0, 3}));
  EXPECT_EQ(Cursor(), (Position{0, 0}));
}

TEST_F(EditorSearch, BackwardPatternTakesTheLastMatchBeforeTheCursorThenGoesUp) {
  Open("zz a9\na1 a2 a3\n");
  editor().SetCursor(1, 7);
  Search({.text = "a\\d", .regexp = true, .backward = true});
  EXPECT_EQ(Block(), Span({1, 3}, {1, 5}));
  EXPECT_EQ(Cursor(), (Position{1, 3}));
  FindAgain();
  EXPECT_EQ(Block(), Span({1, 0}, {1, 2}));
  FindAgain();
  EXPECT_EQ(Block(), Span({0, 3}, {0, 5}));
}

TEST_F(EditorSearch, BackwardPatternVisitsEveryLineFromTheEnd) {
  for (bool several : {false, true}) {
    SCOPED_TRACE(several);
    Open("a1\na2\na3\na4\na5\na6\n");
    editor().SetCursor(6, 0);
    Search({.text = "a", .regexp = true, .several = several, .backward = true});
    for (int line = 5; line >= 0; line--) {
      EXPECT_EQ(Block(), Span({line, 0}, {line, 1}));
      if (line > 0) FindAgain();
    }
  }
}

TEST_F(EditorSearch, BackwardJoinedFindsAMatchEndingOnTheCursorLine) {
  Open("xa\nbx\n");
  editor().SetCursor(1, 2);
  Search({.text = "a\\nb", .regexp = true, .several = true, .backward = true});
  EXPECT_EQ(Block(), Span({0, 1}, {1, 1}));
  EXPECT_EQ(Cursor(), (Position{0, 1}));
}

// --- Not found, Esc ---

TEST_F(EditorSearch, NotFoundShowsTheMessageAndRestoresThePosition) {
  Open(NumberedLines(60));
  editor().SetCursor(3, 2);
  editor().SetView(1, 1);
  ui_.AnswerMessage(0);
  Search({.text = "zzz"});
  ASSERT_EQ(Boxes().size(), 1u);
  const ScriptUi::Call box = Boxes()[0];
  EXPECT_EQ(box.help_topic, "ECannotFind");
  EXPECT_EQ(box.flags, FMSG_WARNING);
  EXPECT_EQ(box.title, "M18");
  EXPECT_EQ(box.lines, (std::vector<std::string>{"M97", "zzz"}));
  EXPECT_EQ(box.buttons, (std::vector<std::string>{"M0"}));
  EXPECT_EQ(Cursor(), (Position{3, 2}));
  EXPECT_EQ(editor().top_line(), 1);
  EXPECT_EQ(editor().left_pos(), 1);
}

TEST_F(EditorSearch, EscStopsTheSearchWithoutAMessage) {
  for (bool several : {false, true}) {
    SCOPED_TRACE(several);
    Open(NumberedLines(1000));
    editor().SetCursor(2, 1);
    ui_.EscAfterPolls(100);
    int polls_before = ui_.polls();
    Search({.text = "zzz", .several = several});
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Cursor(), (Position{2, 1}));
    // Stopped at once, not one line later per remaining line.
    EXPECT_LE(ui_.polls() - polls_before, 102);
  }
}

// --- Progress counter ---

TEST_F(EditorSearch, ProgressCounterEvery26LinesThenAtOnceOnTheNextSearch) {
  Open(NumberedLines(999));  // with the empty last line: 1000 lines
  ui_.AnswerMessage(0);
  Search({.text = "zzz"});
  std::vector<std::string> expected;
  for (int line = 26; line < 1000; line += 26) expected.push_back(std::to_string(line) + "/1000");
  EXPECT_EQ(CounterTexts(), expected);
  // Each counter ends left of column 60, then a call without text flushes.
  const ScriptUi::TextCall& first = ui_.texts().at(0);
  EXPECT_EQ(first.x, 60 - 7);
  EXPECT_EQ(first.y, 0);
  EXPECT_EQ(first.colour, 0x30);
  EXPECT_TRUE(ui_.texts().at(1).flush);

  size_t drawn = CounterTexts().size();
  ui_.AnswerMessage(0);
  editor().SetCursor(0, 0);
  Search({.text = "zzz"});
  EXPECT_EQ(CounterTexts().at(drawn), "0/1000");
}

TEST_F(EditorSearch, ProgressCounterMovesWithTheClockAndAWideWindow) {
  SetSetting("ViewerEditorClock", 1, "Software\\Far\\Screen");
  Open(NumberedLines(40));
  editor().SetWindowSize(100, 24);
  ui_.AnswerMessage(0);
  Search({.text = "zzz"});
  ASSERT_FALSE(ui_.texts().empty());
  // "26/41": base 19 with the clock, 19 more for a 100-column window.
  EXPECT_EQ(ui_.texts()[0].text, "26/41");
  EXPECT_EQ(ui_.texts()[0].x, 19 + 19 + 35 - 5);
}

// --- Where the view goes ---

struct PlacementCase {
  int show_position;
  int offset;
  int window_rows;
  int match_line;
  int top_line;
};

TEST_F(EditorSearch, TopLineFollowsShowPositionAndItsOffset) {
  const PlacementCase cases[] = {
      {0, 0, 24, 100, 100}, {0, 3, 24, 100, 97},  {1, 0, 25, 100, 88}, {1, 0, 25, 3, 0},
      {2, 0, 25, 100, 76},  {2, -2, 25, 100, 74}, {2, 0, 25, 10, 0},  {0, -5, 24, 198, 200},
  };
  for (const PlacementCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "EShowPosition " << c.show_position << " offset "
                                    << c.offset << " line " << c.match_line);
    StopHost();
    SetSetting("EShowPosition", c.show_position);
    SetSetting("EShowPositionOffset", static_cast<DWORD>(c.offset));
    std::string text;
    for (int i = 0; i < 200; i++) text += i == c.match_line ? "needle\n" : "hay\n";
    Open(text);
    editor().SetWindowSize(80, c.window_rows);
    Search({.text = "needle"});
    EXPECT_EQ(Cursor(), (Position{c.match_line, 6}));
    EXPECT_EQ(editor().top_line(), c.top_line);
  }
}

TEST_F(EditorSearch, LeftColumnKeepsTheCursorRightSideOffsetFromTheEdge) {
  SetSetting("ERightSideOffset", 5);
  const struct {
    int end_column;
    int left;
  } cases[] = {{74, 0}, {75, 0}, {76, 1}, {100, 25}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.end_column);
    Open(std::string(c.end_column - 1, '.') + "X\n");
    Search({.text = "X"});
    EXPECT_EQ(Cursor(), (Position{0, c.end_column}));
    EXPECT_EQ(editor().left_pos(), c.left);
  }
}

TEST_F(EditorSearch, LeftColumnCountsTabsAsScreenColumns) {
  SetSetting("ERightSideOffset", 5);
  // Nine tabs put the X at screen column 72; the cursor behind it at 73.
  Open(std::string(9, '\t') + "X\n");
  Search({.text = "X"});
  EXPECT_EQ(editor().left_pos(), 0);
  Open(std::string(10, '\t') + "X\n");  // cursor at screen column 81
  Search({.text = "X"});
  EXPECT_EQ(editor().left_pos(), 81 + 5 - 80);
}

// --- Character tables ---

TEST_F(EditorSearch, TextInAKoi8FileIsSearchedAsOem) {
  Open("x \xD0\xD2\xC9\xD7\xC5\xD4 y\n");  // "привет" in KOI8-R
  ASSERT_TRUE(editor().SetCharTable(1));
  Search({.text = "\x8F\x90\x88\x82\x85\x92"});  // "ПРИВЕТ" in code page 866
  EXPECT_EQ(Block(), Span({0, 2}, {0, 8}));
}

// --- Bad input ---

TEST_F(EditorSearch, BadPatternShowsItsBoxAndTheDialogAgainWithTheText) {
  Open("abc\n");
  ui_.AnswerMenu(0);
  ui_.AnswerDialog([](std::span<FarDialogItem> items) {
    host::SetItemText(items[kSearchText], "a(b");
    items[kSearchRegExp].Selected = 1;
    return kSearchOk;
  });
  ui_.AnswerMessage(0);
  ui_.AnswerDialog([](std::span<FarDialogItem> items) {
    EXPECT_STREQ(items[kSearchText].Data, "a(b");
    EXPECT_EQ(items[kSearchRegExp].Selected, 1);
    return kSearchCancel;
  });
  CallModule();
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].help_topic, "RegExpError");
  EXPECT_EQ(editor().block().type, BTYPE_NONE);
  EXPECT_EQ(Cursor(), (Position{0, 0}));
}

TEST_F(EditorSearch, LongLinesWithZeroBytesAreSearchedWhole) {
  std::string line(1 << 20, 'a');
  for (size_t i = 0; i < line.size(); i += 1000) line[i] = '\0';
  line += "needle";
  Open(line + "\n");
  Search({.text = "needle"});
  EXPECT_EQ(Block(), Span({0, 1 << 20}, {0, (1 << 20) + 6}));
  editor().SetCursor(0, 0);
  Search({.text = "\\x00a{999}\\x00", .regexp = true});
  EXPECT_EQ(Cursor(), (Position{0, 1001}));
}

}  // namespace
}  // namespace editor_test
