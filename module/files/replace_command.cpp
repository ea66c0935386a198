// The file replace command: its dialog, then the walk with the replace
// engine as the per-file callback.
#include "module/files/replace_command.hpp"

#include <cstring>
#include <memory>

#include "module/dialogs/bindings.hpp"
#include "module/dialogs/dialog_builder.hpp"
#include "module/files/content_search.hpp"
#include "module/files/criteria.hpp"
#include "module/files/file_patterns.hpp"
#include "module/files/replace_engine.hpp"
#include "module/files/replace_questions.hpp"
#include "module/base/commands.hpp"
#include "module/base/host_access.hpp"
#include "module/base/messages.hpp"
#include "module/base/settings.hpp"
#include "module/presets/presets.hpp"

namespace {

enum ReplaceDialogExit { kAccepted = 0, kPresets = 1, kAdvanced = 2 };

struct ReplaceTexts {
  std::string mask, text, replace;
};

int RunReplaceDialog(ReplaceTexts& texts) {
  DialogBuilder dialog(76, 23, "FileReplaceDlg");
  dialog.AddFrame(MReplaceTitle);
  dialog.Add<CheckBoxItem>(35, 2, 0, MMaskAsRegExp, &FMaskAsRegExp);
  dialog.Add<TextItem>(5, 2, 0, MMasksLabel);
  dialog.Add<EditItem>(5, 3, 70, 0, "Masks", std::make_unique<StringBinding>(&texts.mask));
  dialog.Add<TextItem>(5, 4, 0, MSearchTextLabel);
  dialog.Add<EditItem>(5, 5, 70, 0, "SearchText", std::make_unique<StringBinding>(&texts.text));
  dialog.Add<TextItem>(5, 6, 0, MReplaceTextLabel);
  dialog.Add<EditItem>(5, 7, 70, 0, "ReplaceText", std::make_unique<StringBinding>(&texts.replace));
  dialog.Add<TextItem>(5, 8, kSeparatorFlags, "");
  dialog.Add<CheckBoxItem>(5, 9, 0, MCaseSensitive, &FCaseSensitive);
  const int modes[] = {MAsPlainText, MRegExp, MAsLinesWindowPattern};
  for (int i = 0; i < 3; i++)
    dialog.Add<RadioButtonItem>(5, 10 + i, i == 0 ? DIF_GROUP : 0u, modes[i], &FSearchAs, i);
  dialog.Add<TextItem>(5, 13, kSeparatorFlags, "");
  for (int i = 0; i < 6; i++)
    dialog.Add<RadioButtonItem>(5, 14 + i, i == 0 ? DIF_GROUP : 0u, MScopeAllDrives + i, &FSearchIn, i);
  dialog.Add<CheckBoxItem>(44, 14, 0, MOpenModified, &FROpenModified);
  dialog.Add<CheckBoxItem>(44, 15, 0, MConfirmFile, &FRConfirmFile);
  dialog.Add<CheckBoxItem>(44, 16, 0, MConfirmLine, &FRConfirmLine);
  dialog.Add<CheckBoxItem>(44, 17, 0, MSaveOriginal, &FRSaveOriginal);
  dialog.AddOkCancel(MOk, MCancel);
  dialog.Add<ButtonItem>(60, 9, 0, 0, MPresets);
  dialog.Add<CheckBoxItem>(56, 10, 0, "", &UseAdvancedCriteria);
  dialog.Add<ButtonItem>(60, 10, 0, 0, MAdvanced);
  dialog.SetFocus(3);
  return dialog.Run({-5, -3, -1});
}

}  // namespace

int FileReplaceDialog() {
  for (;;) {
    ReplaceTexts texts{FMask, FText, FRReplace};
    int exit = RunReplaceDialog(texts);
    if (exit < 0) return 0;
    if (exit == kPresets && FileReplacePresets)
      FileReplacePresets->PresetMenu(true, {&texts.mask, &texts.text, &texts.replace},
                                     {&FMaskAsRegExp, &FCaseSensitive, &FSearchAs});
    if (exit == kAdvanced) AdvancedCriteriaDialog();
    FMask = texts.mask;
    FText = texts.text;
    FRReplace = texts.replace;
    if (exit == kAccepted && PreparePatterns()) return 1;
  }
}

int ReplaceFilesCommand(ResultList& results, int show_dialog) {
  if (!ActivePanelIsPlainFilePanel()) return kNothingRun;
  // Only the first three search modes can replace; a mode left over from a
  // file search falls back to plain text, with or without the dialog.
  if (FSearchAs > AsLinesWindowPattern) FSearchAs = AsPlainText;
  if (show_dialog ? !FileReplaceDialog() : !PreparePatterns()) return kCancelled;
  AskEachFile = FRConfirmFile;
  if (!WalkScope(results, ReplaceFileCallback)) return kNothingRun;
  if (!FROpenModified) return kDone;
  return results.empty() ? ReportNoFilesFound() : kListReady;
}
