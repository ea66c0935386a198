// The one table of the module's stored settings: each value's registry
// name, kind, default and the range accepted when it is loaded, plus the
// enumerations that name the values of the enumerated ones. It depends on
// nothing, so the host (which cannot link the module) reads the same table
// to check `--set` before anything is written.
#pragma once

#include <climits>

// FSearchAs: how a file command reads its text.
enum SearchAs {
  AsPlainText = 0,
  AsLinePattern = 1,
  AsLinesWindowPattern = 2,  // the last mode a replace or rename can use
  AsFilePattern = 3,
  AsPlainWords = 4,
  AsPatternWords = 5,
};

// FSearchIn: the folders a file command walks. ScopeSelected is chosen in a
// dialog only and never stored.
enum SearchScope {
  ScopeAllDrives = 0,
  ScopeLocalDrives = 1,
  ScopeDriveRoot = 2,
  ScopeFolderTree = 3,
  ScopeFolder = 4,
  ScopeSelected = 5,
};

// EShowPosition: where the editor's view puts a found match.
enum ShowPosition {
  ShowNearTop = 0,
  ShowInMiddle = 1,
  ShowNearBottom = 2,
};

// EFindTextAtCursor: what the editor's dialogs take from the cursor.
enum TextAtCursor {
  TextAtCursorNone = 0,
  TextAtCursorWord = 1,
  TextAtCursorAny = 2,  // the word, or else the one character there
};

// FAReadOnly, FAArchive, …: a three-state attribute criterion.
enum AttributeCriterion {
  AttributeClear = 0,
  AttributeSet = 1,
  AttributeEither = 2,
};

// 1980-01-01 00:00:00 as a file time, the default of both date criteria.
inline constexpr int kDefaultDateLo = static_cast<int>(0xE1D58000u);
inline constexpr int kDefaultDateHi = 0x01A8E79F;

// Every stored value in the order it is read and written. A user of the
// list passes one macro per row kind:
//   INT(Name, Default, Minimum, Maximum)
//   CAPPED(Name, Default, Minimum, Maximum, FieldMaximum): an int whose
//     configuration field accepts less than loading does
//   TEXT(Name, Default)
//   CHAR(Name, Default): one character, stored as its byte value 0-255
// An INT from INT_MIN to INT_MAX takes any 32-bit value.
#define FINDERIX_SETTINGS(INT, CAPPED, TEXT, CHAR)                  \
  /* Plugin-wide values. */                                         \
  CAPPED(SeveralLines, 5, 1, 256, 255)                              \
  INT(StoreEmptyInPresets, 0, 0, 1)                                 \
  CAPPED(ReadAtOnceLimit, 1024, 0, 131071, 65535)                   \
  CHAR(MaskDelimiter, ',')                                          \
  CHAR(MaskNegation, '!')                                           \
  INT(DotAsteriskMatchesNoExtension, 1, 0, 1)                       \
  INT(AutoappendAsterisk, 1, 0, 1)                                  \
  INT(EShowPosition, ShowNearTop, ShowNearTop, ShowNearBottom)      \
  INT(EShowPositionOffset, 0, -1024, 1024)                          \
  INT(ERightSideOffset, 5, 0, 1024)                                 \
  INT(EFindTextAtCursor, TextAtCursorWord, TextAtCursorNone, TextAtCursorAny) \
  INT(EFindSelection, 1, 0, 1)                                      \
  /* Worker threads of a file search; 0: one per processor. */      \
  INT(SearchThreads, 0, 0, 256)                                     \
  /* Editor values. */                                              \
  TEXT(EText, "")                                                   \
  INT(ERegExp, 0, 0, 1)                                             \
  INT(ESeveralLine, 1, 0, 1)                                        \
  INT(ECaseSensitive, 0, 0, 1)                                      \
  TEXT(ERReplace, "")                                               \
  /* File values. */                                                \
  INT(FCaseSensitive, 0, 0, 1)                                      \
  INT(FSearchAs, AsPlainText, AsPlainText, AsPatternWords)          \
  INT(FSearchIn, ScopeDriveRoot, ScopeAllDrives, ScopeFolder)       \
  TEXT(FMask, "*.*")                                                \
  INT(FMaskAsRegExp, 0, 0, 1)                                       \
  TEXT(FText, "")                                                   \
  INT(FSInverse, 0, 0, 1)                                           \
  INT(FAllCharTables, 0, 0, 1)                                      \
  INT(FROpenModified, 0, 0, 1)                                      \
  INT(FRConfirmFile, 0, 0, 1)                                       \
  INT(FRConfirmLine, 0, 0, 1)                                       \
  INT(FRSaveOriginal, 0, 0, 1)                                      \
  TEXT(FRReplace, "")                                               \
  INT(FRepeating, 0, 0, 1)                                          \
  INT(FAFullPathMatch, 0, 0, 1)                                     \
  TEXT(FAFullPath, "")                                              \
  INT(FACaseSensitivePathMatch, 0, 0, 1)                            \
  INT(FADateBefore, 0, 0, 1)                                        \
  INT(FADateBeforeLo, kDefaultDateLo, INT_MIN, INT_MAX)             \
  INT(FADateBeforeHi, kDefaultDateHi, INT_MIN, INT_MAX)             \
  INT(FADateAfter, 0, 0, 1)                                         \
  INT(FADateAfterLo, kDefaultDateLo, INT_MIN, INT_MAX)              \
  INT(FADateAfterHi, kDefaultDateHi, INT_MIN, INT_MAX)              \
  INT(FASizeLess, 0, 0, 1)                                          \
  INT(FASizeLessLimit, 0, 0, INT_MAX)                               \
  INT(FASizeGreater, 0, 0, 1)                                       \
  INT(FASizeGreaterLimit, 0, 0, INT_MAX)                            \
  INT(FAAttributes, 0, 0, 1)                                        \
  INT(FAReadOnly, AttributeEither, AttributeClear, AttributeEither) \
  INT(FAArchive, AttributeEither, AttributeClear, AttributeEither)  \
  INT(FAHidden, AttributeEither, AttributeClear, AttributeEither)   \
  INT(FASystem, AttributeEither, AttributeClear, AttributeEither)   \
  INT(FACompressed, AttributeEither, AttributeClear, AttributeEither) \
  INT(FAEncrypted, AttributeEither, AttributeClear, AttributeEither)

enum class SettingKind { kInt, kText, kChar };

// One row of the table as plain data.
struct SettingDescriptor {
  const char* name;
  SettingKind kind;
  int default_number;        // ints and characters
  const char* default_text;  // texts
  int minimum;               // ints and characters; both ends inclusive
  int maximum;
  int field_maximum;  // the most a configuration field accepts
};

#define FINDERIX_SETTING_ID(name, ...) name,
// The rows by name: SettingId::FSearchIn indexes kSettingTable.
enum class SettingId { FINDERIX_SETTINGS(FINDERIX_SETTING_ID, FINDERIX_SETTING_ID,
                                         FINDERIX_SETTING_ID, FINDERIX_SETTING_ID) };
#undef FINDERIX_SETTING_ID

#define FINDERIX_INT_ROW(name, def, minimum, maximum) \
  {#name, SettingKind::kInt, def, nullptr, minimum, maximum, maximum},
#define FINDERIX_CAPPED_ROW(name, def, minimum, maximum, field_maximum) \
  {#name, SettingKind::kInt, def, nullptr, minimum, maximum, field_maximum},
#define FINDERIX_TEXT_ROW(name, def) {#name, SettingKind::kText, 0, def, 0, 0, 0},
#define FINDERIX_CHAR_ROW(name, def) \
  {#name, SettingKind::kChar, static_cast<unsigned char>(def), nullptr, 0, 255, 255},
inline constexpr SettingDescriptor kSettingTable[] = {FINDERIX_SETTINGS(
    FINDERIX_INT_ROW, FINDERIX_CAPPED_ROW, FINDERIX_TEXT_ROW, FINDERIX_CHAR_ROW)};
#undef FINDERIX_INT_ROW
#undef FINDERIX_CAPPED_ROW
#undef FINDERIX_TEXT_ROW
#undef FINDERIX_CHAR_ROW

constexpr const SettingDescriptor& DescribeSetting(SettingId id) {
  return kSettingTable[static_cast<int>(id)];
}
