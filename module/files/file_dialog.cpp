// The shared parts of the file commands' dialogs.
#include "module/files/file_dialog.hpp"

#include <memory>

#include "module/dialogs/bindings.hpp"
#include "module/files/criteria.hpp"
#include "module/files/file_patterns.hpp"
#include "module/files/walk.hpp"
#include "module/base/messages.hpp"
#include "module/base/settings.hpp"

bool RunFileDialog(const FileDialogPass& pass, const PresetPick& presets) {
  for (;;) {
    FileDialogTexts texts{FMask, FText, FRReplace};
    FileDialogExit exit = pass(texts);
    if (exit == FileDialogExit::kLeft) return false;
    if (exit == FileDialogExit::kPresets && presets) presets(texts);
    if (exit == FileDialogExit::kAdvanced) AdvancedCriteriaDialog();
    FMask = texts.mask;
    FText = texts.text;
    FRReplace = texts.replace;
    if (exit == FileDialogExit::kAccepted && PreparePatterns()) return true;
  }
}

int AddMaskRows(DialogBuilder& dialog, FileDialogTexts& texts) {
  dialog.Add<CheckBoxItem>(35, 2, 0, MMaskAsRegExp, &FMaskAsRegExp);
  return AddLabelledField(dialog, 2, MMasksLabel, "Masks", &texts.mask);
}

int AddLabelledField(DialogBuilder& dialog, int row, int label_message, const char* history,
                     std::string* text) {
  dialog.Add<TextItem>(5, row, 0, label_message);
  return dialog.Add<EditItem>(5, row + 1, 70, 0, history, std::make_unique<StringBinding>(text));
}

void AddScopeButtons(DialogBuilder& dialog, int row, std::initializer_list<int> scopes) {
  bool first = true;
  for (int scope : scopes) {
    dialog.Add<RadioButtonItem>(5, row++, first ? DIF_GROUP : 0u, MScopeAllDrives + scope,
                                &FSearchIn, scope);
    first = false;
  }
}

FileDialogExit RunWithPresetsAndCriteria(DialogBuilder& dialog, int presets_row,
                                         int criteria_row, int focus) {
  const int ok = dialog.AddOkCancel(MOk, MCancel);
  const int presets = dialog.Add<ButtonItem>(60, presets_row, 0, 0, MPresets);
  dialog.Add<CheckBoxItem>(56, criteria_row, 0, "", &UseAdvancedCriteria);
  const int advanced = dialog.Add<ButtonItem>(60, criteria_row, 0, 0, MAdvanced);
  dialog.SetFocus(focus);
  switch (dialog.Run({ok, presets, advanced})) {
    case 0: return FileDialogExit::kAccepted;
    case 1: return FileDialogExit::kPresets;
    case 2: return FileDialogExit::kAdvanced;
    default: return FileDialogExit::kLeft;
  }
}

FileDialogExit RunWithOkCancel(DialogBuilder& dialog, int focus) {
  dialog.AddOkCancel(MOk, MCancel);
  dialog.SetFocus(focus);
  return dialog.Run() == 0 ? FileDialogExit::kAccepted : FileDialogExit::kLeft;
}
