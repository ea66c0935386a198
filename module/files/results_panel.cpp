// The results panel's list and what its entry points do with it. The
// entries are real files by path, so the host's own file operations work
// on them; every refresh re-reads them and drops those that no longer exist.
#include "module/files/results_panel.hpp"

#include <algorithm>
#include <cstring>
#include <memory>

#include "module/base/commands.hpp"
#include "module/base/host_access.hpp"
#include "module/base/messages.hpp"

namespace {

struct ResultsPanel {
  ResultList results;
  std::string home_folder;  // the active panel's folder when the panel opened
};

// The open panels; a panel's address is its handle.
std::vector<std::unique_ptr<ResultsPanel>> OpenPanels;

const char kNoFolder[] = "";
KeyBarTitles KeyBar;

ResultsPanel* PanelOf(HANDLE handle) {
  for (const std::unique_ptr<ResultsPanel>& panel : OpenPanels)
    if (panel.get() == handle) return panel.get();
  return nullptr;
}

// An entry's UserData says what became of it when the panel last read it.
constexpr DWORD_PTR kDropped = 0;
constexpr DWORD_PTR kKept = 1;
// Or that the command described it as it ended, so it needs no reading yet.
constexpr DWORD_PTR kDescribedByCommand = 2;

void CompactResults(ResultList& results) {
  std::erase_if(results, [](const PluginPanelItem& item) { return item.UserData == kDropped; });
}

void Describe(WIN32_FIND_DATAA& listed, const WIN32_FILE_ATTRIBUTE_DATA& now) {
  listed.dwFileAttributes = now.dwFileAttributes;
  listed.ftCreationTime = now.ftCreationTime;
  listed.ftLastAccessTime = now.ftLastAccessTime;
  listed.ftLastWriteTime = now.ftLastWriteTime;
  listed.nFileSizeHigh = now.nFileSizeHigh;
  listed.nFileSizeLow = now.nFileSizeLow;
}

void RefreshResults(ResultList& results) {
  for (PluginPanelItem& item : results) {
    if (item.UserData == kDescribedByCommand) {
      item.UserData = kKept;
      continue;
    }
    WIN32_FILE_ATTRIBUTE_DATA now;
    item.UserData = GetFileAttributesExA(item.FindData.cFileName, GetFileExInfoStandard, &now)
                        ? kKept
                        : kDropped;
    if (item.UserData == kKept) Describe(item.FindData, now);
  }
  CompactResults(results);
}

bool IsSelected(const PluginPanelItem& item, const PanelInfo& panel) {
  for (int i = 0; i < panel.SelectedItemsNumber; i++)
    if (std::strcmp(item.FindData.cFileName, panel.SelectedItems[i].FindData.cFileName) == 0)
      return true;
  return false;
}

}  // namespace

void SetCurrentDescription(PluginPanelItem& result, const WIN32_FILE_ATTRIBUTE_DATA& now) {
  Describe(result.FindData, now);
  result.UserData = kDescribedByCommand;
}

HANDLE OpenResultsPanel(ResultList results) {
  PanelInfo active;
  std::memset(&active, 0, sizeof active);
  StartupInfo.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &active);
  OpenPanels.push_back(std::make_unique<ResultsPanel>(ResultsPanel{std::move(results), active.CurDir}));
  return OpenPanels.back().get();
}

void CloseResultsPanel(HANDLE panel) {
  std::erase_if(OpenPanels, [&](const std::unique_ptr<ResultsPanel>& open) {
    return open.get() == panel;
  });
}

void CloseAllResultsPanels() {
  OpenPanels.clear();
  OpenPanels.shrink_to_fit();
}

void DescribeResultsPanel(OpenPluginInfo* info) {
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

bool ListResults(HANDLE handle, PluginPanelItem** items, int* count) {
  ResultsPanel* panel = PanelOf(handle);
  if (!panel) return false;
  RefreshResults(panel->results);
  *items = panel->results.empty() ? nullptr : panel->results.data();
  *count = static_cast<int>(panel->results.size());
  return true;
}

void RemoveSelectedResults(HANDLE handle) {
  ResultsPanel* panel = PanelOf(handle);
  if (!panel) return;
  PanelInfo shown;
  std::memset(&shown, 0, sizeof shown);
  StartupInfo.Control(handle, FCTL_GETPANELINFO, &shown);
  for (PluginPanelItem& item : panel->results)
    item.UserData = IsSelected(item, shown) ? kDropped : kKept;
  CompactResults(panel->results);
  StartupInfo.Control(handle, FCTL_UPDATEPANEL, nullptr);
  StartupInfo.Control(handle, FCTL_REDRAWPANEL, nullptr);
  PanelInfo other;
  std::memset(&other, 0, sizeof other);
  StartupInfo.Control(handle, FCTL_GETANOTHERPANELINFO, &other);
  if (other.PanelType == PTYPE_QVIEWPANEL) {
    StartupInfo.Control(handle, FCTL_UPDATEANOTHERPANEL, nullptr);
    StartupInfo.Control(handle, FCTL_REDRAWANOTHERPANEL, nullptr);
  }
}

void ReturnHome(HANDLE handle) {
  if (ResultsPanel* panel = PanelOf(handle))
    StartupInfo.Control(handle, FCTL_CLOSEPLUGIN, const_cast<char*>(panel->home_folder.c_str()));
}
