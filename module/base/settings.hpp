// The module's settings: plain globals named after their registry values,
// bound to the rows of the settings table, read once at start-up and
// written (those changed) when the configuration menu closes and at
// unload. Dialogs and the command line change them in memory only.
#pragma once

#include <climits>
#include <cstddef>
#include <string>

#include "module/base/setting_table.hpp"
#include "platform/win32.hpp"

// One global per row of the table, named after its registry value: ints
// (enumerated ones hold the enumerations of the table), texts in code page
// 866, and characters.
#define FINDERIX_DECLARE_INT(name, ...) extern int name;
#define FINDERIX_DECLARE_TEXT(name, ...) extern std::string name;
#define FINDERIX_DECLARE_CHAR(name, ...) extern char name;
FINDERIX_SETTINGS(FINDERIX_DECLARE_INT, FINDERIX_DECLARE_INT, FINDERIX_DECLARE_TEXT,
                  FINDERIX_DECLARE_CHAR)
#undef FINDERIX_DECLARE_INT
#undef FINDERIX_DECLARE_TEXT
#undef FINDERIX_DECLARE_CHAR

// The host's own clock setting, read each time the editor calls the module.
extern int ClockShown;

// One persisted value: its registry name, where it lives, its default and
// the range accepted on loading. The stored settings take theirs from the
// table; preset slots make their own.
struct Setting {
  const char* name;
  SettingKind kind;
  void* variable;
  int default_number;
  const char* default_text;
  int minimum;
  int maximum;
};

constexpr Setting IntSetting(const char* name, int* variable, int def, int minimum, int maximum) {
  return {name, SettingKind::kInt, variable, def, nullptr, minimum, maximum};
}
constexpr Setting AnyIntSetting(const char* name, int* variable, int def) {
  return IntSetting(name, variable, def, INT_MIN, INT_MAX);
}
constexpr Setting TextSetting(const char* name, std::string* variable, const char* def) {
  return {name, SettingKind::kText, variable, 0, def, 0, 0};
}

// A group of values read and written together, in table order.
struct SettingGroup {
  const Setting* settings;
  int count;
};


// The module's key under the host's root, created when missing; null when
// it cannot be opened (every read then gives defaults, writes are lost),
// with the registry's status in *status when asked.
HKEY OpenSettingsKey(LSTATUS* status = nullptr);
void ReadSettingGroup(HKEY key, SettingGroup group);
// False when the key is null or a value could not be written.
bool WriteSettingGroup(HKEY key, SettingGroup group);

// Reads every stored value; nothing else happens here.
void LoadSettings();
// Writes the values changed since they were loaded or last saved; false
// when one could not be written, or the store is read-only.
bool SaveSettings();
// The registry was found damaged at load: defaults are in use and nothing
// is written, presets included.
bool SettingsStoreReadOnly();
// Tells the user so, once per load, at the first command.
void ReportReadOnlySettingsOnce();
void ReadClockSetting();
