// Where a dialog and each of its items go on a screen of a given size. The
// module gives item positions relative to the dialog; −1 as the dialog's
// left (or top) centres it, and then x2 (or y2) is its width (or height).
// A text at column −1 is centred; the buttons of a DIF_CENTERGROUP row are
// centred together, one column apart.
#pragma once

#include <span>
#include <vector>

#include "host/ui/terminal/cell_grid.hpp"
#include "sdk/plugin.hpp"

namespace host::tui {

// The dialog's rectangle on the screen. A dialog larger than the screen
// starts at its top-left corner and runs past the right or bottom edge.
Rect PlaceDialog(int x1, int y1, int x2, int y2, int screen_width, int screen_height);

// Each item's rectangle relative to the dialog's corner: a box its frame, an
// edit field its columns, a text, check box, radio button or button the
// columns its label takes with its marks and brackets, a separator the row
// from the frame's left border to its right one. A text longer than the
// frame holds is given the columns inside it; the view clips it there.
std::vector<Rect> PlaceItems(std::span<const FarDialogItem> items, int dialog_width);

// The columns a button takes: its label plus "[ " and " ]" unless
// DIF_NOBRACKETS.
int ButtonWidth(const FarDialogItem& item);

bool IsSeparator(const FarDialogItem& item);
bool IsFocusable(const FarDialogItem& item);
bool IsEdit(const FarDialogItem& item);

}  // namespace host::tui
