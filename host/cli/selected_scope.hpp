// How a shell run reaches the module's selected-items scope. The module
// takes that scope only from its file dialogs (a stored one reads back as
// the drive root, as in the file manager), so a run with --select asks the
// module for its dialog and marks the selected-items button in it; when
// the person did not ask for the dialog, it is accepted as marked without
// being shown.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "sdk/plugin.hpp"

namespace host::cli {

// The module's label of the selected-items scope button.
int SelectedScopeMessage();

struct DialogCommand {
  std::string text;  // the command text that asks for the dialog (code page 866)
  bool asked;        // the person's text asked for the dialog itself
};

// The command text with the dialog asked for: the letter d added to the
// letters, and the blank form rewritten as DMASKDTEXTDd with `mask` (the
// mask the module holds) and a delimiter neither contains. Nullopt when no
// delimiter fits.
std::optional<DialogCommand> CommandWithDialog(const std::string& text, const std::string& mask);

// Marks the radio button labelled `label` and unmarks the others of its
// group; false when the dialog has no such button.
bool MarkRadioButton(std::span<FarDialogItem> items, const std::string& label);

}  // namespace host::cli
