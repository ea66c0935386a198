// Shared ground for the preset tests: a fresh registry file and a scripted
// host per test, direct access to the preset keys, and the answers a person
// gives in the preset menu and the preset dialogs.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/host_bridge.hpp"
#include "module/base/registry_key.hpp"
#include "module/base/settings.hpp"
#include "module/presets/preset_kinds.hpp"
#include "tests/support/recording_host.hpp"
#include "tests/support/temp_folder.hpp"

namespace preset_test {

constexpr int kInsert = 0, kDelete = 1, kEdit = 2;
constexpr MenuAnswer kEsc{-1, -1};
inline MenuAnswer Pick(int index) { return {index, -1}; }
inline MenuAnswer Key(int key, int index = -1) { return {index, key}; }

inline std::string PresetsPath(const std::string& kind) {
  return "Software\\Far\\Plugins\\Finderix\\" + kind + "Presets";
}

inline RegistryKey CreateKey(const std::string& path) {
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS)
      << path;
  return RegistryKey(key);
}

inline bool KeyExists(const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

inline void StoreText(const std::string& path, const char* name, const std::string& text) {
  RegistryKey key = CreateKey(path);
  RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
}

inline void StoreNumber(const std::string& path, const char* name, int number) {
  RegistryKey key = CreateKey(path);
  DWORD value = static_cast<DWORD>(number);
  RegSetValueExA(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                 sizeof value);
}

// The bytes of a value of the wanted type; nothing when the key or the
// value is missing or the value has another type.
inline std::optional<std::string> StoredBytes(const std::string& path, const char* name,
                                              DWORD wanted_type) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return std::nullopt;
  RegistryKey owner(key);
  char buffer[512] = {};
  DWORD type = 0, size = sizeof buffer;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
          ERROR_SUCCESS ||
      type != wanted_type)
    return std::nullopt;
  return std::string(buffer, size);
}

inline std::optional<std::string> StoredText(const std::string& path, const char* name) {
  auto bytes = StoredBytes(path, name, REG_SZ);
  return bytes ? std::optional<std::string>(bytes->c_str()) : std::nullopt;
}

inline std::optional<int> StoredNumber(const std::string& path, const char* name) {
  auto bytes = StoredBytes(path, name, REG_DWORD);
  if (!bytes || bytes->size() != sizeof(DWORD)) return std::nullopt;
  DWORD value = 0;
  std::memcpy(&value, bytes->data(), sizeof value);
  return static_cast<int>(value);
}

inline std::vector<std::string> Subkeys(const std::string& path) {
  std::vector<std::string> names;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return names;
  RegistryKey owner(key);
  char name[256];
  for (DWORD i = 0;; i++) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    names.emplace_back(name, size);
  }
  return names;
}

inline std::vector<std::string> Names(const PresetList& list) {
  std::vector<std::string> names;
  for (const PresetRecord& record : list.Records()) names.push_back(record.name);
  return names;
}

// Dialog answers: edit the records the way a person types, then close
// through OK (the second-last item), Cancel (the last) or Esc.
using Edit = std::function<void(FarDialogItem* items)>;

inline Edit Type(int item, const std::string& text) {
  return [=](FarDialogItem* items) { std::strcpy(items[item].Data, text.c_str()); };
}
inline Edit Check(int item, int state) {
  return [=](FarDialogItem* items) { items[item].Selected = state; };
}

inline RecordingHost::DialogAnswer Ok(std::vector<Edit> edits = {}) {
  return [=](FarDialogItem* items, int count) {
    for (const Edit& edit : edits) edit(items);
    return count - 2;
  };
}
inline RecordingHost::DialogAnswer Cancel(std::vector<Edit> edits = {}) {
  return [=](FarDialogItem* items, int count) {
    for (const Edit& edit : edits) edit(items);
    return count - 1;
  };
}
inline RecordingHost::DialogAnswer EscDialog() {
  return [](FarDialogItem*, int) { return -1; };
}

class PresetTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::SetRegistryFile(folder_.Posix("registry.db"));
    StoreEmptyInPresets = 0;
  }
  void TearDown() override { platform::CloseRegistry(); }

  // Starts the next row of a table with no answers and nothing recorded.
  void ForgetHostCalls() {
    host_.messages.clear();
    host_.message_answer = 0;
    host_.dialog_answers.clear();
    host_.dialogs_shown = 0;
    host_.dialog_snapshots.clear();
    host_.dialog_calls.clear();
    host_.menu_answers.clear();
    host_.menus.clear();
  }

  // A new, empty registry, for the next row of a table whose lists save
  // themselves when they go.
  void UseFreshRegistry() {
    platform::SetRegistryFile(folder_.Posix("registry" + std::to_string(++registries_) + ".db"));
  }

  TempFolder folder_;
  RecordingHost host_;
  int registries_ = 0;
};

}  // namespace preset_test
