// The rename commands and their dialogs. Both always show their dialog.
#include "module/names/rename_commands.hpp"

#include <cstring>
#include <memory>

#include "module/dialogs/bindings.hpp"
#include "module/dialogs/dialog_builder.hpp"
#include "module/files/file_patterns.hpp"
#include "module/files/replace_questions.hpp"
#include "module/names/rename.hpp"
#include "module/base/commands.hpp"
#include "module/base/host_access.hpp"
#include "module/base/messages.hpp"
#include "module/base/settings.hpp"

namespace {

struct RenameTexts {
  std::string mask, text, replace;
};

// Shared by both dialogs: run passes until the user leaves or the patterns
// compile; the texts become settings after each accepted pass.
template <typename Build>
int RunRenameDialog(Build build) {
  if (FSearchAs > AsLinePattern) FSearchAs = AsPlainText;
  for (;;) {
    RenameTexts texts{FMask, FText, FRReplace};
    if (build(texts) != 0) return 0;
    FMask = texts.mask;
    FText = texts.text;
    FRReplace = texts.replace;
    if (PreparePatterns()) return 1;
  }
}

int ScopeDialog(RenameTexts& texts) {
  DialogBuilder dialog(76, 18, "FileRenameDlg");
  dialog.AddFrame(MRename);
  dialog.Add<CheckBoxItem>(35, 2, 0, MMaskAsRegExp, &FMaskAsRegExp);
  dialog.Add<TextItem>(5, 2, 0, MMasksLabel);
  dialog.Add<EditItem>(5, 3, 70, 0, "Masks", std::make_unique<StringBinding>(&texts.mask));
  dialog.Add<CheckBoxItem>(35, 4, 0, MRegExp, &FSearchAs);
  dialog.Add<TextItem>(5, 4, 0, MContainingTextLabel);
  dialog.Add<EditItem>(5, 5, 70, 0, "SearchText", std::make_unique<StringBinding>(&texts.text));
  dialog.Add<CheckBoxItem>(35, 6, 0, MRepeating, &FRepeating);
  dialog.Add<TextItem>(5, 6, 0, MReplaceTextLabel);
  dialog.Add<EditItem>(5, 7, 70, 0, "ReplaceText", std::make_unique<StringBinding>(&texts.replace));
  dialog.Add<TextItem>(5, 8, kSeparatorFlags, "");
  // No button for the local-drives scope: with it stored, none is marked.
  const int scopes[] = {ScopeAllDrives, ScopeDriveRoot, ScopeFolderTree, ScopeFolder,
                        ScopeSelected};
  for (int i = 0; i < 5; i++)
    dialog.Add<RadioButtonItem>(5, 9 + i, i == 0 ? DIF_GROUP : 0u, MScopeAllDrives + scopes[i],
                                &FSearchIn, scopes[i]);
  dialog.Add<CheckBoxItem>(44, 9, 0, MOpenModified, &FROpenModified);
  dialog.Add<CheckBoxItem>(44, 10, 0, MConfirmFile, &FRConfirmFile);
  dialog.Add<CheckBoxItem>(44, 11, 0, MConfirmLine, &FRConfirmLine);
  dialog.AddOkCancel(MOk, MCancel);
  dialog.SetFocus(3);
  return dialog.Run();
}

int SelectedDialog(RenameTexts& texts) {
  DialogBuilder dialog(76, 14, "SelectedFileRenameDlg");
  dialog.AddFrame(MRename);
  dialog.Add<CheckBoxItem>(35, 2, 0, MRegExp, &FSearchAs);
  dialog.Add<TextItem>(5, 2, 0, MContainingTextLabel);
  dialog.Add<EditItem>(5, 3, 70, 0, "SearchText", std::make_unique<StringBinding>(&texts.text));
  dialog.Add<CheckBoxItem>(35, 4, 0, MRepeating, &FRepeating);
  dialog.Add<TextItem>(5, 4, 0, MReplaceTextLabel);
  dialog.Add<EditItem>(5, 5, 70, 0, "ReplaceText", std::make_unique<StringBinding>(&texts.replace));
  dialog.Add<CheckBoxItem>(5, 7, 0, MConfirmFile, &FRConfirmFile);
  dialog.Add<CheckBoxItem>(5, 8, 0, MConfirmLine, &FRConfirmLine);
  dialog.AddOkCancel(MOk, MCancel);
  dialog.SetFocus(3);
  return dialog.Run();
}

void StartRenames() {
  AskEachFile = FRConfirmFile;
  RenameFileIndex = -1;
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
  if (!ActivePanelIsPlainFilePanel()) return kNothingRun;
  if (!RunRenameDialog(ScopeDialog)) return kCancelled;
  StartRenames();
  if (!WalkScope(results, RenameFileCallback)) return kNothingRun;
  if (!FROpenModified) return kDone;
  return results.empty() ? ReportNoFilesFound() : kListReady;
}

int RenameSelectedCommand(ResultList& results) {
  if (!ActivePanelIsPlainFilePanel()) return kNothingRun;
  if (!RunRenameDialog(SelectedDialog)) return kCancelled;
  PanelInfo panel;
  std::memset(&panel, 0, sizeof panel);
  StartupInfo.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &panel);
  results.clear();
  SearchInterrupted = 0;
  StartRenames();
  for (PluginPanelItem& item : OfferedItems(panel)) {
    if (SearchInterrupted) break;
    RenameFileCallback(item.FindData, results);
  }
  StartupInfo.Control(INVALID_HANDLE_VALUE, FCTL_UPDATEPANEL, nullptr);
  return kDone;
}
