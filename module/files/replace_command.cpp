// The file replace command: its dialog, then the walk with the replace
// engine as the per-file callback.
#include "module/files/replace_command.hpp"

#include <cstring>

#include "module/dialogs/dialog_builder.hpp"
#include "module/files/content_search.hpp"
#include "module/files/file_dialog.hpp"
#include "module/files/file_patterns.hpp"
#include "module/files/queued_commits.hpp"
#include "module/files/replace_engine.hpp"
#include "module/base/commands.hpp"
#include "module/base/host_access.hpp"
#include "module/base/messages.hpp"
#include "module/base/run_state.hpp"
#include "module/base/settings.hpp"
#include "module/presets/presets.hpp"

namespace {

FileDialogExit ReplaceDialogPass(FileDialogTexts& texts) {
  DialogBuilder dialog(76, 23, "FileReplaceDlg");
  dialog.AddFrame(MReplaceTitle);
  const int masks = AddMaskRows(dialog, texts);
  AddLabelledField(dialog, 4, MSearchTextLabel, "SearchText", &texts.text);
  AddLabelledField(dialog, 6, MReplaceTextLabel, "ReplaceText", &texts.replace);
  dialog.Add<TextItem>(5, 8, kSeparatorFlags, "");
  dialog.Add<CheckBoxItem>(5, 9, 0, MCaseSensitive, &FCaseSensitive);
  const int modes[] = {MAsPlainText, MRegExp, MAsLinesWindowPattern};
  for (int i = 0; i < 3; i++)
    dialog.Add<RadioButtonItem>(5, 10 + i, i == 0 ? DIF_GROUP : 0u, modes[i], &FSearchAs, i);
  dialog.Add<TextItem>(5, 13, kSeparatorFlags, "");
  AddScopeButtons(dialog, 14, {ScopeAllDrives, ScopeLocalDrives, ScopeDriveRoot, ScopeFolderTree, ScopeFolder,
                          ScopeSelected});
  dialog.Add<CheckBoxItem>(44, 14, 0, MOpenModified, &FROpenModified);
  dialog.Add<CheckBoxItem>(44, 15, 0, MConfirmFile, &FRConfirmFile);
  dialog.Add<CheckBoxItem>(44, 16, 0, MConfirmLine, &FRConfirmLine);
  dialog.Add<CheckBoxItem>(44, 17, 0, MSaveOriginal, &FRSaveOriginal);
  return RunWithPresetsAndCriteria(dialog, 9, 10, masks);
}

}  // namespace

int FileReplaceDialog() {
  return RunFileDialog(ReplaceDialogPass, [](FileDialogTexts& texts) {
    if (FileReplacePresets)
      FileReplacePresets->PresetMenu(true, {&texts.mask, &texts.text, &texts.replace},
                                     {&FMaskAsRegExp, &FCaseSensitive, &FSearchAs});
  });
}

int ReplaceFilesCommand(ResultList& results, int show_dialog) {
  StartRun();
  if (!ActivePanelIsPlainFilePanel()) return kNothingRun;
  // Only the first three search modes can replace; a mode left over from a
  // file search falls back to plain text, with or without the dialog.
  if (FSearchAs > AsLinesWindowPattern) FSearchAs = AsPlainText;
  if (show_dialog ? !FileReplaceDialog() : !PreparePatterns()) return kCancelled;
  const int walked = WalkScope(results, ReplaceFileCallback, WalkChanges::kFileContents);
  FinishCommits(results);
  if (!walked) return kNothingRun;
  if (!FROpenModified) return kDone;
  return results.empty() ? ReportNoFilesFound() : kListReady;
}
