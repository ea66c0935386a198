// The file search command. With several threads, the walk and everything
// the host shows stay on the host's thread and only the content tests run
// on workers; the results are the same as on one thread, in the same order.
#include "module/files/search_command.hpp"

#include <cstring>

#include "module/dialogs/dialog_builder.hpp"
#include "module/files/content_search.hpp"
#include "module/files/file_dialog.hpp"
#include "module/files/file_patterns.hpp"
#include "module/files/file_warning.hpp"
#include "module/files/mapped_file.hpp"
#include "module/files/match_report.hpp"
#include "module/files/results_panel.hpp"
#include "module/files/utf8_content.hpp"
#include "module/files/search_workers.hpp"
#include "module/base/commands.hpp"
#include "module/base/host_access.hpp"
#include "module/base/messages.hpp"
#include "module/base/run_state.hpp"
#include "module/base/settings.hpp"
#include "module/presets/presets.hpp"

namespace {

// The worker threads of the search that is running, while it tests files
// on more than the host's thread.
SearchWorkers* Workers = nullptr;

// A search that tests every file's content, with no criteria on sizes,
// dates or attributes, needs only the names of the files it walks: the
// files it lists are described when they are tested.
WalkRecords RecordsNeeded() {
  return !FText.empty() && !UseAdvancedCriteria ? WalkRecords::kNamesOnly
                                                : WalkRecords::kDescribed;
}

// Whether the search lists a file with this verdict. A file the test could
// not wholly decide is neither listed as matching nor, in an inverse search,
// as not matching.
bool IsListed(const FileVerdict& verdict) {
  const bool found = verdict.scan == MappedScan::kFound;
  if (!found && (verdict.utf8_too_large || verdict.undecided)) return false;
  return found != (FSInverse != 0);
}

// What a listing shows as an empty file holds no text. Besides empty files
// that is a FIFO, a device or a dangling link, which cannot be opened as a
// file; asked only of a file that could not be opened, since a walk that
// lists names only does not know the size.
bool ListsAsEmptyFile(const char* path) {
  WIN32_FILE_ATTRIBUTE_DATA now;
  return GetFileAttributesExA(path, GetFileExInfoStandard, &now) &&
         (now.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && now.nFileSizeHigh == 0 &&
         now.nFileSizeLow == 0;
}

// The content test of one file. Runs on any thread and shows nothing. A
// file to be listed is described here too, so that thousands of results
// are not described one after another on the host's thread when the
// results panel first lists them.
FileVerdict TestFile(const WIN32_FIND_DATAA& entry) {
  FileVerdict verdict;
  verdict.scan = ScanMappedFile(entry.cFileName, ContentMatches);
  if (verdict.scan == MappedScan::kUnreadable && ListsAsEmptyFile(entry.cFileName))
    verdict.scan = MappedScan::kNotFound;
  verdict.undecided = TakeContentUndecided();
  verdict.utf8_too_large = TakeUtf8TooLarge();
  WIN32_FILE_ATTRIBUTE_DATA now;
  if (IsListed(verdict) && GetFileAttributesExA(entry.cFileName, GetFileExInfoStandard, &now))
    verdict.listed_as = now;
  return verdict;
}

// What a file's verdict shows and lists; on the host's thread, in walk order.
void TakeVerdict(WIN32_FIND_DATAA& entry, const FileVerdict& verdict, ResultList& results) {
  const bool found = verdict.scan == MappedScan::kFound;
  if (verdict.scan == MappedScan::kUnreadable)
    ShowFileWarning("FSOpenError", MOpenError, entry.cFileName);
  if (verdict.utf8_too_large && !found)
    ShowFileWarning("Utf8TooLarge", MUtf8TooLarge, entry.cFileName);
  else if (verdict.undecided && !found)
    ShowFileWarning("FSUndecided", MSearchUndecided, entry.cFileName);
  if (!IsListed(verdict)) return;
  AddResult(entry, results);
  if (verdict.listed_as) SetCurrentDescription(results.back(), *verdict.listed_as);
  ReportFoundFile(entry.cFileName, found);
}

void FileSearchCallback(WIN32_FIND_DATAA& entry, ResultList& results) {
  if (IsFolder(entry)) {
    if (!FText.empty()) return;
    AddResult(entry, results);
    ReportFoundFile(entry.cFileName, false);
    return;
  }
  // Without a text every file is found.
  const FileVerdict found_anyway{.scan = MappedScan::kFound};
  if (!Workers)
    TakeVerdict(entry, FText.empty() ? found_anyway : TestFile(entry), results);
  else if (FText.empty())
    Workers->AddDecided(entry, found_anyway);
  else
    Workers->Add(entry);
}

void FinishWorkers() { Workers->Finish(); }

// The walk, with the content tests on worker threads where there are
// contents to test and more than one thread to test them.
int WalkTestingFiles(ResultList& results) {
  const int threads = SearchThreadCount();
  const WalkRecords records = RecordsNeeded();
  if (FText.empty() || threads <= 1)
    return WalkScope(results, FileSearchCallback, WalkChanges::kNothing, nullptr, records);
  SearchWorkers workers(
      threads - 1, TestFile,
      [&results](WIN32_FIND_DATAA& entry, const FileVerdict& verdict) {
        TakeVerdict(entry, verdict, results);
      },
      WalkInterrupted);
  Workers = &workers;
  const int walked =
      WalkScope(results, FileSearchCallback, WalkChanges::kNothing, FinishWorkers, records);
  Workers = nullptr;
  return walked;
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
  if (!WalkTestingFiles(results)) return kNothingRun;
  return results.empty() ? ReportNoFilesFound() : kListReady;
}
