// The host's life cycle on the real module: starting, the registry file it
// is told to use, the folders of its panels, and a fresh module per host.
#include "host/core/host.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/host_bridge.hpp"
#include "tests/support/host_fixture.hpp"

namespace {

namespace fs = std::filesystem;

class HostLife : public testing_support::HostTest {
 protected:
  HostLife() : HostTest(FINDERIX_MODULE_PATH) {}
};

// ---------------------------------------------------------------------------
// Starting
// ---------------------------------------------------------------------------

TEST_F(HostLife, StartsWithPanelsInTheFoldersGiven) {
  tree_.MakeFolder("other");
  placed_module_ = testing_support::PlaceModule(tree_, module_path_, "module", "\"M0\"\n");
  host::HostOptions options = Options();
  options.passive_folder = tree_.Path("other");
  std::string error;
  host_ = host::Host::Start(options, ui_, &error);
  ASSERT_TRUE(host_) << error;
  EXPECT_EQ(host_->panels().active().folder(), tree_.ModulePath("work"));
  EXPECT_EQ(host_->panels().passive().folder(), tree_.ModulePath("other"));
  EXPECT_TRUE(fs::equivalent(fs::current_path(), tree_.Path("work")));
  EXPECT_FALSE(host_->exit_called());
}

TEST_F(HostLife, RefusesAMissingModuleOrFolder) {
  placed_module_ = testing_support::PlaceModule(tree_, module_path_, "module", "\"M0\"\n");
  std::string error;
  host::HostOptions options = Options();
  options.module_path = tree_.Path("module/missing.so");
  EXPECT_EQ(host::Host::Start(options, ui_, &error), nullptr);
  EXPECT_NE(error.find("missing.so"), std::string::npos) << error;

  options = Options();
  options.folder = tree_.Path("no such folder");
  error.clear();
  EXPECT_EQ(host::Host::Start(options, ui_, &error), nullptr);
  EXPECT_FALSE(error.empty());
}

TEST_F(HostLife, WithoutAFolderThePanelsShowTheCurrentFolder) {
  tree_.MakeFolder("here");
  fs::current_path(tree_.Path("here"));
  placed_module_ = testing_support::PlaceModule(tree_, module_path_, "module", "\"M0\"\n");
  host::HostOptions options = Options();
  options.folder.clear();
  std::string error;
  host_ = host::Host::Start(options, ui_, &error);
  ASSERT_TRUE(host_) << error;
  EXPECT_EQ(host_->panels().active().folder(), tree_.ModulePath("here"));
  EXPECT_EQ(host_->panels().passive().folder(), tree_.ModulePath("here"));
}

// ---------------------------------------------------------------------------
// Registry
// ---------------------------------------------------------------------------

TEST_F(HostLife, RegistryGoesToTheFileGiven) {
  StartHost();
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Far\\Plugins\\HostTest", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  DWORD value = 7;
  ASSERT_EQ(RegSetValueExA(key, "Value", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                           sizeof(value)),
            ERROR_SUCCESS);
  RegCloseKey(key);
  StopHost();
  EXPECT_TRUE(fs::exists(tree_.Path("registry.db")));
  EXPECT_GT(fs::file_size(tree_.Path("registry.db")), 0u);

  // A later host on the same file reads what the first one wrote.
  StartHost();
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Far\\Plugins\\HostTest", 0, KEY_READ,
                          &key),
            ERROR_SUCCESS);
  DWORD read = 0, size = sizeof(read), type = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Value", nullptr, &type, reinterpret_cast<BYTE*>(&read), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(read, 7u);
  RegCloseKey(key);
}

// ---------------------------------------------------------------------------
// One module per host
// ---------------------------------------------------------------------------

TEST_F(HostLife, EachHostLoadsItsOwnCopyAndRemovesIt) {
  StartHost();
  std::string first_copy = host_->module().copy_path();
  EXPECT_EQ(host_->module().folder(), fs::canonical(tree_.Path("module")).string());
  StopHost();
  EXPECT_FALSE(fs::exists(first_copy));

  StartHost();
  EXPECT_NE(host_->module().copy_path(), first_copy);
  EXPECT_FALSE(fs::exists(host_->module().copy_path())) << "removed once loaded";
}

TEST_F(HostLife, ASecondHostTakesTheServicesAndConsoleOverUntilItEnds) {
  StartHost();
  PluginStartupInfo first = host_->startup_info();

  testing_support::TempTree other_tree;
  std::string other_module =
      testing_support::PlaceModule(other_tree, module_path_, "module", "\"second\"\n");
  host::ScriptUi other_ui;
  host::HostOptions options = Options();
  options.module_path = other_module;
  options.registry_file.clear();
  std::string error;
  std::unique_ptr<host::Host> second = host::Host::Start(options, other_ui, &error);
  ASSERT_TRUE(second) << error;
  EXPECT_STREQ(first.GetMsg(0, 0), "second");
  second.reset();
  EXPECT_STREQ(first.GetMsg(0, 0), "M0");

  // The console is the first host's again.
  INPUT_RECORD event{};
  DWORD read = 0;
  EXPECT_TRUE(PeekConsoleInputA(GetStdHandle(STD_INPUT_HANDLE), &event, 1, &read));
  EXPECT_EQ(ui_.polls(), 1);
  EXPECT_EQ(other_ui.polls(), 0);
}

TEST_F(HostLife, ExitIsCalledOnceAndEndsTheModulesCalls) {
  StartHost();
  host_->ExitFAR();
  EXPECT_TRUE(host_->exit_called());
  PluginInfo info{};
  EXPECT_FALSE(host_->GetPluginInfo(&info));
  EXPECT_EQ(host_->OpenPlugin(OPEN_PLUGINSMENU, 0), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(host_->Configure(0).has_value());
  EXPECT_EQ(host_->ProcessKey(8, 0), 0);
  host_->ExitFAR();  // a second time does nothing
}

}  // namespace
