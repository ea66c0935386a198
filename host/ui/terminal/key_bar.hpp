// The key bar on the screen's last row: the twelve function keys with
// what each does on the current screen.
#pragma once

#include <array>
#include <string>

#include "host/ui/terminal/cell_grid.hpp"

namespace host::tui {

using KeyLabels = std::array<std::string, 12>;  // code page 866; F1 first, empty: unused

void RenderKeyBar(CellGrid& grid, int y, const KeyLabels& labels);

}  // namespace host::tui
