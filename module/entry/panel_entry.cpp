// The results panel's exported entry points: the host asks the panel for
// its look and its list, and hands it keys and folder changes. The list
// itself belongs to the file commands.
#include <cstring>

#include "module/base/commands.hpp"
#include "module/base/host_access.hpp"
#include "module/entry/entry_guard.hpp"
#include "module/files/results_panel.hpp"

FAR_EXPORT void WINAPI GetOpenPluginInfo(HANDLE, OpenPluginInfo* info) {
  DescribeResultsPanel(info);
}

FAR_EXPORT int WINAPI GetFindData(HANDLE plugin, PluginPanelItem** items, int* count, int) {
  return GuardEntry(0, [&] { return ListResults(plugin, items, count) ? 1 : 0; });
}

FAR_EXPORT int WINAPI SetDirectory(HANDLE plugin, const char* folder, int op_mode) {
  if (op_mode & OPM_FIND) return 0;
  if (std::strcmp(folder, "\\") == 0) return 0;
  StartupInfo.Control(plugin, FCTL_CLOSEPLUGIN, const_cast<char*>(folder));
  return 1;
}

FAR_EXPORT int WINAPI ProcessKey(HANDLE plugin, int key, unsigned control_state) {
  if (control_state != 0) return 0;
  if (key == KEY_F7) {
    GuardEntry([plugin] { RemoveSelectedResults(plugin); });
    return 1;
  }
  if (key == KEY_BS) {
    ReturnHome(plugin);
    return 1;
  }
  return 0;
}

FAR_EXPORT void WINAPI ClosePlugin(HANDLE plugin) { CloseResultsPanel(plugin); }
