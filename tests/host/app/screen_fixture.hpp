// The real module behind the full-screen Ui on a scripted terminal: a
// temporary tree with the module and its English language file placed in
// it, a registry file of its own (with the file commands' scope set to the
// panel's folder tree, so no test ever walks the whole drive), and the
// panels on the tree's "work" folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "host/app/first_matched_lines.hpp"
#include "host/core/host.hpp"
#include "host/ui/terminal_ui.hpp"
#include "platform/host_bridge.hpp"
#include "tests/host/ui/terminal/fake_terminal.hpp"
#include "tests/support/host_fixture.hpp"

namespace testing_support {

class ScreenTest : public testing::Test {
 protected:
  using Key = host::tui::Key;
  using KeyCode = host::tui::KeyCode;

  void SetUp() override {
    saved_folder_ = std::filesystem::current_path().string();
    tree_.MakeFolder("work");
    std::filesystem::path beside = std::filesystem::path(FINDERIX_MODULE_PATH).parent_path();
    std::ifstream language(beside / "finderix_en.lng", std::ios::binary);
    std::ostringstream text;
    text << language.rdbuf();
    module_ = PlaceModule(tree_, FINDERIX_MODULE_PATH, "module", text.str());
    SetStoredNumber("FSearchIn", 3);
  }

  void TearDown() override {
    host_.reset();
    std::filesystem::current_path(saved_folder_);
  }

  // A value of the module's settings, written before the module loads.
  void SetStoredNumber(const char* name, DWORD value) {
    platform::SetRegistryFile(tree_.Path("registry.db"));
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Far\\Plugins\\Finderix", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
    platform::CloseRegistry();
  }

  DWORD StoredNumber(const char* name) {
    platform::SetRegistryFile(tree_.Path("registry.db"));
    HKEY key = nullptr;
    DWORD value = 0, type = 0, size = sizeof value;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Far\\Plugins\\Finderix", 0, KEY_READ, &key) ==
        ERROR_SUCCESS) {
      RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
      RegCloseKey(key);
    }
    platform::CloseRegistry();
    return value;
  }

  host::Host& StartHost() {
    host::HostOptions options;
    options.module_path = module_;
    options.registry_file = tree_.Path("registry.db");
    options.folder = tree_.Path("work");
    options.lang = "en_US.UTF-8";
    options.matches = &first_lines_;
    std::string error;
    host_ = host::Host::Start(options, ui_, &error);
    if (!host_) throw std::runtime_error("the host did not start: " + error);
    return *host_;
  }

  void Press(KeyCode code, int times = 1) {
    for (int i = 0; i < times; ++i) terminal_.Press(code);
  }

  TempTree tree_;
  FakeTerminal terminal_{100, 30};
  host::tui::HelpFile help_;
  host::tui::RegistryHistory history_;
  host::TerminalUi ui_{terminal_, help_, &history_};
  host::app::FirstMatchedLines first_lines_;  // as the full-screen program hears matches
  std::unique_ptr<host::Host> host_;
  std::string module_;

 private:
  std::string saved_folder_;
};

}  // namespace testing_support
