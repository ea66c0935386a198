// The rename commands and their dialogs. Both always show their dialog.
#include "module/names/rename_commands.hpp"

#include <cstring>

#include "module/dialogs/dialog_builder.hpp"
#include "module/files/file_dialog.hpp"
#include "module/names/rename.hpp"
#include "module/base/commands.hpp"
#include "module/base/host_access.hpp"
#include "module/base/messages.hpp"
#include "module/base/run_state.hpp"
#include "module/base/settings.hpp"

namespace {

// Shared by both dialogs: a mode left over from a file search falls back
// to plain text.
bool RunRenameDialog(const FileDialogPass& pass) {
  if (FSearchAs > AsLinePattern) FSearchAs = AsPlainText;
  return RunFileDialog(pass);
}

// The search text and the replacement with their check boxes, from `row`
// down four rows; returns the search text field's index.
int AddRenameRows(DialogBuilder& dialog, int row, FileDialogTexts& texts) {
  dialog.Add<CheckBoxItem>(35, row, 0, MRegExp, &FSearchAs);
  const int text = AddLabelledField(dialog, row, MContainingTextLabel, "SearchText", &texts.text);
  dialog.Add<CheckBoxItem>(35, row + 2, 0, MRepeating, &FRepeating);
  AddLabelledField(dialog, row + 2, MReplaceTextLabel, "ReplaceText", &texts.replace);
  return text;
}

FileDialogExit ScopeDialog(FileDialogTexts& texts) {
  DialogBuilder dialog(76, 18, "FileRenameDlg");
  dialog.AddFrame(MRename);
  const int masks = AddMaskRows(dialog, texts);
  AddRenameRows(dialog, 4, texts);
  dialog.Add<TextItem>(5, 8, kSeparatorFlags, "");
  // No button for the local-drives scope: with it stored, none is marked.
  AddScopeButtons(dialog, 9, {ScopeAllDrives, ScopeDriveRoot, ScopeFolderTree, ScopeFolder, ScopeSelected});
  dialog.Add<CheckBoxItem>(44, 9, 0, MOpenModified, &FROpenModified);
  dialog.Add<CheckBoxItem>(44, 10, 0, MConfirmFile, &FRConfirmFile);
  dialog.Add<CheckBoxItem>(44, 11, 0, MConfirmLine, &FRConfirmLine);
  return RunWithOkCancel(dialog, masks);
}

FileDialogExit SelectedDialog(FileDialogTexts& texts) {
  DialogBuilder dialog(76, 14, "SelectedFileRenameDlg");
  dialog.AddFrame(MRename);
  const int text = AddRenameRows(dialog, 2, texts);
  dialog.Add<CheckBoxItem>(5, 7, 0, MConfirmFile, &FRConfirmFile);
  dialog.Add<CheckBoxItem>(5, 8, 0, MConfirmLine, &FRConfirmLine);
  return RunWithOkCancel(dialog, text);
}

// The selected items; with none selected and the cursor on "..", every
// item of the panel; otherwise none.
std::vector<PluginPanelItem> OfferedItems(const PanelInfo& panel) {
  if (panel.SelectedItemsNumber > 0)
    return {panel.SelectedItems, panel.SelectedItems + panel.SelectedItemsNumber};
  if (panel.CurrentItem >= 0 && panel.CurrentItem < panel.ItemsNumber &&
      std::strcmp(panel.PanelItems[panel.CurrentItem].FindData.cFileName, "..") == 0)
    return {panel.PanelItems, panel.PanelItems + panel.ItemsNumber};
  return {};
}

}  // namespace

int RenameFilesCommand(ResultList& results) {
  StartRun();
  if (!ActivePanelIsPlainFilePanel()) return kNothingRun;
  if (!RunRenameDialog(ScopeDialog)) return kCancelled;
  if (!WalkScope(results, RenameFileCallback, WalkChanges::kNames)) return kNothingRun;
  if (!FROpenModified) return kDone;
  return results.empty() ? ReportNoFilesFound() : kListReady;
}

int RenameSelectedCommand(ResultList& results) {
  StartRun();
  if (!ActivePanelIsPlainFilePanel()) return kNothingRun;
  if (!RunRenameDialog(SelectedDialog)) return kCancelled;
  PanelInfo panel;
  std::memset(&panel, 0, sizeof panel);
  StartupInfo.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &panel);
  results.clear();
  for (PluginPanelItem& item : OfferedItems(panel)) {
    if (CurrentRun.interrupted) break;
    RenameFileCallback(item.FindData, results);
  }
  StartupInfo.Control(INVALID_HANDLE_VALUE, FCTL_UPDATEPANEL, nullptr);
  return kDone;
}
