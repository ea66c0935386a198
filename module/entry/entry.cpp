// The module's exported entry points: start-up, registration, opening,
// configuration and shutdown (the results panel's are beside it).
#include <algorithm>
#include <cstring>

#include "module/base/host_access.hpp"
#include "module/base/messages.hpp"
#include "module/base/settings.hpp"
#include "module/entry/configure.hpp"
#include "module/entry/dispatch.hpp"
#include "module/entry/entry_guard.hpp"
#include "module/entry/lifetime.hpp"

namespace {

// Fetched on the first GetPluginInfo and kept: the host may hold on to them.
const char* PluginMenuText[1];
const char* PluginConfigText[1];

}  // namespace

FAR_EXPORT void WINAPI SetStartupInfo(const PluginStartupInfo* info) {
  // A host with a shorter table leaves the services it lacks null.
  std::memset(&StartupInfo, 0, sizeof StartupInfo);
  size_t size = info->StructSize > 0 ? static_cast<size_t>(info->StructSize) : sizeof StartupInfo;
  std::memcpy(&StartupInfo, info, std::min(size, sizeof StartupInfo));
  GuardEntry(StartModule);
}

FAR_EXPORT void WINAPI GetPluginInfo(PluginInfo* info) {
  if (!PluginMenuText[0]) {
    PluginMenuText[0] = GetMsg(MTitle);
    PluginConfigText[0] = GetMsg(MTitle);
  }
  info->StructSize = sizeof *info;
  info->Flags = PF_EDITOR;
  info->DiskMenuStringsNumber = 0;
  info->PluginMenuStrings = PluginMenuText;
  info->PluginMenuStringsNumber = 1;
  info->PluginConfigStrings = PluginConfigText;
  info->PluginConfigStringsNumber = 1;
  info->CommandPrefix = "ff";
}

FAR_EXPORT HANDLE WINAPI OpenPlugin(int open_from, intptr_t item) {
  return GuardEntry(INVALID_HANDLE_VALUE, [&] {
    ReportReadOnlySettingsOnce();
    return OpenFrom(open_from, item);
  });
}

FAR_EXPORT int WINAPI Configure(int) {
  GuardEntry([] {
    ReportReadOnlySettingsOnce();
    RunConfiguration();
  });
  return 1;
}

FAR_EXPORT void WINAPI ExitFAR() {
  // The host is closing and gives the module no way to tell of a failed
  // save: the stores leave what they could not write as it was.
  GuardEntry([] { static_cast<void>(StopModule()); });
}
