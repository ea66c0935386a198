// The registry side of a preset list: one key per kind under the module's
// settings key, one subkey per preset named after it, one value per slot.
// Saving rewrites the whole key, so what is stored is exactly the list.
#include <cstdio>

#include "module/base/host_access.hpp"
#include "module/base/registry_key.hpp"
#include "module/base/settings.hpp"
#include "module/presets/preset_list.hpp"

namespace {

constexpr size_t kKeyPathSize = 256;
constexpr DWORD kSubkeyNameSize = 256;

// The kind's key, created when missing; null when it cannot be had. A root
// too long for the path gets no key at all rather than a cut path that
// would read or overwrite some other key.
RegistryKey OpenPresetsKey(const char* kind_name) {
  char path[kKeyPathSize];
  const char* root = StartupInfo.RootKey ? StartupInfo.RootKey : "";
  int length = std::snprintf(path, sizeof path, "%s\\Finderix\\%sPresets", root, kind_name);
  if (length < 0 || static_cast<size_t>(length) >= sizeof path) return nullptr;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return nullptr;
  return RegistryKey(key);
}

bool SubkeyName(HKEY key, DWORD index, std::string* name) {
  char buffer[kSubkeyNameSize];
  DWORD size = sizeof buffer;
  if (RegEnumKeyExA(key, index, buffer, &size, nullptr, nullptr, nullptr, nullptr) !=
      ERROR_SUCCESS)
    return false;
  name->assign(buffer, size);
  return true;
}

// The record's slots as settings of the store: texts default to empty,
// numbers to 0 with every 32-bit value accepted. Without empty_texts an
// empty text is left out; it loads as empty all the same.
std::vector<Setting> SlotSettings(PresetRecord& record, std::span<const char* const> text_names,
                                  std::span<const char* const> number_names,
                                  bool empty_texts = true) {
  std::vector<Setting> settings;
  for (size_t i = 0; i < text_names.size(); i++)
    if (empty_texts || !record.texts[i].empty())
      settings.push_back(TextSetting(text_names[i], &record.texts[i], ""));
  for (size_t i = 0; i < number_names.size(); i++)
    settings.push_back(AnyIntSetting(number_names[i], &record.numbers[i], 0));
  return settings;
}

SettingGroup GroupOf(const std::vector<Setting>& settings) {
  return {settings.data(), static_cast<int>(settings.size())};
}

// Deleting index 0 until none is left. A subkey that cannot be deleted
// (it has subkeys of its own) ends the loop instead of being retried for
// ever; the presets are then written over what is left, and false says so.
bool DeleteAllSubkeys(HKEY key) {
  std::string name;
  while (SubkeyName(key, 0, &name))
    if (RegDeleteKeyA(key, name.c_str()) != ERROR_SUCCESS) return false;
  return true;
}

}  // namespace

void PresetList::LoadPresets() {
  RegistryKey key = OpenPresetsKey(KindName());
  if (!key) return;
  std::string name;
  while (SubkeyName(key.get(), static_cast<DWORD>(records_.size()), &name)) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(key.get(), name.c_str(), 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS)
      return;
    RegistryKey subkey(opened);
    PresetRecord record{name, std::vector<std::string>(TextNames().size()),
                        std::vector<int>(NumberNames().size())};
    ReadSettingGroup(subkey.get(), GroupOf(SlotSettings(record, TextNames(), NumberNames())));
    records_.push_back(std::move(record));
  }
}

bool PresetList::SavePresets() {
  RegistryKey key = OpenPresetsKey(KindName());
  if (!key) return false;
  bool saved = DeleteAllSubkeys(key.get());
  for (PresetRecord& record : records_) {
    HKEY created = nullptr;
    if (RegCreateKeyExA(key.get(), record.name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &created, nullptr) != ERROR_SUCCESS) {
      saved = false;
      continue;
    }
    RegistryKey subkey(created);
    saved &= WriteSettingGroup(subkey.get(), GroupOf(SlotSettings(record, TextNames(), NumberNames(),
                                                                   StoreEmptyInPresets == 1)));
  }
  return saved;
}
