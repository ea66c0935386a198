// The service table the host hands the module, called the way the module
// calls it: every service reaches the host's language file, Ui, panels,
// character tables and screen bookkeeping, and nothing once the host ended.
#include "host/core/services.hpp"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "tests/support/host_fixture.hpp"

namespace {

namespace fs = std::filesystem;
using host::ScriptUi;

class ServiceTable : public testing_support::HostTest {
 protected:
  ServiceTable() : HostTest(FINDERIX_MODULE_PATH) {}

  void SetUp() override {
    HostTest::SetUp();
    info_ = StartHost().startup_info();
  }

  PluginStartupInfo info_{};
};

// ---------------------------------------------------------------------------
// The table
// ---------------------------------------------------------------------------

TEST_F(ServiceTable, TableDescribesTheModuleAndOffersEveryService) {
  EXPECT_EQ(info_.StructSize, static_cast<int>(sizeof(PluginStartupInfo)));
  EXPECT_STREQ(info_.RootKey, "Software\\Far\\Plugins");
  EXPECT_EQ(std::string(info_.ModuleName), platform::ToModulePath(placed_module_))
      << "the module's own path, not the host's private copy";
  const void* services[] = {
      reinterpret_cast<const void*>(info_.Menu),    reinterpret_cast<const void*>(info_.Dialog),
      reinterpret_cast<const void*>(info_.Message), reinterpret_cast<const void*>(info_.GetMsg),
      reinterpret_cast<const void*>(info_.Control),
      reinterpret_cast<const void*>(info_.SaveScreen),
      reinterpret_cast<const void*>(info_.RestoreScreen),
      reinterpret_cast<const void*>(info_.CharTable), reinterpret_cast<const void*>(info_.Text),
      reinterpret_cast<const void*>(info_.EditorControl),
      reinterpret_cast<const void*>(info_.DialogEx)};
  for (size_t i = 0; i < std::size(services); ++i) EXPECT_NE(services[i], nullptr) << i;
}

TEST_F(ServiceTable, ProcessFolderIsThePanelFolderOnceStarted) {
  EXPECT_TRUE(fs::equivalent(fs::current_path(), tree_.Path("work")));
}

// ---------------------------------------------------------------------------
// GetMsg
// ---------------------------------------------------------------------------

TEST_F(ServiceTable, GetMsgReadsTheLanguageFileBesideTheModule) {
  for (int number : {0, 1, 18, 199}) {
    SCOPED_TRACE(number);
    EXPECT_EQ(std::string(info_.GetMsg(info_.ModuleNumber, number)),
              "M" + std::to_string(number));
  }
  for (int number : {200, -1, 100000}) {
    SCOPED_TRACE(number);
    const char* text = info_.GetMsg(info_.ModuleNumber, number);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "");
  }
}

class ServiceTableInRussian : public testing_support::HostTest {
 protected:
  ServiceTableInRussian() : HostTest(FINDERIX_MODULE_PATH) {}
};

TEST_F(ServiceTableInRussian, LangChoosesTheRussianFile) {
  placed_module_ = testing_support::PlaceModule(tree_, module_path_, "module", "\"Yes\"\n");
  tree_.Write("module/finderix_ru.lng", "// Russian\n\"\x84\xA0\"\n");
  host::HostOptions options = Options();
  options.lang = "ru_RU.UTF-8";
  std::string error;
  host_ = host::Host::Start(options, ui_, &error);
  ASSERT_TRUE(host_) << error;
  EXPECT_STREQ(host_->startup_info().GetMsg(0, 0), "\x84\xA0");
}

// ---------------------------------------------------------------------------
// Message, Menu, Dialog
// ---------------------------------------------------------------------------

TEST_F(ServiceTable, MessageSplitsTitleLinesAndButtons) {
  ui_.AnswerMessage(1);
  const char* items[] = {"Replace", "Replace this?", "C:\\tmp\\x.txt", "Yes", "All", "No"};
  EXPECT_EQ(info_.Message(info_.ModuleNumber, FMSG_WARNING, "FRAskReplace", items, 6, 3), 1);
  ASSERT_EQ(ui_.calls().size(), 1u);
  const ScriptUi::Call& call = ui_.calls()[0];
  EXPECT_EQ(call.kind, ScriptUi::Kind::kMessage);
  EXPECT_EQ(call.flags, FMSG_WARNING);
  EXPECT_EQ(call.help_topic, "FRAskReplace");
  EXPECT_EQ(call.title, "Replace");
  EXPECT_EQ(call.lines, (std::vector<std::string>{"Replace this?", "C:\\tmp\\x.txt"}));
  EXPECT_EQ(call.buttons, (std::vector<std::string>{"Yes", "All", "No"}));
}

TEST_F(ServiceTable, ProgressBoxReturnsAtOnceAndEscCancels) {
  const char* progress[] = {"Search", "C:\\tmp", "25 files", "2 found"};
  EXPECT_LT(info_.Message(info_.ModuleNumber, 0, nullptr, progress, 4, 0), 0);
  ui_.AnswerMessage(-1);
  const char* question[] = {"Title", "Sure?", "Ok"};
  EXPECT_LT(info_.Message(info_.ModuleNumber, 0, "Help", question, 3, 1), 0);
  ASSERT_EQ(ui_.calls().size(), 2u);
  EXPECT_TRUE(ui_.calls()[0].progress);
  EXPECT_EQ(ui_.calls()[0].help_topic, "");
  EXPECT_EQ(ui_.calls()[0].lines.size(), 3u);
}

TEST_F(ServiceTable, MoreButtonsThanItemsAreCut) {
  ui_.AnswerMessage(0);
  const char* items[] = {"Ok"};
  EXPECT_EQ(info_.Message(info_.ModuleNumber, 0, nullptr, items, 1, 5), 0);
  EXPECT_EQ(ui_.calls()[0].buttons, std::vector<std::string>{"Ok"});
}

TEST_F(ServiceTable, UnansweredMessageFailsTheScript) {
  const char* items[] = {"Oops", "unexpected", "Ok"};
  int answer = 0;
  EXPECT_NONFATAL_FAILURE(
      answer = info_.Message(info_.ModuleNumber, FMSG_WARNING, "X", items, 3, 1), "Oops");
  EXPECT_EQ(answer, -1);
}

TEST_F(ServiceTable, MenuPassesItemsAndBreakKeysAndReturnsTheBreakCode) {
  FarMenuItem items[3]{};
  std::strcpy(items[0].Text, "first");
  items[1].Separator = 1;
  std::memset(items[2].Text, 'x', sizeof(items[2].Text));  // no terminator
  items[2].Checked = 1;
  const int break_keys[] = {VK_INSERT, VK_DELETE, VK_F4, 0};
  int break_code = 99;

  ui_.AnswerMenu(2, 2);
  EXPECT_EQ(info_.Menu(info_.ModuleNumber, -1, -1, 0, FMENU_WRAPMODE, "Presets", "Ins,Del,F4",
                       "Presets", break_keys, &break_code, items, 3),
            2);
  EXPECT_EQ(break_code, 2);
  const ScriptUi::Call& call = ui_.calls().at(0);
  EXPECT_EQ(call.title, "Presets");
  EXPECT_EQ(call.flags, FMENU_WRAPMODE);
  EXPECT_EQ(call.lines, (std::vector<std::string>{"first", "", std::string(128, 'x')}));

  ui_.AnswerMenu(-1);
  EXPECT_EQ(info_.Menu(info_.ModuleNumber, -1, -1, 0, 0, "T", nullptr, nullptr, nullptr,
                       &break_code, items, 3),
            -1);
  EXPECT_EQ(break_code, -1);
}

TEST_F(ServiceTable, DialogIsEditedInPlaceAndRecordedAsShown) {
  FarDialogItem items[3]{};
  items[0].Type = DI_DOUBLEBOX;
  std::strcpy(items[0].Data, "Search");
  items[1].Type = DI_EDIT;
  std::strcpy(items[1].Data, "old text");
  items[2].Type = DI_BUTTON;
  std::strcpy(items[2].Data, "Ok");
  ui_.AnswerDialog([](std::span<FarDialogItem> shown) {
    host::SetItemText(shown[1], "new text");
    return 2;
  });
  ui_.AnswerDialog([](std::span<FarDialogItem>) { return -1; });

  EXPECT_EQ(info_.Dialog(info_.ModuleNumber, -1, -1, 60, 10, "SearchDlg", items, 3), 2);
  EXPECT_STREQ(items[1].Data, "new text");
  EXPECT_EQ(info_.DialogEx(info_.ModuleNumber, -1, -1, 60, 10, "SearchDlg", items, 3, 0, 0,
                           nullptr, 0),
            -1);

  std::vector<ScriptUi::Call> dialogs = ui_.CallsOf(ScriptUi::Kind::kDialog);
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[0].help_topic, "SearchDlg");
  EXPECT_EQ(dialogs[0].title, "Search");
  EXPECT_STREQ(dialogs[0].dialog_items[1].Data, "old text");
  EXPECT_STREQ(dialogs[1].dialog_items[1].Data, "new text");
}

// ---------------------------------------------------------------------------
// Text, screens, editor
// ---------------------------------------------------------------------------

TEST_F(ServiceTable, TextAndItsFlushAreRecorded) {
  info_.Text(54, 0, 0x30, "12%");
  info_.Text(0, 0, 0x30, nullptr);
  ASSERT_EQ(ui_.texts().size(), 2u);
  EXPECT_EQ(ui_.texts()[0].x, 54);
  EXPECT_EQ(ui_.texts()[0].colour, 0x30);
  EXPECT_EQ(ui_.texts()[0].text, "12%");
  EXPECT_FALSE(ui_.texts()[0].flush);
  EXPECT_TRUE(ui_.texts()[1].flush);
}

TEST_F(ServiceTable, SavedScreensAreRestoredOnceByHandle) {
  HANDLE whole = info_.SaveScreen(0, 0, -1, -1);
  HANDLE part = info_.SaveScreen(5, 5, 20, 8);
  ASSERT_NE(whole, nullptr);
  ASSERT_NE(whole, INVALID_HANDLE_VALUE);
  ASSERT_NE(whole, part);
  info_.RestoreScreen(part);
  info_.RestoreScreen(part);  // already restored: ignored
  info_.RestoreScreen(reinterpret_cast<HANDLE>(0x5150));  // never handed out: ignored
  info_.RestoreScreen(whole);

  std::vector<ScriptUi::Call> restores = ui_.CallsOf(ScriptUi::Kind::kRestoreScreen);
  ASSERT_EQ(restores.size(), 2u);
  EXPECT_EQ(restores[0].area.x1, 5);
  EXPECT_EQ(restores[0].area.y2, 8);
  EXPECT_EQ(restores[1].area.x2, -1);
  EXPECT_EQ(host_->screens().saved_count(), 0);
}

TEST_F(ServiceTable, EditorControlReportsNoEditor) {
  EditorInfo info{};
  EXPECT_EQ(info_.EditorControl(ECTL_GETINFO, &info), 0);
}

// ---------------------------------------------------------------------------
// CharTable
// ---------------------------------------------------------------------------

TEST_F(ServiceTable, CharTableFillsTheRecordUntilThereAreNoMore) {
  CharTableSet table{};
  int count = 0;
  while (info_.CharTable(count, reinterpret_cast<char*>(&table), sizeof(table)) == count) {
    ++count;
    ASSERT_LT(count, 10);
  }
  EXPECT_EQ(count, 3);
  EXPECT_LT(info_.CharTable(3, reinterpret_cast<char*>(&table), sizeof(table)), 0);
  EXPECT_LT(info_.CharTable(-1, reinterpret_cast<char*>(&table), sizeof(table)), 0);

  ASSERT_EQ(info_.CharTable(1, reinterpret_cast<char*>(&table), sizeof(table)), 1);
  EXPECT_EQ(table.DecodeTable[0xC1], 0xA0);
  EXPECT_STREQ(table.TableName, "KOI8-R");
}

TEST_F(ServiceTable, CharTableNeverWritesPastTheBuffer) {
  char buffer[300];
  std::memset(buffer, 0x55, sizeof(buffer));
  ASSERT_EQ(info_.CharTable(0, buffer, 256), 0);
  EXPECT_EQ(static_cast<unsigned char>(buffer[0xE0]), 0xA0);
  EXPECT_EQ(buffer[256], 0x55);
  EXPECT_LT(info_.CharTable(0, nullptr, 1152), 0);
}

// ---------------------------------------------------------------------------
// Control
// ---------------------------------------------------------------------------

TEST_F(ServiceTable, ControlActsOnTheHostsPanels) {
  tree_.Write("work/file.txt", "x");
  tree_.MakeFolder("work/sub");
  ASSERT_TRUE(info_.Control(INVALID_HANDLE_VALUE, FCTL_UPDATEPANEL, nullptr));
  PanelInfo panel{};
  ASSERT_TRUE(info_.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &panel));
  ASSERT_EQ(panel.ItemsNumber, 3);
  EXPECT_STREQ(panel.PanelItems[0].FindData.cFileName, "..");
  EXPECT_STREQ(panel.PanelItems[1].FindData.cFileName, "sub");

  ASSERT_TRUE(info_.Control(INVALID_HANDLE_VALUE, FCTL_SETPANELDIR, const_cast<char*>("sub")));
  EXPECT_EQ(host_->panels().active().folder(), tree_.ModulePath("work/sub"));
  EXPECT_TRUE(fs::equivalent(fs::current_path(), tree_.Path("work/sub")));
}

// ---------------------------------------------------------------------------
// After the host
// ---------------------------------------------------------------------------

TEST_F(ServiceTable, ServicesAnswerNothingOnceTheHostEnded) {
  StopHost();
  const char* items[] = {"Title", "Ok"};
  EXPECT_STREQ(info_.GetMsg(0, 0), "");
  EXPECT_EQ(info_.Message(0, 0, nullptr, items, 2, 1), -1);
  PanelInfo panel{};
  EXPECT_FALSE(info_.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &panel));
  EXPECT_EQ(info_.SaveScreen(0, 0, -1, -1), nullptr);
  EXPECT_TRUE(ui_.calls().empty());
}

}  // namespace
