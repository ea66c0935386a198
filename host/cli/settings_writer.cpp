// Writing the module's settings ahead of its start. The registry is proved
// writable first (by a write the platform rolls back, which programs
// starting at the same moment never see), so that a file the module could
// read but never save to is refused before any command runs rather than
// losing the settings silently at its end.
#include "host/cli/settings_writer.hpp"

#include <memory>
#include <type_traits>

#include "host/core/services.hpp"
#include "platform/host_bridge.hpp"

namespace host::cli {

namespace {

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using OpenKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

}  // namespace

std::string RegistryFailureText(LSTATUS status) {
  switch (status) {
    case ERROR_ACCESS_DENIED: return "it cannot be written";
    case ERROR_CANTOPEN: return "it cannot be opened";
    case ERROR_BADDB:
    case ERROR_REGISTRY_CORRUPT: return "it is damaged or not a settings file";
    case ERROR_DISK_FULL: return "the disk is full";
    case ERROR_BUSY: return "another program keeps it locked";
    default: return "error " + std::to_string(status);
  }
}

namespace {

bool Failed(LSTATUS status, std::string* error) {
  if (status == ERROR_SUCCESS) return false;
  *error = RegistryFailureText(status);
  return true;
}

LSTATUS WriteValue(HKEY key, const StoredSetting& setting) {
  if (setting.rule->kind == SettingRule::kText) {
    return RegSetValueExA(key, setting.rule->name, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(setting.text.c_str()),
                          static_cast<DWORD>(setting.text.size() + 1));
  }
  return RegSetValueExA(key, setting.rule->name, 0, REG_DWORD,
                        reinterpret_cast<const BYTE*>(&setting.number), sizeof setting.number);
}

}  // namespace

std::string ModuleSettingsKeyPath() { return std::string(kRootKey) + "\\Finderix"; }

bool PrepareModuleSettings(const std::vector<StoredSetting>& settings, std::string* error) {
  HKEY raw = nullptr;
  if (Failed(RegCreateKeyExA(HKEY_CURRENT_USER, ModuleSettingsKeyPath().c_str(), 0, nullptr, 0,
                             KEY_ALL_ACCESS, nullptr, &raw, nullptr),
             error))
    return false;
  OpenKey key(raw);
  if (Failed(platform::CheckRegistryWritable(), error)) return false;
  for (const StoredSetting& setting : settings)
    if (Failed(WriteValue(key.get(), setting), error)) return false;
  return true;
}

bool StoreModuleSettings(const std::string& file, const std::vector<StoredSetting>& settings,
                         std::string* error) {
  platform::SetRegistryFile(file);
  std::string reason;
  bool stored = PrepareModuleSettings(settings, &reason);
  platform::CloseRegistry();
  if (!stored)
    *error = "cannot use " + (file.empty() ? "the default settings file" : file) + ": " + reason;
  return stored;
}

}  // namespace host::cli
