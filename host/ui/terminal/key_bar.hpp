// The key bar on the screen's last row: the twelve function keys with
// what each does on the current screen.
#pragma once

#include <array>
#include <string>

#include "host/ui/terminal/cell_grid.hpp"

namespace host::tui {

using KeyLabels = std::array<std::string, 12>;  // code page 866; F1 first, empty: unused

// The columns each key takes, its gap included: whole labels when they
// fit, the spare columns spread over the keys; on a narrower screen the
// longest labels are shortened first.
std::array<int, 12> KeyWidths(const KeyLabels& labels, int width);

void RenderKeyBar(CellGrid& grid, int y, const KeyLabels& labels);

}  // namespace host::tui
