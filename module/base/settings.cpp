// The settings store: every persisted value with its registry name, kind,
// default and accepted range, in the order it is read and written. A value
// that is missing, of the wrong type or out of range reads as its default.
#include "module/base/settings.hpp"

#include <cstdio>
#include <cstring>
#include <vector>

#include "module/editor/editor_settings.hpp"
#include "module/files/char_sets.hpp"
#include "module/base/host_access.hpp"
#include "module/base/registry_key.hpp"
#include "module/presets/presets.hpp"

int SeveralLines;
int StoreEmptyInPresets;
int ReadAtOnceLimit;
char MaskDelimiter;
char MaskNegation;
int DotAsteriskMatchesNoExtension;
int AutoappendAsterisk;
int EShowPosition;
int EShowPositionOffset;
int ERightSideOffset;
int EFindTextAtCursor;
int EFindSelection;

std::string EText;
int ERegExp;
int ESeveralLine;
int ECaseSensitive;
std::string ERReplace;

int FCaseSensitive;
int FSearchAs;
int FSearchIn;
std::string FMask;
int FMaskAsRegExp;
std::string FText;
int FSInverse;
int FAllCharTables;
int FROpenModified;
int FRConfirmFile;
int FRConfirmLine;
int FRSaveOriginal;
std::string FRReplace;
int FRepeating;
int FAFullPathMatch;
std::string FAFullPath;
int FACaseSensitivePathMatch;
int FADateBefore;
int FADateBeforeLo;
int FADateBeforeHi;
int FADateAfter;
int FADateAfterLo;
int FADateAfterHi;
int FASizeLess;
int FASizeLessLimit;
int FASizeGreater;
int FASizeGreaterLimit;
int FAAttributes;
int FAReadOnly;
int FAArchive;
int FAHidden;
int FASystem;
int FACompressed;
int FAEncrypted;

int ClockShown;

namespace {

constexpr size_t kKeyPathSize = 256;
// 1980-01-01 00:00:00 as a file time.
constexpr int kDefaultDateLo = static_cast<int>(0xE1D58000u);
constexpr int kDefaultDateHi = 0x01A8E79F;

const Setting kPluginSettings[] = {
    IntSetting("SeveralLines", &SeveralLines, 5, 1, 256),
    IntSetting("StoreEmptyInPresets", &StoreEmptyInPresets, 0, 0, 1),
    IntSetting("ReadAtOnceLimit", &ReadAtOnceLimit, 1024, 0, 131071),
    CharSetting("MaskDelimiter", &MaskDelimiter, ','),
    CharSetting("MaskNegation", &MaskNegation, '!'),
    IntSetting("DotAsteriskMatchesNoExtension", &DotAsteriskMatchesNoExtension, 1, 0, 1),
    IntSetting("AutoappendAsterisk", &AutoappendAsterisk, 1, 0, 1),
    IntSetting("EShowPosition", &EShowPosition, 0, 0, 2),
    IntSetting("EShowPositionOffset", &EShowPositionOffset, 0, -1024, 1024),
    IntSetting("ERightSideOffset", &ERightSideOffset, 5, 0, 1024),
    IntSetting("EFindTextAtCursor", &EFindTextAtCursor, 1, 0, 2),
    IntSetting("EFindSelection", &EFindSelection, 1, 0, 1),
};

const Setting kFileSettings[] = {
    IntSetting("FCaseSensitive", &FCaseSensitive, 0, 0, 1),
    IntSetting("FSearchAs", &FSearchAs, 0, 0, 5),
    IntSetting("FSearchIn", &FSearchIn, 2, 0, 4),
    TextSetting("FMask", &FMask, "*.*"),
    IntSetting("FMaskAsRegExp", &FMaskAsRegExp, 0, 0, 1),
    TextSetting("FText", &FText, ""),
    IntSetting("FSInverse", &FSInverse, 0, 0, 1),
    IntSetting("FAllCharTables", &FAllCharTables, 0, 0, 1),
    IntSetting("FROpenModified", &FROpenModified, 0, 0, 1),
    IntSetting("FRConfirmFile", &FRConfirmFile, 0, 0, 1),
    IntSetting("FRConfirmLine", &FRConfirmLine, 0, 0, 1),
    IntSetting("FRSaveOriginal", &FRSaveOriginal, 0, 0, 1),
    TextSetting("FRReplace", &FRReplace, ""),
    IntSetting("FRepeating", &FRepeating, 0, 0, 1),
    IntSetting("FAFullPathMatch", &FAFullPathMatch, 0, 0, 1),
    TextSetting("FAFullPath", &FAFullPath, ""),
    IntSetting("FACaseSensitivePathMatch", &FACaseSensitivePathMatch, 0, 0, 1),
    IntSetting("FADateBefore", &FADateBefore, 0, 0, 1),
    AnyIntSetting("FADateBeforeLo", &FADateBeforeLo, kDefaultDateLo),
    AnyIntSetting("FADateBeforeHi", &FADateBeforeHi, kDefaultDateHi),
    IntSetting("FADateAfter", &FADateAfter, 0, 0, 1),
    AnyIntSetting("FADateAfterLo", &FADateAfterLo, kDefaultDateLo),
    AnyIntSetting("FADateAfterHi", &FADateAfterHi, kDefaultDateHi),
    IntSetting("FASizeLess", &FASizeLess, 0, 0, 1),
    IntSetting("FASizeLessLimit", &FASizeLessLimit, 0, 0, INT_MAX),
    IntSetting("FASizeGreater", &FASizeGreater, 0, 0, 1),
    IntSetting("FASizeGreaterLimit", &FASizeGreaterLimit, 0, 0, INT_MAX),
    IntSetting("FAAttributes", &FAAttributes, 0, 0, 1),
    IntSetting("FAReadOnly", &FAReadOnly, 2, 0, 2),
    IntSetting("FAArchive", &FAArchive, 2, 0, 2),
    IntSetting("FAHidden", &FAHidden, 2, 0, 2),
    IntSetting("FASystem", &FASystem, 2, 0, 2),
    IntSetting("FACompressed", &FACompressed, 2, 0, 2),
    IntSetting("FAEncrypted", &FAEncrypted, 2, 0, 2),
};

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

void WriteDword(HKEY key, const char* name, DWORD value) {
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void WriteText(HKEY key, const char* name, const std::string& text) {
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
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
      case Setting::kInt: *static_cast<int*>(s.variable) = ReadNumber(key, s); break;
      case Setting::kChar: *static_cast<char*>(s.variable) = static_cast<char>(ReadNumber(key, s)); break;
      case Setting::kText: *static_cast<std::string*>(s.variable) = ReadText(key, s); break;
    }
  }
}

void WriteSettingGroup(HKEY key, SettingGroup group) {
  if (!key) return;
  for (int i = 0; i < group.count; i++) {
    const Setting& s = group.settings[i];
    switch (s.kind) {
      case Setting::kInt: WriteDword(key, s.name, static_cast<DWORD>(*static_cast<int*>(s.variable))); break;
      case Setting::kChar: WriteDword(key, s.name, static_cast<unsigned char>(*static_cast<char*>(s.variable))); break;
      case Setting::kText: WriteText(key, s.name, *static_cast<std::string*>(s.variable)); break;
    }
  }
}

void LoadSettings() {
  RegistryKey key(OpenSettingsKey());
  ReadSettingGroup(key.get(), MakeGroup(kPluginSettings));
  LoadEditorSettings(key.get());
  ReadSettingGroup(key.get(), MakeGroup(kFileSettings));
  CreateFilePresetLists();
  LoadCharSetTables();
}

void SaveSettings() {
  RegistryKey key(OpenSettingsKey());
  WriteSettingGroup(key.get(), MakeGroup(kPluginSettings));
  SaveEditorSettings(key.get());
  WriteSettingGroup(key.get(), MakeGroup(kFileSettings));
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
