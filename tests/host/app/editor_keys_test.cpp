// Editing the host's editor buffer from the keyboard, and drawing it.
#include "host/app/editor_keys.hpp"

#include <gtest/gtest.h>

#include "host/app/editor_view.hpp"

namespace {

using host::EditorBuffer;
using host::tui::EditorKeys;
using host::tui::Key;
using host::tui::KeyCode;

class EditorKeysTest : public testing::Test {
 protected:
  explicit EditorKeysTest(std::string_view content = "first line\r\nsecond\r\nthird")
      : buffer_(content), keys_(buffer_) {
    buffer_.SetWindowSize(20, 5);
  }
  void Press(const Key& key) {
    keys_.Handle(key);
    keys_.FollowCursor();
  }
  void Press(KeyCode code, int times = 1) {
    for (int i = 0; i < times; ++i) Press(Key::Of(code));
  }
  void Type(const std::wstring& text) {
    for (wchar_t ch : text) Press(Key::Char(ch));
  }
  void ExpectCursor(int line, int pos) {
    EXPECT_EQ(buffer_.cur_line(), line);
    EXPECT_EQ(buffer_.cur_pos(), pos);
  }

  EditorBuffer buffer_;
  EditorKeys keys_;
};

// --- Moving ---

TEST_F(EditorKeysTest, ArrowsHomeEndAndTheFileEnds) {
  Press(KeyCode::kEnd);
  ExpectCursor(0, 10);
  Press(KeyCode::kDown);
  ExpectCursor(1, 10);  // the column is kept past the line's end
  Press(KeyCode::kHome);
  ExpectCursor(1, 0);
  Press(KeyCode::kLeft);
  ExpectCursor(1, 0);
  Press(Key::Of(KeyCode::kEnd).WithCtrl());
  ExpectCursor(2, 5);
  Press(Key::Of(KeyCode::kHome).WithCtrl());
  ExpectCursor(0, 0);
}

TEST_F(EditorKeysTest, UpAndDownKeepTheScreenColumnAcrossTabs) {
  EditorBuffer buffer("\tx\nabcdefghij");
  EditorKeys keys(buffer);
  keys.Handle(Key::Of(KeyCode::kRight));  // after the tab: screen column 8
  keys.Handle(Key::Of(KeyCode::kDown));
  EXPECT_EQ(buffer.cur_pos(), 8);
}

// --- Typing ---

TEST_F(EditorKeysTest, TypingInsertsAndOvertypeReplaces) {
  Type(L"A ");
  EXPECT_EQ(buffer_.lines()[0].text, "A first line");
  Press(KeyCode::kInsert);
  Type(L"XY");
  EXPECT_EQ(buffer_.lines()[0].text, "A XYrst line");
  EXPECT_TRUE(buffer_.modified());
}

TEST_F(EditorKeysTest, TypingPastTheEndFillsWithBlanks) {
  Press(KeyCode::kDown);
  Press(KeyCode::kRight, 8);
  Type(L"!");
  EXPECT_EQ(buffer_.lines()[1].text, "second  !");
}

TEST_F(EditorKeysTest, TypedCyrillicGoesInInTheFilesCharacterTable) {
  ASSERT_TRUE(buffer_.SetCharTable(0));  // Windows-1251
  Type(L"\x0416");
  EXPECT_EQ(static_cast<unsigned char>(buffer_.lines()[0].text[0]), 0xC6);
}

// --- Lines ---

TEST_F(EditorKeysTest, EnterSplitsAndBackspaceJoinsKeepingTheLineBreaks) {
  Press(KeyCode::kRight, 5);
  Press(KeyCode::kEnter);
  EXPECT_EQ(buffer_.lines()[0].text, "first");
  EXPECT_EQ(buffer_.lines()[1].text, " line");
  ExpectCursor(1, 0);
  Press(KeyCode::kBackspace);
  EXPECT_EQ(buffer_.Content(), "first line\r\nsecond\r\nthird");
  ExpectCursor(0, 5);
}

TEST_F(EditorKeysTest, BackspaceIntoTheLastLineKeepsTheFileWithoutAFinalBreak) {
  Press(Key::Of(KeyCode::kEnd).WithCtrl());
  Press(KeyCode::kHome);
  Press(KeyCode::kBackspace);
  EXPECT_EQ(buffer_.Content(), "first line\r\nsecondthird");
}

TEST_F(EditorKeysTest, DelAtTheEndJoinsTheNextLine) {
  Press(KeyCode::kDown);
  Press(KeyCode::kEnd);
  Press(KeyCode::kDelete);
  EXPECT_EQ(buffer_.Content(), "first line\r\nsecondthird");
  Press(KeyCode::kHome);
  Press(KeyCode::kDelete);
  EXPECT_EQ(buffer_.lines()[1].text, "econdthird");
}

TEST_F(EditorKeysTest, CtrlYDeletesTheLine) {
  Press(KeyCode::kDown);
  Press(Key::Ctrl(L'y'));
  EXPECT_EQ(buffer_.Content(), "first line\r\nthird");
}

// --- Blocks ---

TEST_F(EditorKeysTest, ShiftArrowsMarkAStreamBlockFromWhereMarkingBegan) {
  Press(KeyCode::kRight, 6);
  Press(Key::Of(KeyCode::kRight).WithShift());
  Press(Key::Of(KeyCode::kDown).WithShift());
  const host::EditorBlock& block = buffer_.block();
  EXPECT_EQ(block.type, BTYPE_STREAM);
  EXPECT_EQ(block.start_line, 0);
  EXPECT_EQ(block.start_pos, 6);
  EXPECT_EQ(block.end_line, 1);
  EXPECT_EQ(block.end_pos, 7);  // past the end of "second": the column is kept
  Press(Key::Of(KeyCode::kUp).WithShift());
  Press(Key::Of(KeyCode::kLeft).WithShift());
  Press(Key::Of(KeyCode::kLeft).WithShift());
  EXPECT_EQ(buffer_.block().start_pos, 5);  // marked back over the start
  EXPECT_EQ(buffer_.block().end_pos, 6);
  Press(KeyCode::kRight);
  EXPECT_EQ(buffer_.block().type, BTYPE_NONE);
}

TEST_F(EditorKeysTest, AltShiftArrowsMarkAColumnBlock) {
  Press(KeyCode::kRight, 1);
  Press(Key::Of(KeyCode::kDown).WithShift().WithAlt());
  Press(Key::Of(KeyCode::kRight).WithShift().WithAlt());
  Press(Key::Of(KeyCode::kRight).WithShift().WithAlt());
  const host::EditorBlock& block = buffer_.block();
  EXPECT_EQ(block.type, BTYPE_COLUMN);
  EXPECT_EQ(block.start_line, 0);
  EXPECT_EQ(block.end_line, 1);
  EXPECT_EQ(block.start_pos, 1);
  EXPECT_EQ(block.end_pos, 3);
}

// --- The view follows the cursor ---

TEST_F(EditorKeysTest, TheViewScrollsToKeepTheCursorInside) {
  EditorBuffer buffer(std::string(30, 'x') + "\n1\n2\n3\n4\n5\n6\n7");
  buffer.SetWindowSize(10, 3);
  EditorKeys keys(buffer);
  keys.Handle(Key::Of(KeyCode::kEnd));
  keys.FollowCursor();
  EXPECT_EQ(buffer.left_pos(), 21);
  keys.Handle(Key::Of(KeyCode::kEnd).WithCtrl());
  keys.FollowCursor();
  EXPECT_EQ(buffer.top_line(), 5);
  EXPECT_EQ(buffer.left_pos(), 1);
}

TEST_F(EditorKeysTest, TheScreenShowsTabsTheBlockAndTheStatus) {
  EditorBuffer buffer("a\tb\nselected");
  buffer.SelectStream(1, 0, 1, 3);
  host::tui::CellGrid grid(40, 6);
  host::tui::RenderEditor(grid, buffer, host::tui::EditorStatus{"notes.txt", "12:34"});
  EXPECT_EQ(grid.Row(1).substr(0, 10), L"a       b ");
  EXPECT_EQ(grid.at(2, 2).role, host::tui::Role::kEditorSelection);
  EXPECT_EQ(grid.at(3, 2).role, host::tui::Role::kEditor);
  EXPECT_EQ(grid.Row(0).substr(0, 9), L"notes.txt");
  EXPECT_NE(grid.Row(0).find(L"Line 1/2"), std::wstring::npos);
  EXPECT_NE(grid.Row(0).find(L"12:34"), std::wstring::npos);
  EXPECT_EQ(grid.cursor_x(), 0);
  EXPECT_EQ(grid.cursor_y(), 1);
}

}  // namespace
