// Clipped drawing primitives on the cell grid.
#include "host/ui/terminal/cell_grid.hpp"

#include <algorithm>

namespace host::tui {

namespace {

struct FrameChars {
  wchar_t horizontal, vertical, top_left, top_right, bottom_left, bottom_right;
  wchar_t join_left, join_right;  // where a single separator meets this frame
};

constexpr FrameChars kSingle{L'─', L'│', L'┌', L'┐', L'└', L'┘', L'├', L'┤'};
constexpr FrameChars kDouble{L'═', L'║', L'╔', L'╗', L'╚', L'╝', L'╟', L'╢'};

const FrameChars& CharsOf(Line line) { return line == Line::kDouble ? kDouble : kSingle; }

}  // namespace

CellGrid::CellGrid(int width, int height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      cells_(static_cast<size_t>(width_ * height_)) {}

void CellGrid::Put(int x, int y, wchar_t ch, Role role) {
  if (Contains(x, y)) cells_[static_cast<size_t>(y * width_ + x)] = Cell{ch, role};
}

int CellGrid::Text(int x, int y, std::wstring_view text, Role role, int max_width) {
  int columns = std::min(static_cast<int>(text.size()), std::max(max_width, 0));
  for (int i = 0; i < columns; ++i) Put(x + i, y, text[static_cast<size_t>(i)], role);
  return columns;
}

void CellGrid::Fill(const Rect& rect, wchar_t ch, Role role) {
  for (int y = rect.y; y <= rect.bottom(); ++y) {
    for (int x = rect.x; x <= rect.right(); ++x) Put(x, y, ch, role);
  }
}

void CellGrid::Frame(const Rect& rect, Line line, Role role) {
  if (rect.width < 2 || rect.height < 2) return;
  const FrameChars& c = CharsOf(line);
  for (int x = rect.x + 1; x < rect.right(); ++x) {
    Put(x, rect.y, c.horizontal, role);
    Put(x, rect.bottom(), c.horizontal, role);
  }
  for (int y = rect.y + 1; y < rect.bottom(); ++y) {
    Put(rect.x, y, c.vertical, role);
    Put(rect.right(), y, c.vertical, role);
  }
  Put(rect.x, rect.y, c.top_left, role);
  Put(rect.right(), rect.y, c.top_right, role);
  Put(rect.x, rect.bottom(), c.bottom_left, role);
  Put(rect.right(), rect.bottom(), c.bottom_right, role);
}

void CellGrid::Separator(int left, int right, int y, Line frame, Role role) {
  for (int x = left + 1; x < right; ++x) Put(x, y, kSingle.horizontal, role);
  Put(left, y, CharsOf(frame).join_left, role);
  Put(right, y, CharsOf(frame).join_right, role);
}

std::wstring CellGrid::Row(int y) const {
  std::wstring row;
  if (y < 0 || y >= height_) return row;
  for (int x = 0; x < width_; ++x) row += at(x, y).ch;
  return row;
}

}  // namespace host::tui
