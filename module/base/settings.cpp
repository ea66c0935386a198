// The settings store: the globals of the settings table, read and written
// in table order. A value that is missing, of the wrong type or out of
// range reads as its default.
#include "module/base/settings.hpp"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <vector>

#include "module/base/host_access.hpp"
#include "module/base/registry_key.hpp"

#define FINDERIX_DEFINE_INT(name, ...) int name;
#define FINDERIX_DEFINE_TEXT(name, ...) std::string name;
#define FINDERIX_DEFINE_CHAR(name, ...) char name;
FINDERIX_SETTINGS(FINDERIX_DEFINE_INT, FINDERIX_DEFINE_INT, FINDERIX_DEFINE_TEXT,
                  FINDERIX_DEFINE_CHAR)
#undef FINDERIX_DEFINE_INT
#undef FINDERIX_DEFINE_TEXT
#undef FINDERIX_DEFINE_CHAR

int ClockShown;

namespace {

constexpr size_t kKeyPathSize = 256;

// The table's rows bound to their globals, in table order.
#define FINDERIX_ADDRESS(name, ...) static_cast<void*>(&name),
void* const kVariables[] = {FINDERIX_SETTINGS(FINDERIX_ADDRESS, FINDERIX_ADDRESS,
                                              FINDERIX_ADDRESS, FINDERIX_ADDRESS)};
#undef FINDERIX_ADDRESS
static_assert(std::size(kVariables) == std::size(kSettingTable));

std::vector<Setting> BindStoredSettings() {
  std::vector<Setting> settings;
  for (size_t i = 0; i < std::size(kSettingTable); i++) {
    const SettingDescriptor& row = kSettingTable[i];
    settings.push_back({row.name, row.kind, kVariables[i], row.default_number,
                        row.default_text, row.minimum, row.maximum});
  }
  return settings;
}

const std::vector<Setting>& StoredSettings() {
  static const std::vector<Setting> settings = BindStoredSettings();
  return settings;
}

SettingGroup StoredGroup() {
  return {StoredSettings().data(), static_cast<int>(StoredSettings().size())};
}

// RegQueryValueExA straight into a 32-bit variable, as the store keeps it.
bool QueryDword(HKEY key, const char* name, int* value) {
  DWORD type = 0, size = sizeof(DWORD);
  DWORD stored = 0;
  if (!key || RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&stored),
                               &size) != ERROR_SUCCESS)
    return false;
  if (type != REG_DWORD || size != sizeof(DWORD)) return false;
  *value = static_cast<int>(stored);
  return true;
}

int ReadNumber(HKEY key, const Setting& s) {
  int value = 0;
  if (QueryDword(key, s.name, &value) && value >= s.minimum && value <= s.maximum) return value;
  return s.default_number;
}

std::string ReadText(HKEY key, const Setting& s) {
  DWORD type = 0, size = 0;
  if (!key || RegQueryValueExA(key, s.name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return s.default_text;
  std::vector<char> bytes(size + 1, '\0');
  if (RegQueryValueExA(key, s.name, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()),
                       &size) != ERROR_SUCCESS)
    return s.default_text;
  // A stored text without its terminating zero still ends at its size.
  return std::string(bytes.data(), strnlen(bytes.data(), size));
}

bool WriteDword(HKEY key, const char* name, DWORD value) {
  return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) == ERROR_SUCCESS;
}

bool WriteText(HKEY key, const char* name, const std::string& text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

}  // namespace

HKEY OpenSettingsKey() {
  char path[kKeyPathSize];
  const char* root = StartupInfo.RootKey ? StartupInfo.RootKey : "";
  // A root too long for the path buffer gets no settings key at all rather
  // than a cut one that would mix settings into some other key.
  int length = std::snprintf(path, sizeof path, "%s\\Finderix", root);
  if (length < 0 || static_cast<size_t>(length) >= sizeof path) return nullptr;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return nullptr;
  return key;
}

void ReadSettingGroup(HKEY key, SettingGroup group) {
  for (int i = 0; i < group.count; i++) {
    const Setting& s = group.settings[i];
    switch (s.kind) {
      case SettingKind::kInt: *static_cast<int*>(s.variable) = ReadNumber(key, s); break;
      case SettingKind::kChar: *static_cast<char*>(s.variable) = static_cast<char>(ReadNumber(key, s)); break;
      case SettingKind::kText: *static_cast<std::string*>(s.variable) = ReadText(key, s); break;
    }
  }
}

bool WriteSettingGroup(HKEY key, SettingGroup group) {
  if (!key) return false;
  bool written = true;
  for (int i = 0; i < group.count; i++) {
    const Setting& s = group.settings[i];
    switch (s.kind) {
      case SettingKind::kInt:
        written &= WriteDword(key, s.name, static_cast<DWORD>(*static_cast<int*>(s.variable)));
        break;
      case SettingKind::kChar:
        written &= WriteDword(key, s.name, static_cast<unsigned char>(*static_cast<char*>(s.variable)));
        break;
      case SettingKind::kText:
        written &= WriteText(key, s.name, *static_cast<std::string*>(s.variable));
        break;
    }
  }
  return written;
}

void LoadSettings() {
  RegistryKey key(OpenSettingsKey());
  ReadSettingGroup(key.get(), StoredGroup());
}

bool SaveSettings() {
  RegistryKey key(OpenSettingsKey());
  return WriteSettingGroup(key.get(), StoredGroup());
}

void ReadClockSetting() {
  // Only read: the host's key is opened, never created.
  HKEY screen = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Far\\Screen", 0, KEY_READ, &screen) !=
      ERROR_SUCCESS)
    screen = nullptr;
  RegistryKey key(screen);
  int value = 0;
  ClockShown = QueryDword(key.get(), "ViewerEditorClock", &value) && value >= 0 && value <= 1 ? value : 0;
}
