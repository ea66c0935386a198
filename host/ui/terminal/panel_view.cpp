// Panel drawing.
#include "host/ui/terminal/panel_view.hpp"

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <cwchar>

#include "host/ui/shown_text.hpp"
#include "host/ui/terminal/oem_text.hpp"

namespace host::tui {

namespace {

constexpr int kSizeColumns = 9;
constexpr int kDateColumns = 8;
constexpr uint64_t kEpochDifference = 116444736000000000ULL;  // 1601 to 1970 in 100 ns

struct Columns {
  int name = 0, size = 0, date = 0;  // widths; 0: not shown
};

// The name column takes what the size and date leave; they go first when
// the panel is narrow.
Columns ColumnsFor(int inner) {
  if (inner >= 34) return {inner - kSizeColumns - kDateColumns - 2, kSizeColumns, kDateColumns};
  if (inner >= 20) return {inner - kSizeColumns - 1, kSizeColumns, 0};
  return {inner, 0, 0};
}

bool IsFolder(const PluginPanelItem& item) {
  return item.FindData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
}

bool IsParent(const PluginPanelItem& item) {
  return std::string_view(item.FindData.cFileName) == "..";
}

bool IsSelected(const PluginPanelItem& item) { return item.Flags & PPIF_SELECTED; }

std::wstring ShownItemName(const PluginPanelItem& item, const PanelLook& look) {
  return Utf8ToWide(ShownName(look.title, item.FindData.cFileName));
}

// Text that fits `width` columns: cut at the end, or at the start with a
// mark when the end matters more.
std::wstring Fit(const std::wstring& text, int width, bool keep_end) {
  if (width <= 0) return {};
  if (static_cast<int>(text.size()) <= width) return text;
  if (!keep_end) return text.substr(0, static_cast<size_t>(width));
  return L"…" + text.substr(text.size() - static_cast<size_t>(width - 1));
}

std::wstring PadLeft(const std::wstring& text, int width) {
  if (static_cast<int>(text.size()) >= width) return text.substr(0, static_cast<size_t>(width));
  return std::wstring(static_cast<size_t>(width) - text.size(), L' ') + text;
}

Role ItemRole(const PluginPanelItem& item, bool under_cursor) {
  if (under_cursor) return IsSelected(item) ? Role::kPanelSelectedCursor : Role::kPanelCursor;
  if (IsSelected(item)) return Role::kPanelSelected;
  return IsFolder(item) ? Role::kPanelFolder : Role::kPanel;
}

}  // namespace

std::wstring SizeText(const PluginPanelItem& item, int width) {
  if (IsParent(item)) return L"Up";
  if (IsFolder(item)) return L"<Folder>";
  uint64_t size = (static_cast<uint64_t>(item.FindData.nFileSizeHigh) << 32) |
                  item.FindData.nFileSizeLow;
  std::wstring text = std::to_wstring(size);
  for (const wchar_t* unit : {L"K", L"M", L"G", L"T"}) {
    if (static_cast<int>(text.size()) <= width) break;
    size /= 1024;
    text = std::to_wstring(size) + unit;
  }
  return text;
}

std::wstring DateText(const FILETIME& time) {
  uint64_t ticks = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  if (ticks < kEpochDifference) return {};
  std::time_t seconds = static_cast<std::time_t>((ticks - kEpochDifference) / 10000000ULL);
  std::tm local{};
  if (!localtime_r(&seconds, &local)) return {};
  wchar_t text[16];
  std::swprintf(text, 16, L"%02d.%02d.%02d", local.tm_mday, local.tm_mon + 1, local.tm_year % 100);
  return text;
}

void PanelView::Follow(int cursor, int item_count, const Rect& rect) {
  int rows = ItemRows(rect);
  if (cursor < top_) top_ = cursor;
  if (cursor >= top_ + rows) top_ = cursor - rows + 1;
  top_ = std::clamp(top_, 0, std::max(item_count - rows, 0));
}

void PanelView::Render(CellGrid& grid, const Rect& rect, const std::vector<PluginPanelItem>& items,
                       int cursor, const PanelLook& look, bool active) const {
  grid.Fill(rect, L' ', Role::kPanel);
  grid.Frame(rect, Line::kDouble, Role::kPanel);
  int inner = rect.width - 2;
  std::wstring title = L" " + Fit(Utf8ToWide(ShownLine(look.title)), inner - 2, true) + L" ";
  grid.Text(rect.x + (rect.width - static_cast<int>(title.size())) / 2, rect.y, title,
            active ? Role::kPanelActiveTitle : Role::kPanelTitle, inner);

  Columns columns = ColumnsFor(inner);
  int header = rect.y + 1;
  auto column_title = [&](int x, int width, const wchar_t* text) {
    int length = static_cast<int>(std::wstring_view(text).size());
    grid.Text(x + std::max((width - length) / 2, 0), header, text, Role::kPanelColumnTitle, width);
  };
  int name_x = rect.x + 1;
  int size_x = name_x + columns.name + 1;
  int date_x = size_x + columns.size + 1;
  column_title(name_x, columns.name, L"Name");
  if (columns.size) column_title(size_x, columns.size, L"Size");
  if (columns.date) column_title(date_x, columns.date, L"Date");

  int rows = ItemRows(rect);
  for (int row = 0; row < rows; ++row) {
    int y = header + 1 + row;
    if (columns.size) grid.Put(size_x - 1, y, L'│', Role::kPanel);
    if (columns.date) grid.Put(date_x - 1, y, L'│', Role::kPanel);
    size_t index = static_cast<size_t>(top_ + row);
    if (index >= items.size()) continue;
    const PluginPanelItem& item = items[index];
    Role role = ItemRole(item, active && static_cast<int>(index) == cursor);
    std::wstring name = ShownItemName(item, look);
    bool keep_end = look.right_aligned_names && !IsParent(item);
    std::wstring shown = Fit(name, columns.name, keep_end);
    if (keep_end) shown = PadLeft(shown, columns.name);
    grid.Fill(Rect{name_x, y, inner, 1}, L' ', role);
    grid.Text(name_x, y, shown, role, columns.name);
    if (columns.size) {
      grid.Put(size_x - 1, y, L'│', role);
      grid.Text(size_x, y, PadLeft(SizeText(item, columns.size), columns.size), role);
    }
    if (columns.date) {
      grid.Put(date_x - 1, y, L'│', role);
      grid.Text(date_x, y, DateText(item.FindData.ftLastWriteTime), role, columns.date);
    }
  }

  int status = rect.bottom() - 1;
  grid.Separator(rect.x, rect.right(), status - 1, Line::kDouble, Role::kPanel);
  if (cursor >= 0 && cursor < static_cast<int>(items.size())) {
    const PluginPanelItem& item = items[static_cast<size_t>(cursor)];
    std::wstring size = SizeText(item, kSizeColumns + 6);
    int name_width = std::max(inner - static_cast<int>(size.size()) - 1, 1);
    grid.Text(name_x, status, Fit(ShownItemName(item, look), name_width, true),
              Role::kPanel, name_width);
    grid.Text(rect.right() - static_cast<int>(size.size()), status, size, Role::kPanel);
  }
}

}  // namespace host::tui
