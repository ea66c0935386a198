// Key bar drawing: the screen's width shared out over the twelve keys.
#include "host/ui/terminal/key_bar.hpp"

#include "host/ui/terminal/oem_text.hpp"

namespace host::tui {

void RenderKeyBar(CellGrid& grid, int y, const KeyLabels& labels) {
  int width = grid.width();
  grid.Fill(Rect{0, y, width, 1}, L' ', Role::kKeyBarNumber);
  for (int i = 0; i < 12; ++i) {
    int left = width * i / 12;
    int right = width * (i + 1) / 12;  // exclusive
    std::wstring number = std::to_wstring(i + 1);
    int used = grid.Text(left, y, number, Role::kKeyBarNumber, right - left);
    int label_width = right - left - used - 1;
    grid.Fill(Rect{left + used, y, label_width, 1}, L' ', Role::kKeyBarLabel);
    grid.Text(left + used, y, OemToWide(labels[static_cast<size_t>(i)]), Role::kKeyBarLabel,
              label_width);
  }
}

}  // namespace host::tui
