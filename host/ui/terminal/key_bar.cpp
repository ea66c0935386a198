// Key bar drawing: the screen's width shared out over the twelve keys, so
// that every label is whole when the width allows it.
#include "host/ui/terminal/key_bar.hpp"

#include <algorithm>
#include <numeric>

#include "host/ui/terminal/oem_text.hpp"

namespace host::tui {

namespace {

int NumberWidth(int index) { return index < 9 ? 1 : 2; }

}  // namespace

std::array<int, 12> KeyWidths(const KeyLabels& labels, int width) {
  std::array<int, 12> widths{};
  for (int i = 0; i < 12; ++i) {
    // The number, the label and a column before the next key.
    widths[static_cast<size_t>(i)] =
        NumberWidth(i) + static_cast<int>(labels[static_cast<size_t>(i)].size()) + 1;
  }
  int total = std::accumulate(widths.begin(), widths.end(), 0);
  // Too narrow: the longest labels give up a column each in turn.
  while (total > width) {
    auto longest = std::max_element(widths.begin(), widths.end());
    if (*longest <= 3) break;
    --*longest;
    --total;
  }
  // Room to spare: spread it evenly, from the left.
  for (int i = 0; total < width; i = (i + 1) % 12, ++total) ++widths[static_cast<size_t>(i)];
  return widths;
}

void RenderKeyBar(CellGrid& grid, int y, const KeyLabels& labels) {
  int width = grid.width();
  grid.Fill(Rect{0, y, width, 1}, L' ', Role::kKeyBarNumber);
  std::array<int, 12> widths = KeyWidths(labels, width);
  int left = 0;
  for (int i = 0; i < 12 && left < width; ++i) {
    int right = std::min(left + widths[static_cast<size_t>(i)], width);  // exclusive
    std::wstring number = std::to_wstring(i + 1);
    int used = grid.Text(left, y, number, Role::kKeyBarNumber, right - left);
    int label_width = right - left - used - 1;
    grid.Fill(Rect{left + used, y, label_width, 1}, L' ', Role::kKeyBarLabel);
    grid.Text(left + used, y, OemToWide(labels[static_cast<size_t>(i)]), Role::kKeyBarLabel,
              label_width);
    left = right;
  }
}

}  // namespace host::tui
