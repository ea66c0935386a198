// The scripted Ui the other host tests rely on: answers in order, calls
// recorded as shown, unforeseen calls reported, and Esc arriving through
// the console functions after a chosen number of polls.
#include "host/ui/script_ui.hpp"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

using host::ScriptUi;

host::MessageBox Question(const char* title) {
  return host::MessageBox{.flags = FMSG_WARNING, .help_topic = "Ask", .title = title,
                          .lines = {"line"}, .buttons = {"Yes", "No"}};
}

FarDialogItem EditItem(const char* text) {
  FarDialogItem item{};
  item.Type = DI_EDIT;
  std::strcpy(item.Data, text);
  return item;
}

// ---------------------------------------------------------------------------
// Answers
// ---------------------------------------------------------------------------

TEST(ScriptUi, MessagesTakeAnswersInOrderAndProgressBoxesTakeNone) {
  ScriptUi ui;
  ui.AnswerMessage(1);
  ui.AnswerMessage(-1);
  EXPECT_EQ(ui.ShowMessage(Question("first")), 1);
  EXPECT_EQ(ui.ShowMessage(host::MessageBox{.title = "progress", .lines = {"50%"}}), -1);
  EXPECT_EQ(ui.ShowMessage(Question("second")), -1);
  EXPECT_EQ(ui.unused_answers(), 0u);
  EXPECT_TRUE(ui.errors().empty());

  ASSERT_EQ(ui.calls().size(), 3u);
  EXPECT_FALSE(ui.calls()[0].progress);
  EXPECT_EQ(ui.calls()[0].answer, 1);
  EXPECT_EQ(ui.calls()[0].help_topic, "Ask");
  EXPECT_EQ(ui.calls()[0].buttons, (std::vector<std::string>{"Yes", "No"}));
  EXPECT_TRUE(ui.calls()[1].progress);
  EXPECT_EQ(ui.calls()[1].lines, std::vector<std::string>{"50%"});
}

TEST(ScriptUi, SetItemTextCutsToTheField) {
  FarDialogItem item{};
  std::memset(item.Data, 'x', sizeof(item.Data));
  host::SetItemText(item, std::string(600, 'a'));
  EXPECT_EQ(std::strlen(item.Data), sizeof(item.Data) - 1);
}

// ---------------------------------------------------------------------------
// Unforeseen calls
// ---------------------------------------------------------------------------

TEST(ScriptUi, UnansweredCallsFailLoudlyAndAnswerEsc) {
  ScriptUi ui;
  ui.SetFailureHandler([](const std::string& what) { ADD_FAILURE() << what; });
  int answer = 0;
  EXPECT_NONFATAL_FAILURE(answer = ui.ShowMessage(Question("Replace?")), "Replace?");
  EXPECT_EQ(answer, -1);
  host::MenuChoice choice{0, 0};
  EXPECT_NONFATAL_FAILURE(choice = ui.ShowMenu(host::Menu{.title = "Files"}), "Files");
  EXPECT_EQ(choice.index, -1);
  EXPECT_EQ(choice.break_code, -1);
  FarDialogItem items[] = {EditItem("Search")};
  EXPECT_NONFATAL_FAILURE(answer = ui.RunDialog(host::Dialog{.items = items}), "Search");
  EXPECT_EQ(answer, -1);
  EXPECT_EQ(ui.errors().size(), 3u);
}

TEST(ScriptUi, AnswersOutsideTheChoicesAreErrors) {
  ScriptUi ui;
  ui.AnswerMessage(2);  // the box has two buttons: 0 and 1
  ui.AnswerMenu(0, 3);  // no fourth break key
  ui.AnswerDialog([](std::span<FarDialogItem>) { return 5; });
  EXPECT_EQ(ui.ShowMessage(Question("q")), -1);
  EXPECT_EQ(ui.ShowMenu(host::Menu{.items = {{"a"}}, .break_keys = {VK_F4}}).index, -1);
  FarDialogItem items[] = {EditItem("d")};
  EXPECT_EQ(ui.RunDialog(host::Dialog{.items = items}), -1);
  EXPECT_EQ(ui.errors().size(), 3u);
}

// ---------------------------------------------------------------------------
// Console
// ---------------------------------------------------------------------------

class ScriptConsole : public ::testing::Test {
 protected:
  void SetUp() override { platform::InstallConsoleHost(&ui_); }
  void TearDown() override { platform::InstallConsoleHost(nullptr); }

  // One poll as the module's Esc check makes it: 1 when an event is queued.
  DWORD Peek(INPUT_RECORD* event) {
    DWORD read = 99;
    EXPECT_TRUE(PeekConsoleInputA(input_, event, 1, &read));
    return read;
  }

  ScriptUi ui_;
  HANDLE input_ = GetStdHandle(STD_INPUT_HANDLE);
};

TEST_F(ScriptConsole, EscArrivesAfterTheChosenNumberOfPolls) {
  ui_.EscAfterPolls(3);
  INPUT_RECORD event{};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Peek(&event), 0u);
  }
  ASSERT_EQ(Peek(&event), 1u);
  EXPECT_EQ(Peek(&event), 1u) << "peeking leaves the event queued";

  INPUT_RECORD read_event{};
  DWORD read = 0;
  ASSERT_TRUE(ReadConsoleInputA(input_, &read_event, 1, &read));
  ASSERT_EQ(read, 1u);
  EXPECT_EQ(read_event.EventType, KEY_EVENT);
  EXPECT_TRUE(read_event.Event.KeyEvent.bKeyDown);
  EXPECT_EQ(read_event.Event.KeyEvent.wVirtualKeyCode, VK_ESCAPE);

  EXPECT_EQ(Peek(&event), 0u) << "the Esc is gone once read";
  EXPECT_EQ(ui_.polls(), 6);
}

TEST_F(ScriptConsole, EscAfterNoPollsIsPendingAtOnce) {
  ui_.EscAfterPolls(0);
  INPUT_RECORD event{};
  DWORD read = 0;
  ASSERT_TRUE(ReadConsoleInputA(input_, &event, 1, &read));
  EXPECT_EQ(read, 1u);
  EXPECT_EQ(event.Event.KeyEvent.wVirtualKeyCode, VK_ESCAPE);
}

TEST_F(ScriptConsole, NothingArrivesUnlessAsked) {
  INPUT_RECORD event{};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Peek(&event), 0u);
  DWORD read = 99;
  ASSERT_TRUE(ReadConsoleInputA(input_, &event, 1, &read));
  EXPECT_EQ(read, 0u);
}

TEST_F(ScriptConsole, ConsoleTitlesAreRecorded) {
  ASSERT_TRUE(SetConsoleTitleA("Searching C:\\tmp"));
  ASSERT_TRUE(SetConsoleTitleA("Done"));
  EXPECT_EQ(ui_.console_titles(), (std::vector<std::string>{"Searching C:\\tmp", "Done"}));
}

}  // namespace
