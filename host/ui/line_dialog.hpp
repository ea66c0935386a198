// A module dialog read as lines of text, for a terminal without a screen:
// its title, then each field as the module filled it (labels with their
// edit texts, which check boxes and radio buttons are set), and the button
// that accepts it. Texts stay in code page 866.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "sdk/plugin.hpp"

namespace host {

// A label without its hot-key marks ("&Search for:" reads "Search for:").
std::string WithoutHotKeyMarks(const std::string& label);

// The frame's text when item 0 is a frame, else empty.
std::string DialogTitle(std::span<const FarDialogItem> items);

// One line per field, buttons left out.
std::vector<std::string> DialogFieldLines(std::span<const FarDialogItem> items);

// The button that accepts the dialog: the default button, else the first
// button; -1 when the dialog has none.
int AcceptingItem(std::span<const FarDialogItem> items);

}  // namespace host
