// The settings store: the globals of the settings table, read in table
// order and written back only where this run changed them. A value that is
// missing, of the wrong type or out of range reads as its default; a store
// found damaged is never written.
#include "module/base/settings.hpp"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <optional>
#include <vector>

#include "module/base/host_access.hpp"
#include "module/base/messages.hpp"
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

// What a load found for one value.
enum class Stored {
  kTaken,    // present and accepted
  kMissing,  // not there (or no key): the default, which needs no writing
  kRefused,  // there but of the wrong type or out of range: the default,
             // written back at the next save in its place
};

// RegQueryValueExA straight into a 32-bit variable, as the store keeps it.
Stored QueryDword(HKEY key, const char* name, int* value) {
  DWORD type = 0, size = sizeof(DWORD);
  DWORD stored = 0;
  if (!key) return Stored::kMissing;
  LSTATUS status =
      RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&stored), &size);
  if (status == ERROR_FILE_NOT_FOUND) return Stored::kMissing;
  if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(DWORD)) return Stored::kRefused;
  *value = static_cast<int>(stored);
  return Stored::kTaken;
}

Stored ReadNumber(HKEY key, const Setting& s, int* number) {
  int value = 0;
  *number = s.default_number;
  Stored found = QueryDword(key, s.name, &value);
  if (found != Stored::kTaken) return found;
  if (value < s.minimum || value > s.maximum) return Stored::kRefused;
  *number = value;
  return Stored::kTaken;
}

Stored ReadText(HKEY key, const Setting& s, std::string* text) {
  *text = s.default_text;
  DWORD type = 0, size = 0;
  if (!key) return Stored::kMissing;
  LSTATUS status = RegQueryValueExA(key, s.name, nullptr, &type, nullptr, &size);
  if (status == ERROR_FILE_NOT_FOUND) return Stored::kMissing;
  if (status != ERROR_SUCCESS || type != REG_SZ) return Stored::kRefused;
  std::vector<char> bytes(size + 1, '\0');
  if (RegQueryValueExA(key, s.name, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()),
                       &size) != ERROR_SUCCESS)
    return Stored::kRefused;
  // A stored text without its terminating zero still ends at its size.
  *text = std::string(bytes.data(), strnlen(bytes.data(), size));
  return Stored::kTaken;
}

// Reads one value into its variable (its default unless taken).
Stored ReadSetting(HKEY key, const Setting& s) {
  int number = 0;
  Stored found = Stored::kMissing;
  switch (s.kind) {
    case SettingKind::kInt:
      found = ReadNumber(key, s, &number);
      *static_cast<int*>(s.variable) = number;
      break;
    case SettingKind::kChar:
      found = ReadNumber(key, s, &number);
      *static_cast<char*>(s.variable) = static_cast<char>(number);
      break;
    case SettingKind::kText:
      found = ReadText(key, s, static_cast<std::string*>(s.variable));
      break;
  }
  return found;
}

// A setting's value in one comparable form: numbers and characters in
// `number`, texts in `text`.
struct SettingValue {
  int number = 0;
  std::string text;
  bool operator==(const SettingValue&) const = default;
};

SettingValue ValueOf(const Setting& s) {
  switch (s.kind) {
    case SettingKind::kInt: return {*static_cast<int*>(s.variable), {}};
    case SettingKind::kChar: return {static_cast<unsigned char>(*static_cast<char*>(s.variable)), {}};
    case SettingKind::kText: return {0, *static_cast<std::string*>(s.variable)};
  }
  return {};
}

// The stored settings as this run last read or saved them, in table order.
// A save writes only what differs, so a value that another process stored
// meanwhile survives unless this run changed it too. A value refused at
// load is unknown, so its default replaces it at the save. Empty until the
// first load: then every value counts as changed.
std::vector<std::optional<SettingValue>> KnownStoredValues;

// The file was found damaged at load: the run uses defaults and never
// writes, which could only make the damage worse.
bool StoreReadOnly = false;
bool ReadOnlyReported = false;

bool WriteDword(HKEY key, const char* name, DWORD value) {
  return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) == ERROR_SUCCESS;
}

bool WriteText(HKEY key, const char* name, const std::string& text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool WriteSetting(HKEY key, const Setting& s) {
  switch (s.kind) {
    case SettingKind::kInt:
      return WriteDword(key, s.name, static_cast<DWORD>(*static_cast<int*>(s.variable)));
    case SettingKind::kChar:
      return WriteDword(key, s.name, static_cast<unsigned char>(*static_cast<char*>(s.variable)));
    case SettingKind::kText:
      return WriteText(key, s.name, *static_cast<std::string*>(s.variable));
  }
  return false;
}

}  // namespace

HKEY OpenSettingsKey(LSTATUS* status) {
  char path[kKeyPathSize];
  const char* root = StartupInfo.RootKey ? StartupInfo.RootKey : "";
  // A root too long for the path buffer gets no settings key at all rather
  // than a cut one that would mix settings into some other key.
  int length = std::snprintf(path, sizeof path, "%s\\Finderix", root);
  if (length < 0 || static_cast<size_t>(length) >= sizeof path) {
    if (status) *status = ERROR_BAD_PATHNAME;
    return nullptr;
  }
  HKEY key = nullptr;
  LSTATUS opened = RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS,
                                   nullptr, &key, nullptr);
  if (status) *status = opened;
  return opened == ERROR_SUCCESS ? key : nullptr;
}

void ReadSettingGroup(HKEY key, SettingGroup group) {
  for (int i = 0; i < group.count; i++) ReadSetting(key, group.settings[i]);
}

bool WriteSettingGroup(HKEY key, SettingGroup group) {
  if (!key) return false;
  bool written = true;
  for (int i = 0; i < group.count; i++) written &= WriteSetting(key, group.settings[i]);
  return written;
}

void LoadSettings() {
  LSTATUS status = ERROR_SUCCESS;
  RegistryKey key(OpenSettingsKey(&status));
  StoreReadOnly = status == ERROR_REGISTRY_CORRUPT || status == ERROR_BADDB;
  ReadOnlyReported = false;
  KnownStoredValues.clear();
  for (const Setting& s : StoredSettings()) {
    const bool refused = ReadSetting(key.get(), s) == Stored::kRefused;
    KnownStoredValues.push_back(refused ? std::nullopt : std::optional(ValueOf(s)));
  }
}

bool SaveSettings() {
  if (StoreReadOnly) return false;
  const std::vector<Setting>& settings = StoredSettings();
  if (KnownStoredValues.size() != settings.size()) KnownStoredValues.assign(settings.size(), {});
  std::vector<size_t> changed;
  for (size_t i = 0; i < settings.size(); i++)
    if (KnownStoredValues[i] != ValueOf(settings[i])) changed.push_back(i);
  if (changed.empty()) return true;
  RegistryKey key(OpenSettingsKey());
  if (!key) return false;
  bool saved = true;
  for (size_t i : changed) {
    if (WriteSetting(key.get(), settings[i]))
      KnownStoredValues[i] = ValueOf(settings[i]);
    else
      saved = false;
  }
  return saved;
}

bool SettingsStoreReadOnly() { return StoreReadOnly; }

void ReportReadOnlySettingsOnce() {
  if (!StoreReadOnly || ReadOnlyReported) return;
  ReadOnlyReported = true;
  const char* items[] = {GetMsg(MTitle), GetMsg(MSettingsDamaged), GetMsg(MSettingsNotSaved),
                         GetMsg(MOk)};
  StartupInfo.Message(StartupInfo.ModuleNumber, FMSG_WARNING, "SettingsDamaged", items, 4, 1);
}

void ReadClockSetting() {
  // Only read: the host's key is opened, never created.
  HKEY screen = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Far\\Screen", 0, KEY_READ, &screen) !=
      ERROR_SUCCESS)
    screen = nullptr;
  RegistryKey key(screen);
  int value = 0;
  const bool taken = QueryDword(key.get(), "ViewerEditorClock", &value) == Stored::kTaken;
  ClockShown = taken && value >= 0 && value <= 1 ? value : 0;
}
