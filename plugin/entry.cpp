// The module's exported entry points that start it up and shut it down.
#include <algorithm>
#include <cstring>

#include "core/case_table.hpp"
#include "plugin/host.hpp"

FAR_EXPORT void WINAPI SetStartupInfo(const PluginStartupInfo* info) {
  // A host with a shorter table leaves the services it lacks null.
  std::memset(&StartupInfo, 0, sizeof StartupInfo);
  size_t size = info->StructSize > 0 ? static_cast<size_t>(info->StructSize) : sizeof StartupInfo;
  std::memcpy(&StartupInfo, info, std::min(size, sizeof StartupInfo));
  BuildOemUpperTable();
}
