// The folder walk. Matching entries come before subfolders, and subfolders
// are entered in listing order; no find handle stays open while the walk
// descends. A command that changes files gets a folder's entries only once
// it is listed whole, so the listing never meets what the command wrote; a
// search gets them in batches as the listing goes, so its memory stays
// bounded by its results, not by the largest folder. A folder is listed
// once, its subfolders remembered from that listing, except where the
// command renames: then it is listed again, so that a renamed subfolder is
// entered under its new name. Symbolic links
// to folders are never entered, and a path that would not fit the module's
// 260-byte paths is skipped: neither can loop or overflow. What is skipped
// (those paths, folders that cannot be listed) is counted and reported
// once when the walk ends.
#include "module/files/walk.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#include "module/match/mask.hpp"
#include "module/files/criteria.hpp"
#include "module/base/host_access.hpp"
#include "module/base/messages.hpp"
#include "module/base/run_state.hpp"
#include "module/base/settings.hpp"

int UseAdvancedCriteria;

namespace {

// How many matching entries of a search are listed before they are handed
// out: few, so that worker threads test files while the walk lists more.
constexpr size_t kSearchBatch = 32;

// What the running walk's callback changes, and what it needs to know of
// the entries; set when a walk starts.
WalkChanges Changes = WalkChanges::kNames;
WalkRecords Records = WalkRecords::kDescribed;

struct FindCloser {
  HANDLE handle;
  ~FindCloser() {
    if (handle != INVALID_HANDLE_VALUE) FindClose(handle);
  }
};

bool IsDots(const WIN32_FIND_DATAA& entry) {
  return std::strcmp(entry.cFileName, ".") == 0 || std::strcmp(entry.cFileName, "..") == 0;
}

bool IsLinkedFolder(const WIN32_FIND_DATAA& entry) {
  return IsFolder(entry) && (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

void ShowWalkProgress(const std::string& folder, size_t found) {
  char scanned[80], listed[80];
  std::snprintf(scanned, sizeof scanned, GetMsg(MFilesScanned), CurrentRun.files_scanned);
  std::snprintf(listed, sizeof listed, GetMsg(MFilesFound), static_cast<int>(found));
  const char* items[] = {GetMsg(MTitle), folder.c_str(), scanned, listed};
  StartupInfo.Message(StartupInfo.ModuleNumber, 0, nullptr, items, 4, 0);
}

void ShowWalkTitle(const std::string& folder) {
  char title[MAX_PATH + 128];
  std::snprintf(title, sizeof title, GetMsg(MWalkTitle), folder.c_str());
  SetConsoleTitleA(title);
}

// The entry is a folder the walk goes into (after its files).
bool IsSubfolder(const WIN32_FIND_DATAA& entry) {
  return IsFolder(entry) && !IsDots(entry) && !IsLinkedFolder(entry);
}

bool Descending() { return FSearchIn != ScopeFolder; }

// A folder can be listed when its listing pattern, "FOLDER\*", fits a path.
bool ListingFits(const std::string& folder) { return folder.size() + 2 <= kMaxPath; }

void CountUnlisted(DWORD error) {
  if (error == ERROR_FILENAME_EXCED_RANGE)
    CurrentRun.long_paths++;
  else if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
    CurrentRun.unread_folders++;  // a folder gone meanwhile was not skipped
}

// Lists `folder` (with its trailing backslash), handing each entry to
// `take` until it returns false. The find handle is closed when this
// returns, so the walk holds no descriptor while it descends, however deep.
// False when the folder could not be listed; that is counted.
template <typename Take>
bool ListFolder(const std::string& folder, Take take) {
  WIN32_FIND_DATAA entry;
  const DWORD flags = Records == WalkRecords::kNamesOnly ? FIND_FIRST_EX_NAMES_ONLY : 0;
  FindCloser find{FindFirstFileExA((folder + "*").c_str(), FindExInfoBasic, &entry,
                                   FindExSearchNameMatch, nullptr, flags)};
  if (find.handle == INVALID_HANDLE_VALUE) {
    CountUnlisted(GetLastError());
    return false;
  }
  do {
    Sleep(0);
    if (!take(entry)) break;
  } while (FindNextFileA(find.handle, &entry));
  return true;
}

// Hands out a batch of a folder's entries; the progress box shows the
// folder with its first batch, then every few files.
void HandOut(const std::string& folder, std::vector<WIN32_FIND_DATAA>& collected,
             ResultList& results, FileCallback callback, bool first_batch) {
  const int step = FText.empty() ? 100 : 25;
  for (size_t i = 0; i < collected.size(); i++) {
    if (WalkInterrupted()) break;
    if (!UseAdvancedCriteria || MatchesCriteria(collected[i])) {
      callback(collected[i], results);
      Sleep(0);
      CurrentRun.files_scanned++;
    }
    if ((first_batch && i == 0) || CurrentRun.files_scanned % step == 0)
      ShowWalkProgress(folder, results.size());
  }
}

// Lists a folder once, handing its entries that pass the mask list to the
// callback with full paths (in batches, or all at the end, as the walk's
// changes allow) and remembering its subfolders' names in order. An entry
// whose path does not fit is counted here, unless it is a subfolder, which
// is counted when it is to be entered.
bool ListAndHandOut(const std::string& folder, ResultList& results, FileCallback callback,
                    std::vector<std::string>* subfolders) {
  const size_t batch_size = Changes == WalkChanges::kNothing ? kSearchBatch : SIZE_MAX;
  std::vector<WIN32_FIND_DATAA> batch;
  bool handed_any = false;
  const bool listed = ListFolder(folder, [&](WIN32_FIND_DATAA& entry) {
    WalkInterrupted();
    if (Descending() && IsSubfolder(entry)) subfolders->emplace_back(entry.cFileName);
    if ((IsFolder(entry) && IsDots(entry)) || !MatchMaskList(FMask, entry.cFileName))
      return !CurrentRun.interrupted;
    std::string path = folder + entry.cFileName;
    if (path.size() > kMaxPath) {
      if (!(Descending() && IsSubfolder(entry))) CurrentRun.long_paths++;
    } else {
      std::memcpy(entry.cFileName, path.c_str(), path.size() + 1);
      batch.push_back(entry);
    }
    if (batch.size() >= batch_size) {
      HandOut(folder, batch, results, callback, !handed_any);
      handed_any = true;
      batch.clear();
    }
    return !CurrentRun.interrupted;
  });
  if (!handed_any && batch.empty()) ShowWalkProgress(folder, results.size());
  HandOut(folder, batch, results, callback, !handed_any);
  return listed;
}

int WalkFolder(std::string folder, ResultList& results, FileCallback callback);

// Walks one subfolder, or counts it when its listing would not fit a path.
int WalkSubfolder(const std::string& sub, ResultList& results, FileCallback callback) {
  if (!ListingFits(sub)) {
    CurrentRun.long_paths++;
    return 1;
  }
  return WalkFolder(sub, results, callback);
}

// The subfolders of a listed folder, depth first. Where the command
// renames, the folder is listed again, after its entries were handed out,
// so a folder renamed by the command is entered under its new name; those
// are entered in name order, since the order a listing gives new names is
// the file system's own (a hash of the names, say), and the counters that
// number the entries would follow it.
int WalkSubfolders(const std::string& folder, std::vector<std::string> names,
                   ResultList& results, FileCallback callback) {
  if (Changes == WalkChanges::kNames) {
    names.clear();
    ListFolder(folder, [&](const WIN32_FIND_DATAA& entry) {
      if (IsSubfolder(entry)) names.emplace_back(entry.cFileName);
      return true;
    });
    std::sort(names.begin(), names.end());
  }
  for (const std::string& name : names)
    if (!WalkSubfolder(folder + name, results, callback)) return 0;
  return 1;
}

int WalkFolder(std::string folder, ResultList& results, FileCallback callback) {
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  HANDLE screen = StartupInfo.SaveScreen(0, 0, -1, -1);
  ShowWalkTitle(folder);
  std::vector<std::string> subfolders;
  const bool listed = ListAndHandOut(folder, results, callback, &subfolders);
  StartupInfo.RestoreScreen(screen);

  if (!Descending()) return 1;
  if (CurrentRun.interrupted) return 0;
  return listed ? WalkSubfolders(folder, std::move(subfolders), results, callback) : 1;
}

int WalkDrives(ResultList& results, FileCallback callback) {
  DWORD drives = GetLogicalDrives();
  for (int i = 0; i < 26; i++) {
    if (!(drives & (1u << i))) continue;
    char root[] = {static_cast<char>('A' + i), ':', '\\', '\0'};
    UINT type = GetDriveTypeA(root);
    if (FSearchIn == ScopeLocalDrives && type == DRIVE_REMOTE) continue;
    if (type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR || type == DRIVE_REMOVABLE ||
        type == DRIVE_CDROM)
      continue;
    WalkFolder(root, results, callback);
  }
  return 1;
}


int WalkSelection(const PanelInfo& panel, ResultList& results, FileCallback callback) {
  std::string folder = panel.CurDir;
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  if (panel.ItemsNumber == 0) return 0;
  const PluginPanelItem* items = panel.SelectedItems;
  int count = panel.SelectedItemsNumber;
  if (count == 0) {
    if (panel.CurrentItem < 0 || panel.CurrentItem >= panel.ItemsNumber) return 1;
    items = &panel.PanelItems[panel.CurrentItem];
    count = 1;
  }
  for (int i = 0; i < count; i++) {
    WIN32_FIND_DATAA entry = items[i].FindData;
    if (IsFolder(entry)) {
      if (!IsSubfolder(entry)) continue;
      if (!WalkSubfolder(folder + entry.cFileName, results, callback)) return 1;
      continue;
    }
    if (!MatchMaskList(FMask, entry.cFileName)) continue;
    if (WalkInterrupted()) return 1;
    callback(entry, results);
    CurrentRun.files_scanned++;
  }
  return 1;
}


int WalkScopeFolders(ResultList& results, FileCallback callback) {
  PanelInfo panel;
  std::memset(&panel, 0, sizeof panel);
  StartupInfo.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &panel);
  results.clear();

  switch (FSearchIn) {
    case ScopeAllDrives:
    case ScopeLocalDrives:
      return WalkDrives(results, callback);
    case ScopeDriveRoot:
      panel.CurDir[std::min<size_t>(3, std::strlen(panel.CurDir))] = '\0';
      WalkFolder(panel.CurDir, results, callback);
      return 1;
    case ScopeSelected:
      return WalkSelection(panel, results, callback);
    default:
      WalkFolder(panel.CurDir, results, callback);
      return 1;
  }
}

// One box for everything the walk could not reach, when it ends.
void ReportSkippedPaths() {
  if (CurrentRun.unread_folders == 0 && CurrentRun.long_paths == 0) return;
  char unread[80], long_paths[80];
  std::snprintf(unread, sizeof unread, GetMsg(MUnreadFolders), CurrentRun.unread_folders);
  std::snprintf(long_paths, sizeof long_paths, GetMsg(MLongPaths), CurrentRun.long_paths);
  std::vector<const char*> items = {GetMsg(MTitle), GetMsg(MWalkIncomplete)};
  if (CurrentRun.unread_folders) items.push_back(unread);
  if (CurrentRun.long_paths) items.push_back(long_paths);
  items.push_back(GetMsg(MOk));
  StartupInfo.Message(StartupInfo.ModuleNumber, FMSG_WARNING, "WalkSkipped", items.data(),
                      static_cast<int>(items.size()), 1);
}

}  // namespace

bool ActivePanelIsPlainFilePanel() {
  PanelInfo panel;
  std::memset(&panel, 0, sizeof panel);
  StartupInfo.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &panel);
  return panel.PanelType == PTYPE_FILEPANEL && !panel.Plugin;
}

bool WalkInterrupted() {
  if (EscPressed()) CurrentRun.interrupted = true;
  return CurrentRun.interrupted;
}

int WalkScope(ResultList& results, FileCallback callback, WalkChanges changes,
              void (*walk_ended)(), WalkRecords records) {
  Changes = changes;
  Records = records;
  const int walked = WalkScopeFolders(results, callback);
  if (walk_ended) walk_ended();
  ReportSkippedPaths();
  return walked;
}

void AddResult(const WIN32_FIND_DATAA& entry, ResultList& results) {
  PluginPanelItem item;
  std::memset(&item, 0, sizeof item);
  item.FindData = entry;
  results.push_back(item);
}

int ReportNoFilesFound() {
  const char* items[] = {GetMsg(MTitle), GetMsg(MNoFilesFound), GetMsg(MOk)};
  StartupInfo.Message(StartupInfo.ModuleNumber, FMSG_WARNING, "NoFilesFound", items, 3, 1);
  return 2;
}
