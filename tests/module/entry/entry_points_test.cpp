// Registration, the file menu, the configuration menu and its dialogs, and
// settings that outlive the module, all through the host.
#include <gtest/gtest.h>

#include "tests/support/host_fixture.hpp"

namespace {

using host::ScriptUi;

class EntryPoints : public testing_support::HostTest {
 protected:
  EntryPoints() : HostTest(FINDERIX_MODULE_PATH) {}

  // Reads one stored DWORD of the module's key, or -1.
  long long StoredDword(const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Far\\Plugins\\Finderix", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
      return -1;
    DWORD value = 0, size = sizeof value, type = 0;
    LSTATUS status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? static_cast<long long>(value) : -1;
  }
};

TEST_F(EntryPoints, PluginInfoIsStableAndComplete) {
  StartHost();
  PluginInfo first{}, second{};
  ASSERT_TRUE(host_->GetPluginInfo(&first));
  ASSERT_TRUE(host_->GetPluginInfo(&second));
  EXPECT_EQ(first.PluginMenuStrings, second.PluginMenuStrings);
  EXPECT_EQ(first.PluginConfigStrings, second.PluginConfigStrings);
  EXPECT_EQ(first.Flags, PF_EDITOR);
  EXPECT_EQ(first.PluginMenuStringsNumber, 1);
  EXPECT_STREQ(first.PluginMenuStrings[0], "M18");
  EXPECT_STREQ(first.CommandPrefix, "ff");
}

TEST_F(EntryPoints, FileMenuHasNineEntriesWithTwoSeparators) {
  StartHost();
  int redraws = host_->panels().active().redraw_count();
  ui_.AnswerMenu(-1);
  EXPECT_EQ(host_->OpenPlugin(OPEN_PLUGINSMENU, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(host_->panels().active().redraw_count(), redraws);  // Esc leaves the panel alone
  const ScriptUi::Call menu = ui_.CallsOf(ScriptUi::Kind::kMenu).at(0);
  EXPECT_EQ(menu.title, "M9");
  EXPECT_EQ(menu.lines, (std::vector<std::string>{"M10", "M11", "", "M14", "M15", "M16", "", "M12", "M13"}));

  for (int separator : {2, 6}) {
    SCOPED_TRACE(separator);
    ui_.AnswerMenu(separator);
    int before = host_->panels().active().redraw_count();
    EXPECT_EQ(host_->OpenPlugin(OPEN_PLUGINSMENU, 0), INVALID_HANDLE_VALUE);
    EXPECT_GT(host_->panels().active().redraw_count(), before);
  }
  EXPECT_TRUE(ui_.CallsOf(ScriptUi::Kind::kDialog).empty());
}

TEST_F(EntryPoints, ConfigurationMenuComesBackAfterEachDialogAndSavesOnClose) {
  StartHost();
  ui_.AnswerMenu(1);  // the file page
  ui_.AnswerDialog([](std::span<FarDialogItem> items) {
    host::SetItemText(items[2], "12");   // SeveralLines
    host::SetItemText(items[4], "0x10"); // ReadAtOnceLimit
    host::SetItemText(items[7], "");     // MaskDelimiter emptied
    host::SetItemText(items[13], "3");   // SearchThreads
    return 14;
  });
  ui_.AnswerMenu(2);  // the editor page, cancelled
  ui_.AnswerDialog([](std::span<FarDialogItem> items) {
    host::SetItemText(items[8], "77");
    return 15;
  });
  ui_.AnswerMenu(0);  // the general page
  ui_.AnswerDialog([](std::span<FarDialogItem> items) {
    items[1].Selected = 1;
    return 2;
  });
  ui_.AnswerMenu(-1);
  EXPECT_EQ(host_->Configure(0), 1);
  EXPECT_EQ(ui_.CallsOf(ScriptUi::Kind::kMenu).size(), 4u);
  EXPECT_EQ(StoredDword("SeveralLines"), 12);
  EXPECT_EQ(StoredDword("ReadAtOnceLimit"), 16);
  EXPECT_EQ(StoredDword("MaskDelimiter"), 0);
  EXPECT_EQ(StoredDword("SearchThreads"), 3);
  EXPECT_EQ(StoredDword("ERightSideOffset"), -1);  // the cancelled page changed nothing
  EXPECT_EQ(StoredDword("StoreEmptyInPresets"), 1);
  EXPECT_EQ(StoredDword("FSearchIn"), -1);  // only what changed is written
}

TEST_F(EntryPoints, OutOfRangeFieldWarnsAndComesBack) {
  StartHost();
  ui_.AnswerMenu(1);
  ui_.AnswerDialog([](std::span<FarDialogItem> items) {
    host::SetItemText(items[4], "100000");  // ReadAtOnceLimit accepts at most 65535 here
    return 14;
  });
  ui_.AnswerMessage(0);
  ui_.AnswerDialog([](std::span<FarDialogItem> items) {
    EXPECT_EQ(items[4].Focus, 1);
    return -1;
  });
  ui_.AnswerMenu(-1);
  host_->Configure(0);
  const ScriptUi::Call warning = ui_.CallsOf(ScriptUi::Kind::kMessage).at(0);
  EXPECT_EQ(warning.help_topic, "QXInvalidNumber");
  EXPECT_EQ(StoredDword("ReadAtOnceLimit"), -1);  // the refused value changed nothing
}

TEST_F(EntryPoints, ExitSavesAndTheNextLoadReadsItBack) {
  StartHost();
  ui_.AnswerMenu(1);
  ui_.AnswerDialog([](std::span<FarDialogItem> items) {
    host::SetItemText(items[9], "\xB3");  // MaskNegation: a box-drawing byte
    host::SetItemText(items[13], "256");  // SearchThreads at its largest
    return 14;
  });
  ui_.AnswerMenu(-1);
  host_->Configure(0);
  StopHost();
  EXPECT_EQ(StoredDword("MaskNegation"), 0xB3);
  EXPECT_EQ(StoredDword("SearchThreads"), 256);

  StartHost();
  ui_.AnswerMenu(1);
  ui_.AnswerDialog([](std::span<FarDialogItem> items) {
    EXPECT_STREQ(items[9].Data, "\xB3");
    EXPECT_STREQ(items[13].Data, "256");
    return -1;
  });
  ui_.AnswerMenu(-1);
  host_->Configure(0);
}

}  // namespace
