// One file panel on the screen: a frame with the folder (or the module
// panel's title) on top, a header row, the items with name, size and date
// columns, and a status row naming the item under the cursor. The view
// keeps only how far the list is scrolled; the items, the cursor and the
// selection belong to the host's panel.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "host/ui/terminal/cell_grid.hpp"
#include "sdk/plugin.hpp"

namespace host::tui {

struct PanelLook {
  std::string title;                 // code page 866
  bool right_aligned_names = false;  // long names show their ends (full paths)
};

class PanelView {
 public:
  // The rows of a panel of that rectangle that list items.
  static int ItemRows(const Rect& rect) { return std::max(rect.height - 5, 1); }

  // Scrolls so that the cursor is on one of the item rows.
  void Follow(int cursor, int item_count, const Rect& rect);
  int top() const { return top_; }

  void Render(CellGrid& grid, const Rect& rect, const std::vector<PluginPanelItem>& items,
              int cursor, const PanelLook& look, bool active) const;

 private:
  int top_ = 0;  // index of the first item shown
};

// "1234567", "12345K", "<Folder>", "Up": the size column of an item.
std::wstring SizeText(const PluginPanelItem& item, int width);
// "dd.mm.yy" in local time; empty for a zero time.
std::wstring DateText(const FILETIME& time);

}  // namespace host::tui
