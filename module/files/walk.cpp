// The folder walk. A folder is listed whole before any of its entries is
// handed out (so its handle is closed while callbacks open files), matching
// entries come before subfolders, and subfolders are entered in listing
// order. Symbolic links to folders are never entered, and a path that would
// not fit the module's 260-byte paths is skipped: neither can loop or
// overflow.
#include "module/files/walk.hpp"

#include <cstdio>
#include <cstring>
#include <string>

#include "module/match/mask.hpp"
#include "module/files/criteria.hpp"
#include "module/base/host_access.hpp"
#include "module/base/messages.hpp"
#include "module/base/run_state.hpp"
#include "module/base/settings.hpp"

int UseAdvancedCriteria;

namespace {

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

// Lists a folder's entries that pass the mask list, with full paths.
std::vector<WIN32_FIND_DATAA> CollectMatching(const std::string& folder) {
  std::vector<WIN32_FIND_DATAA> collected;
  WIN32_FIND_DATAA entry;
  FindCloser find{FindFirstFileA((folder + "*").c_str(), &entry)};
  if (find.handle == INVALID_HANDLE_VALUE) return collected;
  do {
    Sleep(0);
    WalkInterrupted();
    if (IsFolder(entry) && IsDots(entry)) continue;
    if (!MatchMaskList(FMask, entry.cFileName)) continue;
    std::string path = folder + entry.cFileName;
    if (path.size() > kMaxPath) continue;
    std::memcpy(entry.cFileName, path.c_str(), path.size() + 1);
    collected.push_back(entry);
  } while (!CurrentRun.interrupted && FindNextFileA(find.handle, &entry));
  return collected;
}

void HandOut(const std::string& folder, std::vector<WIN32_FIND_DATAA>& collected,
             ResultList& results, FileCallback callback) {
  const int step = FText.empty() ? 100 : 25;
  for (size_t i = 0; i < collected.size(); i++) {
    if (WalkInterrupted()) break;
    if (!UseAdvancedCriteria || MatchesCriteria(collected[i])) {
      callback(collected[i], results);
      Sleep(0);
      CurrentRun.files_scanned++;
    }
    if (i == 0 || CurrentRun.files_scanned % step == 0) ShowWalkProgress(folder, results.size());
  }
}

int WalkFolder(std::string folder, ResultList& results, FileCallback callback);

// The second pass over a folder: its subfolders, depth first.
int WalkSubfolders(const std::string& folder, ResultList& results, FileCallback callback) {
  WIN32_FIND_DATAA entry;
  FindCloser find{FindFirstFileA((folder + "*").c_str(), &entry)};
  if (find.handle == INVALID_HANDLE_VALUE) return 1;
  do {
    Sleep(0);
    if (!IsFolder(entry) || IsDots(entry) || IsLinkedFolder(entry)) continue;
    std::string sub = folder + entry.cFileName;
    if (sub.size() + 1 > kMaxPath) continue;
    if (!WalkFolder(sub, results, callback)) return 0;
  } while (FindNextFileA(find.handle, &entry));
  return 1;
}

int WalkFolder(std::string folder, ResultList& results, FileCallback callback) {
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  HANDLE screen = StartupInfo.SaveScreen(0, 0, -1, -1);
  ShowWalkTitle(folder);
  std::vector<WIN32_FIND_DATAA> collected = CollectMatching(folder);
  if (collected.empty()) ShowWalkProgress(folder, results.size());
  HandOut(folder, collected, results, callback);
  StartupInfo.RestoreScreen(screen);

  if (FSearchIn == ScopeFolder) return 1;
  if (CurrentRun.interrupted) return 0;
  return WalkSubfolders(folder, results, callback);
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
      if (IsDots(entry) || IsLinkedFolder(entry)) continue;
      std::string sub = folder + entry.cFileName;
      if (sub.size() + 1 > kMaxPath) continue;
      if (!WalkFolder(sub, results, callback)) return 1;
      continue;
    }
    if (!MatchMaskList(FMask, entry.cFileName)) continue;
    if (WalkInterrupted()) return 1;
    callback(entry, results);
    CurrentRun.files_scanned++;
  }
  return 1;
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

int WalkScope(ResultList& results, FileCallback callback) {
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
