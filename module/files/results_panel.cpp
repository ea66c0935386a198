// The results panel's entry points. The entries are real files by path, so
// the host's own file operations work on them; every refresh re-reads them
// and drops those that no longer exist.
#include "module/files/results_panel.hpp"

#include <algorithm>
#include <cstring>

#include "module/entry/dispatch.hpp"
#include "module/entry/entry_guard.hpp"
#include "module/base/host_access.hpp"
#include "module/base/messages.hpp"

ResultList Results;
std::string ResultsHomeFolder;

namespace {

const char kNoFolder[] = "";
KeyBarTitles KeyBar;

// Drops the entries whose UserData keep mark is 0.
void CompactResults() {
  Results.erase(std::remove_if(Results.begin(), Results.end(),
                               [](const PluginPanelItem& item) { return item.UserData == 0; }),
                Results.end());
}

void RefreshResults() {
  for (PluginPanelItem& item : Results) {
    char path[MAX_PATH];
    std::memcpy(path, item.FindData.cFileName, sizeof path);
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(path, &found);
    item.UserData = find != INVALID_HANDLE_VALUE;
    if (find == INVALID_HANDLE_VALUE) continue;
    FindClose(find);
    item.FindData = found;
    std::memcpy(item.FindData.cFileName, path, sizeof path);
  }
  CompactResults();
}

bool IsSelected(const PluginPanelItem& item, const PanelInfo& panel) {
  for (int i = 0; i < panel.SelectedItemsNumber; i++)
    if (std::strcmp(item.FindData.cFileName, panel.SelectedItems[i].FindData.cFileName) == 0)
      return true;
  return false;
}

void RemoveSelected() {
  PanelInfo panel;
  std::memset(&panel, 0, sizeof panel);
  StartupInfo.Control(kResultsPanel, FCTL_GETPANELINFO, &panel);
  for (PluginPanelItem& item : Results) item.UserData = IsSelected(item, panel) ? 0 : 1;
  CompactResults();
  StartupInfo.Control(kResultsPanel, FCTL_UPDATEPANEL, nullptr);
  StartupInfo.Control(kResultsPanel, FCTL_REDRAWPANEL, nullptr);
  PanelInfo other;
  std::memset(&other, 0, sizeof other);
  StartupInfo.Control(kResultsPanel, FCTL_GETANOTHERPANELINFO, &other);
  if (other.PanelType == PTYPE_QVIEWPANEL) {
    StartupInfo.Control(kResultsPanel, FCTL_UPDATEANOTHERPANEL, nullptr);
    StartupInfo.Control(kResultsPanel, FCTL_REDRAWANOTHERPANEL, nullptr);
  }
}

}  // namespace

void OpenResultsPanel() {
  PanelInfo panel;
  std::memset(&panel, 0, sizeof panel);
  StartupInfo.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &panel);
  ResultsHomeFolder = panel.CurDir;
}

void CloseResultsPanel() {
  Results.clear();
  Results.shrink_to_fit();
  ResultsHomeFolder.clear();
}

FAR_EXPORT void WINAPI GetOpenPluginInfo(HANDLE, OpenPluginInfo* info) {
  info->StructSize = sizeof *info;
  info->Flags = OPIF_USEFILTER | OPIF_USESORTGROUPS | OPIF_USEHIGHLIGHTING | OPIF_ADDDOTS |
                OPIF_REALNAMES | OPIF_SHOWRIGHTALIGNNAMES;
  info->HostFile = nullptr;
  info->CurDir = kNoFolder;
  info->Format = GetMsg(MResultsTitle);
  info->PanelTitle = GetMsg(MResultsTitle);
  info->InfoLines = nullptr;
  info->InfoLinesNumber = 0;
  info->DescrFiles = nullptr;
  info->DescrFilesNumber = 0;
  info->PanelModesArray = nullptr;
  info->PanelModesNumber = 0;
  info->StartPanelMode = '4';
  std::memset(&KeyBar, 0, sizeof KeyBar);
  KeyBar.Titles[6] = const_cast<char*>(GetMsg(MRemoveKey));
  info->KeyBar = &KeyBar;
  info->ShortcutData = kNoFolder;
}

FAR_EXPORT int WINAPI GetFindData(HANDLE, PluginPanelItem** items, int* count, int) {
  return GuardEntry(0, [&] {
    RefreshResults();
    *items = Results.empty() ? nullptr : Results.data();
    *count = static_cast<int>(Results.size());
    return 1;
  });
}

FAR_EXPORT int WINAPI SetDirectory(HANDLE, const char* folder, int op_mode) {
  if (op_mode & OPM_FIND) return 0;
  if (std::strcmp(folder, "\\") == 0) return 0;
  StartupInfo.Control(kResultsPanel, FCTL_CLOSEPLUGIN, const_cast<char*>(folder));
  return 1;
}

FAR_EXPORT int WINAPI ProcessKey(HANDLE plugin, int key, unsigned control_state) {
  if (control_state != 0) return 0;
  if (key == KEY_F7) {
    GuardEntry(RemoveSelected);
    return 1;
  }
  if (key == KEY_BS) {
    StartupInfo.Control(plugin, FCTL_CLOSEPLUGIN, const_cast<char*>(ResultsHomeFolder.c_str()));
    return 1;
  }
  return 0;
}

FAR_EXPORT void WINAPI ClosePlugin(HANDLE) { CloseResultsPanel(); }
