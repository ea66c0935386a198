// Colour roles: what a cell is (a panel's cursor, a dialog's edit field, a
// warning box's hotkey), never how it looks. Views only name roles; this file
// alone decides the colours, so a palette change touches one table.
#pragma once

#include <cstdint>

namespace host::tui {

enum class Role : uint8_t {
  kPanel,
  kPanelTitle,
  kPanelActiveTitle,
  kPanelColumnTitle,
  kPanelFolder,
  kPanelSelected,
  kPanelCursor,
  kPanelSelectedCursor,
  kCommandLine,
  kKeyBarNumber,
  kKeyBarLabel,
  kDialog,
  kDialogHotkey,
  kDialogFocus,
  kDialogFocusHotkey,
  kDialogEdit,
  kDialogEditMarked,
  kWarning,
  kWarningHotkey,
  kWarningFocus,
  kWarningFocusHotkey,
  kMenu,
  kMenuHotkey,
  kMenuCursor,
  kMenuCursorHotkey,
  kEditor,
  kEditorSelection,
  kEditorStatus,
  kHelp,
  kHelpTitle,
  kModuleText,  // what the module writes through the Text service
  kCount
};

// The eight colours every colour terminal has, in the terminal's numbering.
enum class Colour : uint8_t { kBlack, kRed, kGreen, kYellow, kBlue, kMagenta, kCyan, kWhite };

struct RoleLook {
  Colour foreground;
  Colour background;
  bool bold;     // bright foreground
  bool reverse;  // how the role stands out on a terminal without colours
};

RoleLook LookOf(Role role);

// The roles a box is drawn in: a plain dialog or a warning.
struct BoxPalette {
  Role body, hotkey, focus, focus_hotkey;
};
BoxPalette DialogPalette();
BoxPalette WarningPalette();

}  // namespace host::tui
