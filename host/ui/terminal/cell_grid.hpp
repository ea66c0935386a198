// The screen as a plain grid of cells: a character and a colour role each,
// plus where the cursor stands. Views draw into it; one function copies it
// to the terminal, so every layout can be checked without a terminal.
// Drawing outside the grid is clipped, never an error.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/ui/terminal/colour_role.hpp"

namespace host::tui {

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  int right() const { return x + width - 1; }
  int bottom() const { return y + height - 1; }
};

struct Cell {
  wchar_t ch = L' ';
  Role role = Role::kPanel;
  bool operator==(const Cell&) const = default;
};

enum class Line { kSingle, kDouble };

class CellGrid {
 public:
  CellGrid() = default;
  CellGrid(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  const Cell& at(int x, int y) const { return cells_[static_cast<size_t>(y * width_ + x)]; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  void Put(int x, int y, wchar_t ch, Role role);
  // Writes text from column x, at most max_width columns; returns the
  // number of columns the text took (clipped cells included).
  int Text(int x, int y, std::wstring_view text, Role role, int max_width = 1 << 20);
  void Fill(const Rect& rect, wchar_t ch, Role role);
  void Frame(const Rect& rect, Line line, Role role);
  // A line across a frame from its left to its right border, joined to it.
  void Separator(int left, int right, int y, Line frame, Role role);

  void PlaceCursor(int x, int y) { cursor_x_ = x, cursor_y_ = y, cursor_visible_ = true; }
  void HideCursor() { cursor_visible_ = false; }
  bool cursor_visible() const { return cursor_visible_; }
  int cursor_x() const { return cursor_x_; }
  int cursor_y() const { return cursor_y_; }

  // The characters of a row, for tests and diagnostics.
  std::wstring Row(int y) const;

 private:
  int width_ = 0, height_ = 0;
  std::vector<Cell> cells_;
  int cursor_x_ = 0, cursor_y_ = 0;
  bool cursor_visible_ = false;
};

}  // namespace host::tui
