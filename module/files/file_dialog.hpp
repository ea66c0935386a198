// What the dialogs of the file commands (search, replace, rename) share:
// the texts they edit, the rows they have in common, and the loop that
// shows a dialog again until it is left or accepted with patterns that
// compile.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>

#include "module/dialogs/dialog_builder.hpp"

// Copies of FMask, FText and FRReplace that one pass of a dialog edits.
struct FileDialogTexts {
  std::string mask, text, replace;
};

// How one pass of a file command's dialog closed.
enum class FileDialogExit { kLeft, kAccepted, kPresets, kAdvanced };

using FileDialogPass = std::function<FileDialogExit(FileDialogTexts&)>;
using PresetPick = std::function<void(FileDialogTexts&)>;

// Runs passes until one is left (false) or accepted with patterns that
// compile (true). The preset button runs `presets` over the pass's texts,
// the advanced button the criteria dialog; then, and after OK, the texts
// become FMask, FText and FRReplace.
bool RunFileDialog(const FileDialogPass& pass, const PresetPick& presets = nullptr);

// The "mask as pattern" check box and the labelled masks field, on rows 2
// and 3; returns the field's index.
int AddMaskRows(DialogBuilder& dialog, FileDialogTexts& texts);

// A label on `row` and a text field bound to `text` below it; returns the
// field's index.
int AddLabelledField(DialogBuilder& dialog, int row, int label_message, const char* history,
                     std::string* text);

// One radio button per listed scope, from `row` down, bound to FSearchIn.
void AddScopeButtons(DialogBuilder& dialog, int row, std::initializer_list<int> scopes);

// OK and Cancel, the preset button, and the advanced criteria check box and
// button on a row of their own; then shows the dialog with the focus on
// `focus`.
FileDialogExit RunWithPresetsAndCriteria(DialogBuilder& dialog, int presets_row,
                                         int criteria_row, int focus);

// OK and Cancel; then shows the dialog with the focus on `focus`.
FileDialogExit RunWithOkCancel(DialogBuilder& dialog, int focus);
