// Start-up and unload in order: what start-up builds, what unload writes
// before it releases, and a save that fails is reported, not lost silently.
#include "module/entry/lifetime.hpp"

#include <gtest/gtest.h>

#include "module/base/registry_key.hpp"
#include "module/base/settings.hpp"
#include "module/files/char_sets.hpp"
#include "module/presets/presets.hpp"
#include "platform/host_bridge.hpp"
#include "tests/support/recording_host.hpp"
#include "tests/support/temp_folder.hpp"

namespace {

const char kPresetPath[] = "Software\\Far\\Plugins\\Finderix\\FileFindPresets\\Logs";

class LifetimeTest : public testing::Test {
 protected:
  void SetUp() override { platform::SetRegistryFile(folder_.Posix("registry.db")); }
  void TearDown() override { platform::CloseRegistry(); }

  static std::string StoredMask() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kPresetPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
      return "<none>";
    RegistryKey owned(key);
    char text[64] = {};
    DWORD size = sizeof text, type = 0;
    RegQueryValueExA(key, "Mask", nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    return text;
  }

  TempFolder folder_;
  RecordingHost host_;
};

}  // namespace

TEST_F(LifetimeTest, StartBuildsEveryListAndStopWritesThenReleases) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kPresetPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "Mask", 0, REG_SZ, reinterpret_cast<const BYTE*>("*.log"), 6);
  RegCloseKey(key);

  StartModule();
  ASSERT_TRUE(EditorSearchPresets && EditorReplacePresets && FileSearchPresets &&
              FileReplacePresets);
  ASSERT_EQ(FileSearchPresets->Records().size(), 1u);
  EXPECT_EQ(FSearchIn, ScopeDriveRoot);

  FSearchIn = ScopeFolderTree;
  DecodeTables.resize(1);  // as a host with one character table leaves them
  EXPECT_TRUE(StopModule());
  EXPECT_FALSE(EditorSearchPresets || EditorReplacePresets || FileSearchPresets ||
               FileReplacePresets);
  EXPECT_TRUE(DecodeTables.empty());
  EXPECT_EQ(StoredMask(), "*.log");

  platform::CloseRegistry();
  FSearchIn = ScopeAllDrives;
  StartModule();
  EXPECT_EQ(FSearchIn, ScopeFolderTree);
  EXPECT_TRUE(StopModule());
}

TEST_F(LifetimeTest, StopReportsASaveThatCouldNotBeWritten) {
  const std::string garbage(8192, '\x5A');
  WriteText(folder_.Posix("registry.db"), garbage);
  platform::CloseRegistry();
  StartModule();
  EXPECT_FALSE(StopModule());
  EXPECT_FALSE(FileSearchPresets);
  EXPECT_EQ(ReadText(folder_.Posix("registry.db")), garbage);
}
