// The file search command.
#include "module/files/search_command.hpp"

#include <cstring>

#include "module/dialogs/dialog_builder.hpp"
#include "module/files/content_search.hpp"
#include "module/files/file_dialog.hpp"
#include "module/files/file_patterns.hpp"
#include "module/files/file_warning.hpp"
#include "module/files/mapped_file.hpp"
#include "module/files/match_report.hpp"
#include "module/files/utf8_content.hpp"
#include "module/base/commands.hpp"
#include "module/base/host_access.hpp"
#include "module/base/messages.hpp"
#include "module/base/run_state.hpp"
#include "module/base/settings.hpp"
#include "module/presets/presets.hpp"

namespace {

bool IsEmptyFile(const WIN32_FIND_DATAA& entry) {
  return entry.nFileSizeLow == 0 && entry.nFileSizeHigh == 0;
}

void FileSearchCallback(WIN32_FIND_DATAA& entry, ResultList& results) {
  if (IsFolder(entry)) {
    if (!FText.empty()) return;
    AddResult(entry, results);
    ReportFoundFile(entry.cFileName, false);
    return;
  }
  bool found;
  if (FText.empty())
    found = true;
  else if (IsEmptyFile(entry))
    found = false;
  else
    found = SearchMappedFile(entry.cFileName, ContentMatches);
  // A UTF-8 file too large to decode was searched as bytes only.
  if (TakeUtf8TooLarge() && !found) {
    ShowFileWarning("Utf8TooLarge", MUtf8TooLarge, entry.cFileName);
    return;
  }
  // Neither listed as matching nor, in an inverse search, as not matching.
  if (TakeContentUndecided() && !found) {
    ShowFileWarning("FSUndecided", MSearchUndecided, entry.cFileName);
    return;
  }
  if (found == (FSInverse != 0)) return;
  AddResult(entry, results);
  ReportFoundFile(entry.cFileName, found);
}

FileDialogExit SearchDialogPass(FileDialogTexts& texts) {
  DialogBuilder dialog(76, 25, "FileSearchDlg");
  dialog.AddFrame(MTitle);
  const int masks = AddMaskRows(dialog, texts);
  AddLabelledField(dialog, 4, MContainingTextLabel, "SearchText", &texts.text);
  dialog.Add<TextItem>(5, 6, kSeparatorFlags, "");
  dialog.Add<CheckBoxItem>(5, 7, 0, MCaseSensitive, &FCaseSensitive);
  const int search_as[] = {MAsPlainText, MRegExp, MAsLinesWindowPattern,
                           MAsFilePattern, MAsPlainWords, MAsPatternWords};
  for (int i = 0; i < 6; i++)
    dialog.Add<RadioButtonItem>(5, 8 + i, i == 0 ? DIF_GROUP : 0u, search_as[i], &FSearchAs, i);
  dialog.Add<CheckBoxItem>(5, 14, 0, MInverseSearch, &FSInverse);
  dialog.Add<CheckBoxItem>(35, 14, 0, MAllCharTables, &FAllCharTables);
  dialog.Add<TextItem>(5, 15, kSeparatorFlags, "");
  AddScopeButtons(dialog, 16, {ScopeAllDrives, ScopeLocalDrives, ScopeDriveRoot, ScopeFolderTree, ScopeFolder,
                          ScopeSelected});
  return RunWithPresetsAndCriteria(dialog, 7, 9, masks);
}

}  // namespace

int FileSearchDialog() {
  return RunFileDialog(SearchDialogPass, [](FileDialogTexts& texts) {
    if (FileSearchPresets)
      FileSearchPresets->PresetMenu(true, {&texts.mask, &texts.text},
                                    {&FMaskAsRegExp, &FCaseSensitive, &FSearchAs, &FSInverse});
  });
}

int SearchFilesCommand(ResultList& results, int show_dialog) {
  StartRun();
  if (!ActivePanelIsPlainFilePanel()) return kNothingRun;
  if (show_dialog ? !FileSearchDialog() : !PreparePatterns()) return kCancelled;
  if (!WalkScope(results, FileSearchCallback, WalkChanges::kNothing)) return kNothingRun;
  return results.empty() ? ReportNoFilesFound() : kListReady;
}
