// The file search command.
#include "module/files/search_command.hpp"

#include <cstring>
#include <memory>

#include "module/dialogs/bindings.hpp"
#include "module/dialogs/dialog_builder.hpp"
#include "module/files/content_search.hpp"
#include "module/files/criteria.hpp"
#include "module/files/file_patterns.hpp"
#include "module/files/mapped_file.hpp"
#include "module/base/commands.hpp"
#include "module/base/host_access.hpp"
#include "module/base/messages.hpp"
#include "module/base/settings.hpp"
#include "module/presets/presets.hpp"

namespace {

bool IsEmptyFile(const WIN32_FIND_DATAA& entry) {
  return entry.nFileSizeLow == 0 && entry.nFileSizeHigh == 0;
}

void FileSearchCallback(WIN32_FIND_DATAA& entry, ResultList& results) {
  if (IsFolder(entry)) {
    if (FText.empty()) AddResult(entry, results);
    return;
  }
  bool found;
  if (FText.empty())
    found = true;
  else if (IsEmptyFile(entry))
    found = false;
  else
    found = SearchMappedFile(entry.cFileName, ContentMatches);
  if (found != (FSInverse != 0)) AddResult(entry, results);
}

enum SearchDialogExit { kAccepted = 0, kPresets = 1, kAdvanced = 2 };

int RunSearchDialog(std::string& mask, std::string& text) {
  DialogBuilder dialog(76, 25, "FileSearchDlg");
  dialog.AddFrame(MTitle);
  dialog.Add<CheckBoxItem>(35, 2, 0, MMaskAsRegExp, &FMaskAsRegExp);
  dialog.Add<TextItem>(5, 2, 0, MMasksLabel);
  dialog.Add<EditItem>(5, 3, 70, 0, "Masks", std::make_unique<StringBinding>(&mask));
  dialog.Add<TextItem>(5, 4, 0, MContainingTextLabel);
  dialog.Add<EditItem>(5, 5, 70, 0, "SearchText", std::make_unique<StringBinding>(&text));
  dialog.Add<TextItem>(5, 6, kSeparatorFlags, "");
  dialog.Add<CheckBoxItem>(5, 7, 0, MCaseSensitive, &FCaseSensitive);
  const int search_as[] = {MAsPlainText, MRegExp, MAsLinesWindowPattern,
                           MAsFilePattern, MAsPlainWords, MAsPatternWords};
  for (int i = 0; i < 6; i++)
    dialog.Add<RadioButtonItem>(5, 8 + i, i == 0 ? DIF_GROUP : 0u, search_as[i], &FSearchAs, i);
  dialog.Add<CheckBoxItem>(5, 14, 0, MInverseSearch, &FSInverse);
  dialog.Add<CheckBoxItem>(35, 14, 0, MAllCharTables, &FAllCharTables);
  dialog.Add<TextItem>(5, 15, kSeparatorFlags, "");
  for (int i = 0; i < 6; i++)
    dialog.Add<RadioButtonItem>(5, 16 + i, i == 0 ? DIF_GROUP : 0u, MScopeAllDrives + i, &FSearchIn, i);
  dialog.AddOkCancel(MOk, MCancel);
  dialog.Add<ButtonItem>(60, 7, 0, 0, MPresets);
  dialog.Add<CheckBoxItem>(56, 9, 0, "", &UseAdvancedCriteria);
  dialog.Add<ButtonItem>(60, 9, 0, 0, MAdvanced);
  dialog.SetFocus(3);
  return dialog.Run({-5, -3, -1});
}

}  // namespace

int FileSearchDialog() {
  for (;;) {
    std::string mask = FMask;
    std::string text = FText;
    int exit = RunSearchDialog(mask, text);
    if (exit < 0) return 0;
    if (exit == kPresets && FileSearchPresets)
      FileSearchPresets->PresetMenu(true, {&mask, &text},
                                    {&FMaskAsRegExp, &FCaseSensitive, &FSearchAs, &FSInverse});
    if (exit == kAdvanced) AdvancedCriteriaDialog();
    FMask = mask;
    FText = text;
    if (exit == kAccepted && PreparePatterns()) return 1;
  }
}

int SearchFilesCommand(ResultList& results, int show_dialog) {
  if (!ActivePanelIsPlainFilePanel()) return kNothingRun;
  if (show_dialog ? !FileSearchDialog() : !PreparePatterns()) return kCancelled;
  if (!WalkScope(results, FileSearchCallback)) return kNothingRun;
  return results.empty() ? ReportNoFilesFound() : kListReady;
}
