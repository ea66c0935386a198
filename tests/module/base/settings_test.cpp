// The settings store against a real registry file: defaults, accepted
// ranges, round trips, and a damaged store that is never written over.
#include "module/base/settings.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "platform/host_bridge.hpp"
#include "module/base/registry_key.hpp"
#include "tests/support/damaged_registry.hpp"
#include "tests/support/recording_host.hpp"
#include "tests/support/temp_folder.hpp"

namespace {

class SettingsTest : public testing::Test {
 protected:
  void SetUp() override { platform::SetRegistryFile(folder_.Posix("registry.db")); }
  void TearDown() override { platform::CloseRegistry(); }

  void StoreDword(const char* name, DWORD value) {
    RegistryKey key(OpenSettingsKey());
    ASSERT_TRUE(key);
    RegSetValueExA(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof value);
  }
  void StoreText(const char* name, const char* text) {
    RegistryKey key(OpenSettingsKey());
    ASSERT_TRUE(key);
    RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>(strlen(text) + 1));
  }

  DWORD StoredDword(const char* name) {
    RegistryKey key(OpenSettingsKey());
    DWORD stored = 0, size = sizeof stored, type = 0;
    EXPECT_EQ(RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&stored),
                               &size),
              ERROR_SUCCESS)
        << name;
    return stored;
  }

  TempFolder folder_;
  RecordingHost host_;
};

}  // namespace

TEST_F(SettingsTest, EmptyRegistryGivesEveryDefault) {
  LoadSettings();
  EXPECT_EQ(SeveralLines, 5);
  EXPECT_EQ(ReadAtOnceLimit, 1024);
  EXPECT_EQ(MaskDelimiter, ',');
  EXPECT_EQ(MaskNegation, '!');
  EXPECT_EQ(FSearchIn, 2);
  EXPECT_EQ(FMask, "*.*");
  EXPECT_EQ(FText, "");
  EXPECT_EQ(ESeveralLine, 1);
  EXPECT_EQ(FAReadOnly, 2);
  EXPECT_EQ(static_cast<unsigned>(FADateBeforeLo), 0xE1D58000u);
  EXPECT_EQ(FADateAfterHi, 0x01A8E79F);
}

TEST_F(SettingsTest, OutOfRangeOrWronglyTypedValuesReadAsDefaults) {
  struct Row {
    const char* stored;
    int expected;
  };
  for (Row row : {Row{"0", 5}, Row{"300", 5}, Row{"256", 256}, Row{"1", 1}}) {
    SCOPED_TRACE(row.stored);
    StoreDword("SeveralLines", static_cast<DWORD>(std::stoi(row.stored)));
    LoadSettings();
    EXPECT_EQ(SeveralLines, row.expected);
  }
  StoreText("SeveralLines", "7");
  LoadSettings();
  EXPECT_EQ(SeveralLines, 5);

  StoreDword("ReadAtOnceLimit", 100000);
  StoreDword("EShowPositionOffset", static_cast<DWORD>(-1024));
  StoreDword("FASizeLessLimit", 0x80000000u);  // negative as an int
  LoadSettings();
  EXPECT_EQ(ReadAtOnceLimit, 100000);
  EXPECT_EQ(EShowPositionOffset, -1024);
  EXPECT_EQ(FASizeLessLimit, 0);
}

namespace {

// The number globals by their own names, bound here apart from the store's
// binding: a row the store binds to the wrong variable shows.
int GlobalNamed(const std::string& name) {
#define FINDERIX_TEST_INT(row, ...) \
  if (name == #row) return row;
#define FINDERIX_TEST_CHAR(row, ...) \
  if (name == #row) return static_cast<unsigned char>(row);
#define FINDERIX_TEST_TEXT(row, ...)
  FINDERIX_SETTINGS(FINDERIX_TEST_INT, FINDERIX_TEST_INT, FINDERIX_TEST_TEXT, FINDERIX_TEST_CHAR)
#undef FINDERIX_TEST_INT
#undef FINDERIX_TEST_CHAR
#undef FINDERIX_TEST_TEXT
  ADD_FAILURE() << "no setting " << name;
  return 0;
}

}  // namespace

// Every number row of the table, through the store into the global of its
// own name: both limits are kept, one past either limit reads as the
// default. A row bound to the wrong variable, or read with another row's
// range, shows.
TEST_F(SettingsTest, EachTableRowKeepsItsLimitsAndRefusesWhatLiesBeyond) {
  struct Pass {
    const char* name;
    std::function<std::optional<long long>(const SettingDescriptor&)> stored;
    std::function<int(const SettingDescriptor&)> expected;
  };
  const Pass passes[] = {
      {"minimum", [](const SettingDescriptor& row) { return row.minimum; },
       [](const SettingDescriptor& row) { return row.minimum; }},
      {"maximum", [](const SettingDescriptor& row) { return row.maximum; },
       [](const SettingDescriptor& row) { return row.maximum; }},
      {"below", [](const SettingDescriptor& row) -> std::optional<long long> {
         if (row.minimum == INT_MIN) return std::nullopt;
         return row.minimum - 1LL;
       },
       [](const SettingDescriptor& row) { return row.default_number; }},
      {"above", [](const SettingDescriptor& row) -> std::optional<long long> {
         if (row.maximum == INT_MAX) return std::nullopt;
         return row.maximum + 1LL;
       },
       [](const SettingDescriptor& row) { return row.default_number; }},
  };
  for (const Pass& pass : passes) {
    SCOPED_TRACE(pass.name);
    for (const SettingDescriptor& row : kSettingTable)
      if (row.kind != SettingKind::kText)
        if (auto value = pass.stored(row)) StoreDword(row.name, static_cast<DWORD>(*value));
    LoadSettings();
    for (const SettingDescriptor& row : kSettingTable) {
      if (row.kind == SettingKind::kText || !pass.stored(row)) continue;
      SCOPED_TRACE(row.name);
      EXPECT_EQ(GlobalNamed(row.name), pass.expected(row));
      EXPECT_LE(row.field_maximum, row.maximum);
    }
  }
}

TEST_F(SettingsTest, SavedValuesReadBackAfterARestart) {
  LoadSettings();
  MaskDelimiter = static_cast<char>(0xB3);
  FSearchIn = 5;
  FMask = "*.txt,\xAF\xE0\xA8.*";
  EText = "";
  ERReplace = "$1";
  FADateBeforeLo = -1;
  SaveSettings();
  {
    RegistryKey key(OpenSettingsKey());
    DWORD stored = 0, size = sizeof stored, type = 0;
    ASSERT_EQ(RegQueryValueExA(key.get(), "FSearchIn", nullptr, &type,
                               reinterpret_cast<BYTE*>(&stored), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(stored, 5u);  // kept as used, refused on the next load
  }
  platform::CloseRegistry();
  MaskDelimiter = ',';
  FMask.clear();
  LoadSettings();
  EXPECT_EQ(static_cast<unsigned char>(MaskDelimiter), 0xB3);
  EXPECT_EQ(FSearchIn, 2);
  EXPECT_EQ(FMask, "*.txt,\xAF\xE0\xA8.*");
  EXPECT_EQ(ERReplace, "$1");
  EXPECT_EQ(FADateBeforeLo, -1);
}

TEST_F(SettingsTest, DamagedRegistryGivesDefaultsAndIsNeverWrittenOver) {
  const std::string garbage(8192, '\x5A');
  WriteText(folder_.Posix("registry.db"), garbage);
  platform::CloseRegistry();
  LoadSettings();
  EXPECT_EQ(SeveralLines, 5);
  EXPECT_EQ(FMask, "*.*");
  SeveralLines = 9;
  SaveSettings();
  EXPECT_EQ(ReadText(folder_.Posix("registry.db")), garbage);
}

// Another process stores values while this run holds its settings: only
// what this run changed since it loaded (or last saved) is written back.
TEST_F(SettingsTest, ASaveWritesOnlyWhatThisRunChangedSinceItLoadedOrSaved) {
  StoreDword("SeveralLines", 9);
  LoadSettings();
  ASSERT_EQ(SeveralLines, 9);
  platform::CloseRegistry();  // the other process has a connection of its own
  auto other_process_stores = [this](const char* name, DWORD value) {
    return RunInChild([&] {
      StoreDword(name, value);
      platform::CloseRegistry();
      return testing::Test::HasFailure() ? 1 : 0;
    });
  };
  ASSERT_EQ(other_process_stores("SeveralLines", 77), 0);
  ASSERT_EQ(other_process_stores("FSearchIn", 4), 0);
  FSearchIn = ScopeFolderTree;  // this run's own change wins over the other's
  FMask = "*.c";
  EXPECT_TRUE(SaveSettings());
  EXPECT_EQ(StoredDword("SeveralLines"), 77u);
  EXPECT_EQ(StoredDword("FSearchIn"), static_cast<DWORD>(ScopeFolderTree));

  platform::CloseRegistry();
  ASSERT_EQ(other_process_stores("FSearchIn", 4), 0);
  EXPECT_TRUE(SaveSettings());  // nothing changed since the last save
  EXPECT_EQ(StoredDword("FSearchIn"), 4u);
  platform::CloseRegistry();
  LoadSettings();
  EXPECT_EQ(FMask, "*.c");
  EXPECT_EQ(SeveralLines, 77);
}

// Damage that SQLite's quick check passes: the run gets the defaults and a
// single message, and the file is never written.
TEST_F(SettingsTest, StoreFoundDamagedAtLoadIsReadOnlyAndSaysSoOnce) {
  StoreDword("SeveralLines", 9);
  platform::CloseRegistry();
  ASSERT_TRUE(DamageKeyIndex(folder_.Posix("registry.db"), "Finderix"));
  const std::string damaged = ReadText(folder_.Posix("registry.db"));
  LoadSettings();
  EXPECT_TRUE(SettingsStoreReadOnly());
  EXPECT_EQ(SeveralLines, 5);
  SeveralLines = 12;
  EXPECT_FALSE(SaveSettings());
  ReportReadOnlySettingsOnce();
  ReportReadOnlySettingsOnce();
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].help_topic, "SettingsDamaged");
  EXPECT_TRUE(host_.messages[0].flags & FMSG_WARNING);
  platform::CloseRegistry();
  EXPECT_EQ(ReadText(folder_.Posix("registry.db")), damaged);
}

TEST_F(SettingsTest, ClockSettingIsReadWithoutCreatingTheHostKey) {
  ReadClockSetting();
  EXPECT_EQ(ClockShown, 0);
  HKEY probe = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Far\\Screen", 0, KEY_READ, &probe),
            ERROR_FILE_NOT_FOUND);

  HKEY screen = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Far\\Screen", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &screen, nullptr),
            ERROR_SUCCESS);
  DWORD one = 1;
  RegSetValueExA(screen, "ViewerEditorClock", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4);
  RegCloseKey(screen);
  ReadClockSetting();
  EXPECT_EQ(ClockShown, 1);
}
