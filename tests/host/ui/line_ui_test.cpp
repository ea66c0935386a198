// The line UI on a scripted terminal: reports, questions answered by one
// key, dialogs accepted or cancelled as a whole, the paced status line, and
// Ctrl+C turned into an Esc for the module's console poll.
#include "host/ui/line_ui.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>

namespace {

using host::LineConsole;
using host::LineUi;
using host::MessageBox;

class ScriptedConsole : public LineConsole {
 public:
  bool can_ask = true;
  bool shows_status = true;
  int columns = 80;
  std::deque<int> keys;  // answered in order; none left reads as Esc
  int keys_read = 0;
  std::string written;
  int interrupts = 0;
  Clock::time_point now{};

  bool CanAsk() const override { return can_ask; }
  bool ShowsStatus() const override { return shows_status; }
  int Columns() const override { return columns; }
  int ReadKey() override {
    keys_read++;
    if (keys.empty()) return kEscape;
    int key = keys.front();
    keys.pop_front();
    return key;
  }
  void Write(std::string_view text) override { written += text; }
  int TakeInterrupts() override { return std::exchange(interrupts, 0); }
  Clock::time_point Now() const override { return now; }
};

MessageBox Box(std::string title, std::vector<std::string> lines,
               std::vector<std::string> buttons, std::string topic = "") {
  MessageBox box;
  box.title = std::move(title);
  box.lines = std::move(lines);
  box.buttons = std::move(buttons);
  box.help_topic = std::move(topic);
  return box;
}

FarDialogItem Item(int type, const char* data, int selected = 0, int default_button = 0) {
  FarDialogItem item{};
  item.Type = type;
  item.Selected = selected;
  item.DefaultButton = default_button;
  std::strncpy(item.Data, data, sizeof item.Data - 1);
  return item;
}

std::vector<FarDialogItem> SmallDialog() {
  return {Item(DI_DOUBLEBOX, "Rename"), Item(DI_TEXT, "&Search for:"), Item(DI_EDIT, "foo"),
          Item(DI_CHECKBOX, "Re&peat", 1), Item(DI_BUTTON, "OK", 0, 1),
          Item(DI_BUTTON, "Cancel")};
}

class LineUiTest : public testing::Test {
 protected:
  int RunDialog(std::vector<FarDialogItem>& items) {
    host::Dialog dialog;
    dialog.help_topic = "FileRenameDlg";
    dialog.items = items;
    return ui_.RunDialog(dialog);
  }

  ScriptedConsole console_;
  LineUi ui_{console_, false};
};

const std::vector<std::string> kQuestionButtons = {"&Replace", "&All", "&Skip", "&Cancel"};

// --- Reports ---

TEST_F(LineUiTest, OneButtonBoxIsReportedWithItsTopicAndAnsweredAtOnce) {
  EXPECT_EQ(ui_.ShowMessage(Box("Finderix", {"No files found"}, {"OK"}, "NoFilesFound")), 0);
  EXPECT_EQ(console_.written, "Finderix: No files found\n");
  EXPECT_EQ(ui_.outcome().reported_topics, (std::vector<std::string>{"NoFilesFound"}));
  EXPECT_FALSE(ui_.outcome().cancelled);
  EXPECT_EQ(console_.keys_read, 0);
}

TEST_F(LineUiTest, LaterLinesAreIndentedAndSeparatorsLeftOut) {
  ui_.ShowMessage(Box("RegExp error", {"missing )", "\x01", "a(b", "   ^"}, {"OK"}));
  EXPECT_EQ(console_.written, "RegExp error: missing )\n  a(b\n     ^\n");
}

TEST_F(LineUiTest, CodePage866TextIsWrittenAsUtf8) {
  ui_.ShowMessage(Box("\x8F\xE0\xA8\xA2\xA5\xE2", {"\xAC\xA8\xE0"}, {"OK"}));  // "Привет", "мир"
  EXPECT_EQ(console_.written, "Привет: мир\n");
}

// --- Questions ---

TEST_F(LineUiTest, QuestionTakesTheHotKeyOfAButtonInEitherCase) {
  struct Row {
    std::vector<int> keys;
    int answer;
  };
  const Row rows[] = {{{'r'}, 0}, {{'A'}, 1}, {{'s'}, 2}, {{'x', '?', 'c'}, 3}, {{27}, -1}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.answer);
    console_.keys.assign(row.keys.begin(), row.keys.end());
    EXPECT_EQ(ui_.ShowMessage(Box("Replace", {"foo"}, kQuestionButtons)), row.answer);
    EXPECT_TRUE(console_.keys.empty());
  }
}

TEST_F(LineUiTest, QuestionPromptShowsOneKeyPerButton) {
  console_.keys = {'o'};
  EXPECT_EQ(ui_.ShowMessage(Box("Rename", {"The file already exists"}, {"OK", "Cancel"})), 0);
  EXPECT_NE(console_.written.find("[o] OK  [c] Cancel  [Esc] OK\n"), std::string::npos)
      << console_.written;
}

TEST_F(LineUiTest, ButtonsSharingLettersGetDifferentKeys) {
  console_.keys = {'e'};
  EXPECT_EQ(ui_.ShowMessage(Box("T", {"?"}, {"Yes", "Yes too", "Yes again"})), 1);
  EXPECT_NE(console_.written.find("[y] Yes  [e] Yes too  [s] Yes again"), std::string::npos)
      << console_.written;
}

// Warnings are failures, with the file they name as a real path; the
// report that nothing was found is not one.
TEST_F(LineUiTest, WarningsAreFailuresNamingTheirFile) {
  struct Row {
    const char* topic;
    unsigned flags;
    size_t buttons;
    bool failure;
  };
  const Row rows[] = {
      {"FRCreateError", FMSG_WARNING, 1, true},  {"NoFilesFound", FMSG_WARNING, 1, false},
      {"FRenameError", FMSG_WARNING, 2, true},   {"FRenameOverwrite", FMSG_WARNING, 2, false},
      {"Info", 0, 1, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.topic);
    ScriptedConsole console;
    console.keys = {27};
    LineUi ui(console, false);
    MessageBox box = Box("Replace", {"Cannot access the file", "C:\\tmp\\x.txt"},
                         std::vector<std::string>(row.buttons, "OK"), row.topic);
    box.flags = row.flags;
    ui.ShowMessage(box);
    ASSERT_EQ(ui.outcome().failures.size(), row.failure ? 1u : 0u);
    if (!row.failure) continue;
    EXPECT_EQ(ui.outcome().failures[0].path, "/tmp/x.txt");
    EXPECT_EQ(ui.outcome().failures[0].message, "Cannot access the file");
    EXPECT_EQ(console.written.find("C:"), std::string::npos) << console.written;
  }
}

// Esc only skips what a question asks about; its stop button stops the run.
TEST_F(LineUiTest, OnlyTheStopButtonOfAQuestionStopsTheRun) {
  struct Row {
    int key;
    int answer;
    bool stopped;
  };
  const Row rows[] = {{27, -1, false}, {'c', 3, true}, {'r', 0, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.key);
    ScriptedConsole console;
    LineUi ui(console, false);
    console.keys = {row.key};
    EXPECT_EQ(ui.ShowMessage(Box("Replace", {"foo"}, kQuestionButtons)), row.answer);
    EXPECT_EQ(ui.outcome().stopped, row.stopped);
    EXPECT_FALSE(ui.outcome().cancelled);
    EXPECT_TRUE(ui.outcome().failures.empty());
  }
}

TEST_F(LineUiTest, WithoutATerminalEveryQuestionIsAnsweredEsc) {
  console_.can_ask = false;
  console_.keys = {'r'};
  EXPECT_EQ(ui_.ShowMessage(Box("Replace", {"foo"}, kQuestionButtons)), -1);
  EXPECT_EQ(console_.keys_read, 0);
  EXPECT_FALSE(ui_.outcome().stopped);
  EXPECT_NE(console_.written.find("no terminal"), std::string::npos);
}

// --- Dialogs ---

TEST_F(LineUiTest, DialogOnATerminalIsShownAndAcceptedByItsOkKey) {
  std::vector<FarDialogItem> items = SmallDialog();
  console_.keys = {'o'};
  EXPECT_EQ(RunDialog(items), 4);
  EXPECT_NE(console_.written.find("Rename\n  Search for: [foo]\n  [x] Repeat\n"),
            std::string::npos)
      << console_.written;
  EXPECT_FALSE(ui_.outcome().cancelled);
}

TEST_F(LineUiTest, DialogRefusedOnATerminalCancels) {
  std::vector<FarDialogItem> items = SmallDialog();
  console_.keys = {'c'};
  EXPECT_EQ(RunDialog(items), -1);
  EXPECT_TRUE(ui_.outcome().cancelled);
}

TEST_F(LineUiTest, WithoutATerminalADialogIsCancelledUnlessAcceptedAsFilled) {
  console_.can_ask = false;
  std::vector<FarDialogItem> items = SmallDialog();
  EXPECT_EQ(RunDialog(items), -1);
  EXPECT_TRUE(ui_.outcome().cancelled);

  LineUi accepting(console_, true);
  host::Dialog dialog;
  dialog.items = items;
  EXPECT_EQ(accepting.RunDialog(dialog), 4);
  EXPECT_FALSE(accepting.outcome().cancelled);
  EXPECT_EQ(console_.keys_read, 0);
}

TEST_F(LineUiTest, DialogBackUnchangedAfterAcceptanceIsCancelled) {
  LineUi accepting(console_, true);
  std::vector<FarDialogItem> items = SmallDialog();
  host::Dialog dialog;
  dialog.items = items;
  EXPECT_EQ(accepting.RunDialog(dialog), 4);
  EXPECT_EQ(accepting.RunDialog(dialog), -1);  // the module refused it; again would loop
  EXPECT_TRUE(accepting.outcome().cancelled);
  std::strcpy(items[2].Data, "bar");
  EXPECT_EQ(accepting.RunDialog(dialog), 4);
}

TEST_F(LineUiTest, MenusCannotBeAnswered) {
  host::Menu menu;
  menu.title = "Presets";
  EXPECT_EQ(ui_.ShowMenu(menu).index, -1);
  EXPECT_TRUE(ui_.outcome().cancelled);
}

// --- The status line ---

MessageBox Progress(const std::string& folder, int scanned) {
  return Box("Finderix", {folder, "Files scanned: " + std::to_string(scanned), "Files found: 0"},
             {});
}

TEST_F(LineUiTest, ProgressRedrawsAtMostTenTimesASecond) {
  int draws = 0;
  for (int ms = 0; ms < 1000; ms += 10) {
    console_.now = LineConsole::Clock::time_point(std::chrono::milliseconds(ms));
    console_.written.clear();
    EXPECT_EQ(ui_.ShowMessage(Progress("C:\\tmp", ms)), -1);
    if (!console_.written.empty()) draws++;
  }
  EXPECT_EQ(draws, 10);
}

TEST_F(LineUiTest, ProgressIsOneLineThatReportsClearFirst) {
  ui_.ShowMessage(Progress("C:\\tmp", 3));
  EXPECT_EQ(console_.written, "\r/tmp  Files scanned: 3  Files found: 0\x1b[K");
  console_.written.clear();
  ui_.ShowMessage(Box("Finderix", {"No files found"}, {"OK"}));
  EXPECT_EQ(console_.written, "\r\x1b[KFinderix: No files found\n");
  console_.written.clear();
  ui_.Finish();
  EXPECT_EQ(console_.written, "");  // already cleared
}

TEST_F(LineUiTest, LongFolderGivesWayToTheCounts) {
  console_.columns = 50;
  ui_.ShowMessage(Progress("C:\\" + std::string(80, 'd'), 12));
  std::string line = console_.written.substr(1, console_.written.size() - 4);
  EXPECT_EQ(line.size(), 49u);
  EXPECT_EQ(line.substr(0, 3), "...");
  EXPECT_NE(line.find("Files scanned: 12  Files found: 0"), std::string::npos);
}

TEST_F(LineUiTest, NoStatusLineWhenTheErrorStreamIsNoTerminal) {
  console_.shows_status = false;
  ui_.ShowMessage(Progress("C:\\tmp", 1));
  ui_.Finish();
  EXPECT_EQ(console_.written, "");
}

// --- Ctrl+C ---

TEST_F(LineUiTest, CtrlCReachesTheModuleAsOneEscKey) {
  INPUT_RECORD event{};
  EXPECT_FALSE(ui_.PeekInput(&event));
  console_.interrupts = 1;
  ASSERT_TRUE(ui_.PeekInput(&event));
  EXPECT_EQ(event.EventType, KEY_EVENT);
  EXPECT_TRUE(event.Event.KeyEvent.bKeyDown);
  EXPECT_EQ(event.Event.KeyEvent.wVirtualKeyCode, VK_ESCAPE);
  ASSERT_TRUE(ui_.ReadInput(&event));
  EXPECT_FALSE(ui_.PeekInput(&event));
  EXPECT_TRUE(ui_.outcome().stopped);
}

TEST_F(LineUiTest, CtrlCNoPollTookStillStops) {
  console_.interrupts = 1;
  ui_.Finish();
  EXPECT_TRUE(ui_.outcome().stopped);
}

}  // namespace
