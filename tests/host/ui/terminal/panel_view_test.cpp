// A file panel on the cell grid: columns, sizes, right-aligned names,
// selection and scrolling.
#include "host/ui/terminal/panel_view.hpp"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/win32.hpp"
#include "tests/support/temp_folder.hpp"

namespace {

using host::tui::CellGrid;
using host::tui::PanelLook;
using host::tui::PanelView;
using host::tui::Rect;
using host::tui::Role;

PluginPanelItem Item(const std::string& name, uint64_t size, bool folder = false) {
  PluginPanelItem item{};
  std::strncpy(item.FindData.cFileName, name.c_str(), sizeof(item.FindData.cFileName) - 1);
  item.FindData.nFileSizeHigh = static_cast<DWORD>(size >> 32);
  item.FindData.nFileSizeLow = static_cast<DWORD>(size);
  if (folder) item.FindData.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
  return item;
}

TEST(PanelView, SizesFitTheirColumn) {
  struct Row {
    uint64_t size;
    std::wstring text;
  };
  const Row rows[] = {{0, L"0"},
                      {123456789, L"123456789"},
                      {1234567890, L"1205632K"},
                      {5ULL << 32, L"20971520K"},
                      {50ULL << 40, L"52428800M"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.size);
    EXPECT_EQ(host::tui::SizeText(Item("f", row.size), 9), row.text);
  }
  EXPECT_EQ(host::tui::SizeText(Item("d", 0, true), 9), L"<Folder>");
  EXPECT_EQ(host::tui::SizeText(Item("..", 0, true), 9), L"Up");
}

TEST(PanelView, TheCursorRowTheSelectionAndTheActiveTitleHaveTheirRoles) {
  std::vector<PluginPanelItem> items = {Item("..", 0, true), Item("a.txt", 5), Item("b.txt", 7)};
  items[2].Flags |= PPIF_SELECTED;
  CellGrid grid(40, 12);
  PanelView view;
  Rect rect{0, 0, 40, 10};
  view.Render(grid, rect, items, 1, PanelLook{"C:\\work"}, true);
  EXPECT_NE(grid.Row(0).find(L" /work "), std::wstring::npos);  // the folder's real path
  EXPECT_EQ(grid.at(18, 0).role, Role::kPanelActiveTitle);
  EXPECT_EQ(grid.Row(3).substr(1, 5), L"a.txt");
  EXPECT_EQ(grid.at(1, 3).role, Role::kPanelCursor);
  EXPECT_EQ(grid.at(1, 4).role, Role::kPanelSelected);
  EXPECT_NE(grid.Row(8).find(L"a.txt"), std::wstring::npos);  // the status row names it
}

TEST(PanelView, ResultsShowTheEndsOfLongPathsRightAligned) {
  std::vector<PluginPanelItem> items = {Item("..", 0, true),
                                        Item("C:\\a\\very\\long\\path\\to\\the\\file.txt", 1)};
  CellGrid grid(40, 12);
  PanelView view;
  view.Render(grid, Rect{0, 0, 40, 10}, items, 0, PanelLook{"Finderix results", true}, false);
  std::wstring row = grid.Row(3);
  size_t bar = row.find(L'│');
  ASSERT_NE(bar, std::wstring::npos);
  EXPECT_EQ(row.substr(bar - 8, 8), L"file.txt");
  EXPECT_EQ(row[1], L'…');
}

TEST(PanelView, NarrowPanelsDropTheDateThenTheSize) {
  std::vector<PluginPanelItem> items = {Item("name", 5)};
  for (int width : {40, 24, 14}) {
    SCOPED_TRACE(width);
    CellGrid grid(width, 8);
    PanelView view;
    view.Render(grid, Rect{0, 0, width, 8}, items, 0, PanelLook{"C:\\"}, false);
    std::wstring header = grid.Row(1);
    EXPECT_EQ(header.find(L"Date") != std::wstring::npos, width >= 36);
    EXPECT_EQ(header.find(L"Size") != std::wstring::npos, width >= 22);
    EXPECT_NE(header.find(L"Name"), std::wstring::npos);
  }
}

TEST(PanelView, FollowKeepsTheCursorOnTheItemRows) {
  PanelView view;
  Rect rect{0, 0, 40, 10};  // five item rows
  view.Follow(12, 30, rect);
  EXPECT_EQ(view.top(), 8);
  view.Follow(10, 30, rect);
  EXPECT_EQ(view.top(), 8);
  view.Follow(3, 30, rect);
  EXPECT_EQ(view.top(), 3);
  view.Follow(0, 2, rect);
  EXPECT_EQ(view.top(), 0);
}

TEST(PanelView, ItemsListedUnderAnAliasShowTheirRealNameEscaped) {
  TempFolder folder;
  WriteText(folder.Posix("日本.txt"), "");
  WriteText(folder.Posix("bell\a.txt"), "");
  std::vector<PluginPanelItem> items;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(folder.Module("*.txt").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  do items.push_back(Item(data.cFileName, 0));
  while (FindNextFileA(find, &data));
  FindClose(find);
  CellGrid grid(60, 12);
  PanelView view;
  view.Render(grid, Rect{0, 0, 60, 10}, items, 0, PanelLook{folder.Module()}, true);
  std::wstring rows;
  for (int y = 0; y < 10; ++y) rows += grid.Row(y) + L"\n";
  EXPECT_NE(rows.find(L"日本.txt"), std::wstring::npos);
  EXPECT_NE(rows.find(L"bell\\x07.txt"), std::wstring::npos);
  EXPECT_EQ(rows.find(L"~1"), std::wstring::npos);
}

}  // namespace
