// The full-screen Ui on a scripted terminal: the module's dialogs, menus
// and boxes run from keys, progress boxes return at once, keys reach the
// module's Esc poll, and resizes and tiny screens are survived.
#include "host/ui/terminal_ui.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/host/ui/terminal/dialog_items.hpp"
#include "tests/host/ui/terminal/fake_terminal.hpp"

namespace {

using host::tui::Key;
using host::tui::KeyCode;
using testing_support::FakeTerminal;

class TerminalUiTest : public testing::Test {
 protected:
  TerminalUiTest() { help_.Parse("@FileMenu\n$File menu help\nWhat the entries do.\n"); }

  host::Menu FileMenu() {
    return host::Menu{.flags = FMENU_WRAPMODE, .title = "Finderix", .help_topic = "FileMenu",
                      .items = {{.text = "&Search"}, {.text = "&Replace"}}};
  }

  FakeTerminal terminal_{80, 25};
  host::tui::HelpFile help_;
  host::TerminalUi ui_{terminal_, help_, nullptr};
};

// --- The module's calls ---

TEST_F(TerminalUiTest, ADialogRunsFromTheKeyboardAndIsWrittenBack) {
  std::vector<FarDialogItem> items = {
      testing_support::Frame(40, 8, "Find"), testing_support::Edit(5, 2, 30, "old"),
      testing_support::CheckBox(5, 3, "&Case", 0),
      testing_support::Button(0, 5, "OK", true, DIF_CENTERGROUP),
      testing_support::Button(0, 5, "Cancel", false, DIF_CENTERGROUP)};
  terminal_.Type(L"new");
  terminal_.Press(Key::Alt(L'c'));
  terminal_.Press(KeyCode::kEnter);
  int closed = ui_.RunDialog(host::Dialog{.x2 = 40, .y2 = 8, .items = items});
  EXPECT_EQ(closed, 3);
  EXPECT_STREQ(items[1].Data, "new");
  EXPECT_EQ(items[2].Selected, 1);
  EXPECT_TRUE(terminal_.EverShowed(L"[ OK ] [ Cancel ]"));
}

TEST_F(TerminalUiTest, F1InAMenuShowsItsHelpPageAndTheMenuGoesOn) {
  terminal_.Press(KeyCode::kF1);
  terminal_.Press(KeyCode::kEsc);
  terminal_.Press(KeyCode::kDown);
  terminal_.Press(KeyCode::kEnter);
  host::MenuChoice choice = ui_.ShowMenu(FileMenu());
  EXPECT_EQ(choice.index, 1);
  EXPECT_TRUE(terminal_.EverShowed(L"File menu help"));
  EXPECT_TRUE(terminal_.EverShowed(L"What the entries do."));
}

TEST_F(TerminalUiTest, AQuestionAnswersWithTheButtonChosen) {
  terminal_.Press(KeyCode::kRight);
  terminal_.Press(KeyCode::kEnter);
  int answer = ui_.ShowMessage(host::MessageBox{
      .title = "Replace", .lines = {"Replace this?"}, .buttons = {"Yes", "All", "No"}});
  EXPECT_EQ(answer, 1);
}

TEST_F(TerminalUiTest, AProgressBoxIsDrawnAndReturnsAtOnceLeavingTheKeys) {
  terminal_.PressDuringWork(Key::Of(KeyCode::kEsc));
  int answer = ui_.ShowMessage(host::MessageBox{.title = "Finderix", .lines = {"Files: 12"}});
  EXPECT_EQ(answer, -1);
  EXPECT_TRUE(testing_support::ScreenShows(terminal_.screen(), L"Files: 12"));
  EXPECT_FALSE(terminal_.script_done());  // the Esc is still there for the module
  INPUT_RECORD record{};
  ASSERT_TRUE(ui_.PeekInput(&record));
  EXPECT_EQ(record.Event.KeyEvent.wVirtualKeyCode, VK_ESCAPE);
  ASSERT_TRUE(ui_.ReadInput(&record));
  EXPECT_FALSE(ui_.PeekInput(&record));
}

TEST_F(TerminalUiTest, CtrlCDuringWorkStopsItAsEscDoes) {
  terminal_.PressDuringWork(Key::Ctrl(L'c'));
  ui_.ShowMessage(host::MessageBox{.title = "Finderix", .lines = {"Files: 12"}});
  INPUT_RECORD record{};
  ASSERT_TRUE(ui_.ReadInput(&record));
  EXPECT_EQ(record.Event.KeyEvent.wVirtualKeyCode, VK_ESCAPE);
}

TEST_F(TerminalUiTest, AProgressBoxLeavesNothingOfAWiderOneBeforeIt) {
  ui_.ShowMessage(host::MessageBox{.title = "Finderix",
                                   .lines = {"the first box's line is the wider one"}});
  std::this_thread::sleep_for(std::chrono::milliseconds(60));  // past the redraw interval
  ui_.ShowMessage(host::MessageBox{.title = "Finderix", .lines = {"short"}});
  EXPECT_TRUE(testing_support::ScreenShows(terminal_.screen(), L"short"));
  EXPECT_FALSE(testing_support::ScreenShows(terminal_.screen(), L"one"));
}

TEST_F(TerminalUiTest, ProgressIsRedrawnAtMostTwentyTimesASecond) {
  for (int i = 0; i < 50; ++i) {
    ui_.ShowMessage(host::MessageBox{.title = "Finderix", .lines = {std::to_string(i)}});
  }
  EXPECT_LE(terminal_.presents(), 2);
}

TEST_F(TerminalUiTest, TextServiceDrawsWhenFlushedAndRestoreScreenCoversIt) {
  ui_.Draw();
  ui_.Text(2, 3, 0x30, "12%");
  ui_.Text(0, 0, 0x30, nullptr);
  EXPECT_EQ(terminal_.screen().Row(3).substr(2, 3), L"12%");
  // A counter over a longer text is not read together with its rest.
  ui_.Text(0, 5, 0x30, "Line 1/3000001000001");
  ui_.Text(5, 5, 0x30, "197964/3000001");
  ui_.Text(0, 0, 0x30, nullptr);
  EXPECT_EQ(terminal_.screen().Row(5).substr(0, 22), L"Line 197964/3000001   ");
  ui_.SaveScreen({});
  ui_.RestoreScreen({});
  EXPECT_EQ(terminal_.screen().Row(3).substr(2, 3), L"   ");
}

// --- The terminal changing under the Ui ---

TEST_F(TerminalUiTest, AResizeLaysTheOpenViewOutAgain) {
  terminal_.ResizeTo(50, 15);
  terminal_.Press(KeyCode::kEsc);
  ui_.ShowMenu(FileMenu());
  // The menu was drawn centred on the new size before it closed.
  EXPECT_TRUE(terminal_.EverShowed(L"╔═ Finderix ═╗"));
  EXPECT_EQ(terminal_.screen().width(), 50);
}

TEST_F(TerminalUiTest, AScreenTooSmallSaysSoAndKeysStillWork) {
  FakeTerminal tiny(12, 4);
  host::TerminalUi ui(tiny, help_, nullptr);
  tiny.Press(KeyCode::kDown);
  tiny.Press(KeyCode::kEnter);
  EXPECT_EQ(ui.ShowMenu(FileMenu()).index, 1);
  EXPECT_TRUE(tiny.EverShowed(L"Enlarge"));
}

TEST_F(TerminalUiTest, TheWindowTitleCarriesTheWalkedFolderInUtf8) {
  ui_.SetTitle("Finderix: C:\\\x8f\xa0\xaf\xaa\xa0");  // "Папка" in code page 866
  EXPECT_EQ(terminal_.last_title(), "Finderix: /Папка");
}

// The title is sent inside an escape sequence that BEL or ESC would end.
TEST_F(TerminalUiTest, TheWindowTitleShowsControlCharactersEscaped) {
  ui_.SetTitle("Finderix: \x1b]0;x\x07\x7f");
  EXPECT_EQ(terminal_.last_title(), "Finderix: \\x1B]0;x\\x07\\x7F");
}

}  // namespace
