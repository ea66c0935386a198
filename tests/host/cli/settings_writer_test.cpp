// Settings written ahead of the module: where they land, that the module
// loads each table limit as written and refuses what lies just outside
// (so the host's table and the module's stay in step), and registry files
// that cannot take writes.
#include "host/cli/settings_writer.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <cstdint>
#include <optional>

#include "platform/host_bridge.hpp"
#include "tests/support/host_fixture.hpp"
#include "tests/support/temp_folder.hpp"

namespace {

using host::cli::SettingRule;
using host::cli::StoredSetting;

std::optional<DWORD> ReadDword(const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, host::cli::ModuleSettingsKeyPath().c_str(), 0,
                    KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
    return std::nullopt;
  DWORD type = 0, value = 0, size = sizeof value;
  LSTATUS status =
      RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_DWORD) return std::nullopt;
  return value;
}

std::optional<std::string> ReadText(const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, host::cli::ModuleSettingsKeyPath().c_str(), 0,
                    KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
    return std::nullopt;
  char value[512] = {};
  DWORD type = 0, size = sizeof value;
  LSTATUS status =
      RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  return std::string(value);
}

StoredSetting Parsed(const char* assignment) {
  StoredSetting setting;
  std::string error;
  EXPECT_TRUE(host::cli::ParseSettingAssignment(assignment, &setting, &error)) << error;
  return setting;
}

class SettingsWriter : public testing_support::HostTest {
 protected:
  SettingsWriter() : HostTest(FINDERIX_MODULE_PATH) {}
  void SetUp() override {
    HostTest::SetUp();
    platform::SetRegistryFile(Registry());
  }
  void TearDown() override {
    HostTest::TearDown();
    platform::CloseRegistry();
  }
  std::string Registry() const { return tree_.Path("registry.db"); }

  // Every int and character of the table set to `value_of(rule)` (skipped
  // when it gives nothing), written raw, then loaded and saved back by the
  // module.
  template <typename ValueOf>
  void WriteLoadAndSave(ValueOf value_of) {
    ASSERT_TRUE(host::cli::PrepareModuleSettings({}, &error_)) << error_;
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, host::cli::ModuleSettingsKeyPath().c_str(), 0,
                            KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    written_.clear();
    for (const SettingRule& rule : host::cli::StoredSettingRules()) {
      std::optional<long long> value = value_of(rule);
      if (rule.kind == SettingRule::kText || !value) continue;
      DWORD bits = static_cast<DWORD>(static_cast<uint32_t>(*value));
      RegSetValueExA(key, rule.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&bits),
                     sizeof bits);
      written_[rule.name] = bits;
    }
    RegCloseKey(key);
    StartHost();
    StopHost();  // ExitFAR saves every value as the module holds it
  }

  std::string error_;
  std::map<std::string, DWORD> written_;
};

// --- Where the values land ---

TEST_F(SettingsWriter, EachKindLandsInTheModulesKey) {
  ASSERT_TRUE(host::cli::PrepareModuleSettings(
      {Parsed("FSearchIn=4"), Parsed("FMask=*.c,*.h"), Parsed("MaskDelimiter=;")}, &error_))
      << error_;
  EXPECT_EQ(ReadDword("FSearchIn"), 4u);
  EXPECT_EQ(ReadText("FMask"), "*.c,*.h");
  EXPECT_EQ(ReadDword("MaskDelimiter"), static_cast<DWORD>(';'));
  EXPECT_EQ(ReadDword("FinderixHostWriteCheck"), std::nullopt);
}

// --- The table against the module ---

TEST_F(SettingsWriter, ModuleKeepsEveryTableLimit) {
  for (bool maximum : {false, true}) {
    SCOPED_TRACE(maximum ? "maxima" : "minima");
    WriteLoadAndSave([&](const SettingRule& rule) -> std::optional<long long> {
      return maximum ? rule.maximum : rule.minimum;
    });
    for (const auto& [name, bits] : written_) EXPECT_EQ(ReadDword(name.c_str()), bits) << name;
  }
}

TEST_F(SettingsWriter, ModuleRefusesWhatLiesJustOutsideTheTable) {
  for (bool above : {false, true}) {
    SCOPED_TRACE(above ? "above" : "below");
    WriteLoadAndSave([&](const SettingRule& rule) -> std::optional<long long> {
      if (above) return rule.maximum < UINT32_MAX ? std::optional(rule.maximum + 1) : std::nullopt;
      return rule.minimum > INT_MIN ? std::optional(rule.minimum - 1) : std::nullopt;
    });
    EXPECT_FALSE(written_.empty());
    for (const auto& [name, bits] : written_) EXPECT_NE(ReadDword(name.c_str()), bits) << name;
  }
}

// --- Registry files that cannot take writes ---

TEST_F(SettingsWriter, DamagedFileIsRefusedAndLeftAsItWas) {
  const std::string garbage(4096, 'g');
  tree_.Write("registry.db", garbage);
  EXPECT_FALSE(host::cli::PrepareModuleSettings({Parsed("FSearchIn=3")}, &error_));
  EXPECT_EQ(error_, "it is damaged or not a settings file");
  platform::CloseRegistry();
  EXPECT_EQ(::ReadText(Registry()), garbage);
}

TEST_F(SettingsWriter, MissingFolderIsRefused) {
  platform::SetRegistryFile(tree_.Path("no/such/registry.db"));
  EXPECT_FALSE(host::cli::PrepareModuleSettings({}, &error_));
  EXPECT_EQ(error_, "it cannot be opened");
}

TEST_F(SettingsWriter, FileOfAnotherUserIsRefusedAndNothingWritten) {
  ASSERT_TRUE(host::cli::PrepareModuleSettings({Parsed("FSearchIn=4")}, &error_));
  platform::CloseRegistry();
  chmod(tree_.root().c_str(), 0755);
  chmod(Registry().c_str(), 0644);
  int result = RunAsNobody([&] {
    platform::SetRegistryFile(Registry());
    std::string error;
    bool refused = !host::cli::PrepareModuleSettings({Parsed("FSearchIn=2")}, &error);
    platform::CloseRegistry();
    return refused && error == "it cannot be written" ? 0 : 1;
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadDword("FSearchIn"), 4u);
}

}  // namespace
