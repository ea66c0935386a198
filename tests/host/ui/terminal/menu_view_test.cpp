// Menus: cursor movement with and without wrapping, separators, break
// keys, hotkeys and drawing in a small window.
#include "host/ui/terminal/menu_view.hpp"

#include <gtest/gtest.h>

namespace {

using host::Menu;
using host::MenuEntry;
using host::tui::Key;
using host::tui::KeyCode;
using host::tui::MenuView;
using host::tui::Reaction;

Menu FileMenu(unsigned flags = FMENU_WRAPMODE) {
  Menu menu{.flags = flags, .title = "Finderix", .help_topic = "FileMenu"};
  for (const char* text : {"&Search", "&Replace", "", "Select files", "Unselect files"}) {
    menu.items.push_back(MenuEntry{.text = text, .separator = *text == '\0'});
  }
  return menu;
}

int CursorAfter(MenuView& view, std::initializer_list<KeyCode> keys) {
  for (KeyCode key : keys) view.HandleKey(Key::Of(key));
  return view.cursor();
}

// --- Moving ---

TEST(MenuView, ArrowsSkipSeparatorsAndWrapOnlyInWrapMode) {
  MenuView wrapping(FileMenu());
  wrapping.Layout(80, 25);
  EXPECT_EQ(CursorAfter(wrapping, {KeyCode::kDown, KeyCode::kDown}), 3);
  EXPECT_EQ(CursorAfter(wrapping, {KeyCode::kDown, KeyCode::kDown}), 0);
  EXPECT_EQ(CursorAfter(wrapping, {KeyCode::kUp}), 4);

  MenuView stopping(FileMenu(0));
  stopping.Layout(80, 25);
  EXPECT_EQ(CursorAfter(stopping, {KeyCode::kUp}), 0);
  EXPECT_EQ(CursorAfter(stopping, {KeyCode::kEnd, KeyCode::kDown}), 4);
  EXPECT_EQ(CursorAfter(stopping, {KeyCode::kHome}), 0);
}

TEST(MenuView, TheSelectedEntryHasTheCursorFirst) {
  Menu menu = FileMenu();
  menu.items[3].selected = true;
  MenuView view(menu);
  EXPECT_EQ(view.cursor(), 3);
}

// --- Closing ---

TEST(MenuView, EnterChoosesTheEntryAndEscChoosesNothing) {
  MenuView view(FileMenu());
  view.Layout(80, 25);
  view.HandleKey(Key::Of(KeyCode::kDown));
  EXPECT_EQ(view.HandleKey(Key::Of(KeyCode::kEnter)), Reaction::kClose);
  EXPECT_EQ(view.choice().index, 1);
  EXPECT_EQ(view.choice().break_code, -1);

  MenuView cancelled(FileMenu());
  cancelled.Layout(80, 25);
  EXPECT_EQ(cancelled.HandleKey(Key::Of(KeyCode::kEsc)), Reaction::kClose);
  EXPECT_EQ(cancelled.choice().index, -1);
}

TEST(MenuView, BreakKeysCloseWithTheirIndexAndTheEntryUnderTheCursor) {
  struct Row {
    Key key;
    int break_code;
  };
  const Row rows[] = {{Key::Of(KeyCode::kInsert), 0},
                      {Key::Of(KeyCode::kDelete), 1},
                      {Key::Of(KeyCode::kF4), 2},
                      {Key::Of(KeyCode::kF4).WithShift(), -1}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.break_code);
    Menu menu = FileMenu();
    menu.break_keys = {VK_INSERT, VK_DELETE, VK_F4};
    MenuView view(menu);
    view.Layout(80, 25);
    view.HandleKey(Key::Of(KeyCode::kDown));
    Reaction reaction = view.HandleKey(row.key);
    EXPECT_EQ(reaction == Reaction::kClose, row.break_code >= 0);
    if (row.break_code >= 0) {
      EXPECT_EQ(view.choice().index, 1);
      EXPECT_EQ(view.choice().break_code, row.break_code);
    }
  }
}

TEST(MenuView, BreakKeysWorkOnAnEmptyMenu) {
  Menu menu{.title = "Presets", .break_keys = {VK_INSERT}};
  MenuView view(menu);
  view.Layout(80, 25);
  EXPECT_EQ(view.HandleKey(Key::Of(KeyCode::kInsert)), Reaction::kClose);
  EXPECT_EQ(view.choice().index, -1);
  EXPECT_EQ(view.choice().break_code, 0);
}

TEST(MenuView, AHotkeyChoosesItsEntryAndAutoHighlightGivesEveryEntryOne) {
  MenuView marked(FileMenu());
  marked.Layout(80, 25);
  EXPECT_EQ(marked.HandleKey(Key::Char(L'r')), Reaction::kClose);
  EXPECT_EQ(marked.choice().index, 1);

  MenuView automatic(FileMenu(FMENU_WRAPMODE | FMENU_AUTOHIGHLIGHT));
  automatic.Layout(80, 25);
  // "Select files" gets S... taken by Search, so its next free letter: e.
  EXPECT_EQ(automatic.HandleKey(Key::Char(L'e')), Reaction::kClose);
  EXPECT_EQ(automatic.choice().index, 3);
}

// --- Drawing ---

TEST(MenuView, TitleBottomSeparatorAndCheckMarkAreDrawn) {
  Menu menu = FileMenu();
  menu.bottom = "Ins,Del,F4";
  menu.items[1].checked = true;
  MenuView view(menu);
  view.Layout(40, 12);
  host::tui::CellGrid grid(40, 12);
  view.Render(grid);
  const host::tui::Rect& box = view.box();
  EXPECT_NE(grid.Row(box.y).find(L" Finderix "), std::wstring::npos);
  EXPECT_NE(grid.Row(box.bottom()).find(L" Ins,Del,F4 "), std::wstring::npos);
  EXPECT_EQ(grid.Row(box.y + 2).substr(static_cast<size_t>(box.x), 3), L"║ √");
  EXPECT_EQ(grid.at(box.x, box.y + 3).ch, L'╟');
}

TEST(MenuView, AMenuTallerThanTheScreenScrollsToTheCursor) {
  Menu menu{.flags = FMENU_WRAPMODE, .title = "Many"};
  for (int i = 0; i < 30; ++i) menu.items.push_back(MenuEntry{.text = "item " + std::to_string(i)});
  MenuView view(menu);
  view.Layout(40, 10);
  EXPECT_LE(view.box().height, 10);
  view.HandleKey(Key::Of(KeyCode::kEnd));
  host::tui::CellGrid grid(40, 10);
  view.Render(grid);
  bool shown = false;
  for (int y = 0; y < 10; ++y) shown = shown || grid.Row(y).find(L"item 29") != std::wstring::npos;
  EXPECT_TRUE(shown);
}

}  // namespace
