// The palette: blue panels, grey dialogs, red warnings, cyan menus, the
// colours console file-manager users know.
#include "host/ui/terminal/colour_role.hpp"

#include <array>
#include <cstddef>

namespace host::tui {

namespace {

using C = Colour;

constexpr std::array<RoleLook, static_cast<size_t>(Role::kCount)> kLooks = {{
    {C::kCyan, C::kBlue, false, false},     // kPanel
    {C::kCyan, C::kBlue, false, false},     // kPanelTitle
    {C::kBlack, C::kCyan, false, true},     // kPanelActiveTitle
    {C::kYellow, C::kBlue, true, false},    // kPanelColumnTitle
    {C::kWhite, C::kBlue, true, false},     // kPanelFolder
    {C::kYellow, C::kBlue, true, true},     // kPanelSelected
    {C::kBlack, C::kCyan, false, true},     // kPanelCursor
    {C::kYellow, C::kCyan, true, true},     // kPanelSelectedCursor
    {C::kWhite, C::kBlack, false, false},   // kCommandLine
    {C::kWhite, C::kBlack, false, false},   // kKeyBarNumber
    {C::kBlack, C::kCyan, false, true},     // kKeyBarLabel
    {C::kBlack, C::kWhite, false, false},   // kDialog
    {C::kYellow, C::kWhite, true, false},   // kDialogHotkey
    {C::kWhite, C::kBlack, true, true},     // kDialogFocus
    {C::kYellow, C::kBlack, true, true},    // kDialogFocusHotkey
    {C::kBlack, C::kCyan, false, true},     // kDialogEdit
    {C::kWhite, C::kBlue, true, false},     // kDialogEditMarked
    {C::kWhite, C::kRed, true, false},      // kWarning
    {C::kYellow, C::kRed, true, false},     // kWarningHotkey
    {C::kBlack, C::kWhite, false, true},    // kWarningFocus
    {C::kRed, C::kWhite, false, true},      // kWarningFocusHotkey
    {C::kWhite, C::kCyan, true, false},     // kMenu
    {C::kYellow, C::kCyan, true, false},    // kMenuHotkey
    {C::kWhite, C::kBlack, true, true},     // kMenuCursor
    {C::kYellow, C::kBlack, true, true},    // kMenuCursorHotkey
    {C::kCyan, C::kBlue, true, false},      // kEditor
    {C::kBlack, C::kCyan, false, true},     // kEditorSelection
    {C::kBlack, C::kCyan, false, true},     // kEditorStatus
    {C::kBlack, C::kCyan, false, false},    // kHelp
    {C::kWhite, C::kCyan, true, false},     // kHelpTitle
    {C::kBlack, C::kCyan, false, true},     // kModuleText
}};

}  // namespace

RoleLook LookOf(Role role) {
  size_t index = static_cast<size_t>(role);
  return index < kLooks.size() ? kLooks[index] : kLooks[0];
}

BoxPalette DialogPalette() {
  return {Role::kDialog, Role::kDialogHotkey, Role::kDialogFocus, Role::kDialogFocusHotkey};
}

BoxPalette WarningPalette() {
  return {Role::kWarning, Role::kWarningHotkey, Role::kWarningFocus, Role::kWarningFocusHotkey};
}

}  // namespace host::tui
