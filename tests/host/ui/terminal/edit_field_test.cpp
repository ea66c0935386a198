// One-line editing: the mark a focused field gets, cursor keys, limits and
// horizontal scrolling.
#include "host/ui/terminal/edit_field.hpp"

#include <gtest/gtest.h>

namespace {

using host::tui::CellGrid;
using host::tui::EditField;
using host::tui::Key;
using host::tui::KeyCode;
using host::tui::Role;

void Type(EditField& field, const std::wstring& text) {
  for (wchar_t ch : text) field.HandleKey(Key::Char(ch));
}

// --- The mark a field gets with the focus ---

TEST(EditField, TypingIntoAFocusedFieldReplacesItsText) {
  EditField field("*.*");
  field.Focus();
  EXPECT_TRUE(field.marked());
  Type(field, L"*.txt");
  EXPECT_EQ(field.text(), "*.txt");
  EXPECT_FALSE(field.marked());
}

TEST(EditField, AnArrowKeepsTheTextAndEditsGoOnFromTheCursor) {
  struct Row {
    KeyCode key;
    std::string after_typing_x;
  };
  const Row rows[] = {{KeyCode::kLeft, "ab" "x" "c"},
                      {KeyCode::kHome, "x" "abc"},
                      {KeyCode::kEnd, "abc" "x"},
                      {KeyCode::kRight, "abc" "x"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.key));
    EditField field("abc");
    field.Focus();
    field.HandleKey(Key::Of(row.key));
    EXPECT_FALSE(field.marked());
    Type(field, L"x");
    EXPECT_EQ(field.text(), row.after_typing_x);
  }
}

TEST(EditField, BackspaceOrDelOnAMarkedTextClearsIt) {
  for (KeyCode key : {KeyCode::kBackspace, KeyCode::kDelete}) {
    EditField field("abc");
    field.Focus();
    field.HandleKey(Key::Of(key));
    EXPECT_EQ(field.text(), "");
  }
}

TEST(EditField, AnEmptyFieldIsNotMarked) {
  EditField field;
  field.Focus();
  EXPECT_FALSE(field.marked());
}

// --- Editing keys ---

TEST(EditField, BackspaceAndDelAroundTheCursor) {
  EditField field("abcd");
  field.HandleKey(Key::Of(KeyCode::kLeft));
  field.HandleKey(Key::Of(KeyCode::kLeft));
  field.HandleKey(Key::Of(KeyCode::kBackspace));
  EXPECT_EQ(field.text(), "acd");
  field.HandleKey(Key::Of(KeyCode::kDelete));
  EXPECT_EQ(field.text(), "ad");
  EXPECT_EQ(field.cursor(), 1);
  field.HandleKey(Key::Of(KeyCode::kHome));
  field.HandleKey(Key::Of(KeyCode::kBackspace));
  EXPECT_EQ(field.text(), "ad");
  field.HandleKey(Key::Of(KeyCode::kEnd));
  field.HandleKey(Key::Of(KeyCode::kDelete));
  EXPECT_EQ(field.text(), "ad");
}

TEST(EditField, InsertSwitchesToOvertype) {
  EditField field("abc");
  field.HandleKey(Key::Of(KeyCode::kHome));
  field.HandleKey(Key::Of(KeyCode::kInsert));
  Type(field, L"XY");
  EXPECT_EQ(field.text(), "XYc");
  Type(field, L"ZW");
  EXPECT_EQ(field.text(), "XYZW");
}

TEST(EditField, KeysThatAreNotEditingKeysAreLeftToTheCaller) {
  EditField field("abc");
  for (Key key : {Key::Of(KeyCode::kUp), Key::Of(KeyCode::kTab), Key::Of(KeyCode::kEnter),
                  Key::Of(KeyCode::kDown).WithCtrl(), Key::Alt(L'x'), Key::Of(KeyCode::kF1)}) {
    EXPECT_FALSE(field.HandleKey(key));
  }
  EXPECT_EQ(field.text(), "abc");
}

TEST(EditField, CyrillicIsStoredAsCodePage866AndUnmappableCharactersAreRefused) {
  EditField field;
  Type(field, L"\x0416\x2603z");  // Zhe, a snowman, z
  EXPECT_EQ(field.text(), "\x86z");
}

// --- Limits ---

TEST(EditField, APasteLongerThanTheFieldStopsAtItsLimit) {
  EditField field({}, 511);
  Type(field, std::wstring(10000, L'p'));
  EXPECT_EQ(field.text(), std::string(511, 'p'));
  EditField overlong(std::string(600, 'q'), 511);
  EXPECT_EQ(overlong.text().size(), 511u);
}

// --- Drawing ---

TEST(EditField, ALongTextScrollsSoTheCursorStaysInTheField) {
  CellGrid grid(20, 1);
  EditField field("0123456789abcdef");
  field.Render(grid, 2, 0, 5, Role::kDialogEdit, Role::kDialogEditMarked, true);
  EXPECT_EQ(grid.Row(0).substr(2, 5), L"cdef ");
  EXPECT_EQ(grid.cursor_x(), 6);
  field.HandleKey(Key::Of(KeyCode::kHome));
  field.Render(grid, 2, 0, 5, Role::kDialogEdit, Role::kDialogEditMarked, true);
  EXPECT_EQ(grid.Row(0).substr(2, 5), L"01234");
  EXPECT_EQ(grid.cursor_x(), 2);
}

TEST(EditField, AFullOneCharacterFieldShowsItsCharacter) {
  CellGrid grid(3, 1);
  EditField field(",", 1);
  field.Render(grid, 1, 0, 1, Role::kDialogEdit, Role::kDialogEditMarked, true);
  EXPECT_EQ(grid.at(1, 0).ch, L',');
  EXPECT_EQ(grid.cursor_x(), 1);
}

TEST(EditField, AMarkedTextIsDrawnInTheMarkedRole) {
  CellGrid grid(10, 1);
  EditField field("ab");
  field.Focus();
  field.Render(grid, 0, 0, 10, Role::kDialogEdit, Role::kDialogEditMarked, true);
  EXPECT_EQ(grid.at(0, 0).role, Role::kDialogEditMarked);
  EXPECT_EQ(grid.at(5, 0).role, Role::kDialogEdit);
}

}  // namespace
