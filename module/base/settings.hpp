// The module's settings: plain globals named after their registry values,
// read once at start-up and written when the configuration menu closes and
// at unload. Dialogs and the command line change them in memory only.
#pragma once

#include <climits>
#include <cstddef>
#include <string>

#include "platform/win32.hpp"

// Plugin-wide values.
extern int SeveralLines;
extern int StoreEmptyInPresets;
extern int ReadAtOnceLimit;
extern char MaskDelimiter;
extern char MaskNegation;
extern int DotAsteriskMatchesNoExtension;
extern int AutoappendAsterisk;
extern int EShowPosition;
extern int EShowPositionOffset;
extern int ERightSideOffset;
extern int EFindTextAtCursor;
extern int EFindSelection;

// Editor values.
extern std::string EText;
extern int ERegExp;
extern int ESeveralLine;
extern int ECaseSensitive;
extern std::string ERReplace;

// File values.
extern int FCaseSensitive;
extern int FSearchAs;
extern int FSearchIn;
extern std::string FMask;
extern int FMaskAsRegExp;
extern std::string FText;
extern int FSInverse;
extern int FAllCharTables;
extern int FROpenModified;
extern int FRConfirmFile;
extern int FRConfirmLine;
extern int FRSaveOriginal;
extern std::string FRReplace;
extern int FRepeating;
extern int FAFullPathMatch;
extern std::string FAFullPath;
extern int FACaseSensitivePathMatch;
extern int FADateBefore;
extern int FADateBeforeLo;
extern int FADateBeforeHi;
extern int FADateAfter;
extern int FADateAfterLo;
extern int FADateAfterHi;
extern int FASizeLess;
extern int FASizeLessLimit;
extern int FASizeGreater;
extern int FASizeGreaterLimit;
extern int FAAttributes;
extern int FAReadOnly;
extern int FAArchive;
extern int FAHidden;
extern int FASystem;
extern int FACompressed;
extern int FAEncrypted;

// The host's own clock setting, read each time the editor calls the module.
extern int ClockShown;

// One persisted value: its registry name, where it lives, its default and
// the range accepted on loading.
struct Setting {
  enum Kind { kInt, kText, kChar };
  const char* name;
  Kind kind;
  void* variable;
  int default_number;
  const char* default_text;
  int minimum;
  int maximum;
};

constexpr Setting IntSetting(const char* name, int* variable, int def, int minimum, int maximum) {
  return {name, Setting::kInt, variable, def, nullptr, minimum, maximum};
}
constexpr Setting AnyIntSetting(const char* name, int* variable, int def) {
  return IntSetting(name, variable, def, INT_MIN, INT_MAX);
}
constexpr Setting TextSetting(const char* name, std::string* variable, const char* def) {
  return {name, Setting::kText, variable, 0, def, 0, 0};
}
// Stored as the character's unsigned byte value.
constexpr Setting CharSetting(const char* name, char* variable, char def) {
  return {name, Setting::kChar, variable, static_cast<unsigned char>(def), nullptr, 0, 255};
}

// A group of values read and written together, in table order.
struct SettingGroup {
  const Setting* settings;
  int count;
};

template <size_t N>
constexpr SettingGroup MakeGroup(const Setting (&settings)[N]) {
  return {settings, static_cast<int>(N)};
}

// The module's key under the host's root, created when missing; null when
// it cannot be opened (every read then gives defaults, writes are lost).
HKEY OpenSettingsKey();
void ReadSettingGroup(HKEY key, SettingGroup group);
void WriteSettingGroup(HKEY key, SettingGroup group);

void LoadSettings();
void SaveSettings();
void ReadClockSetting();
