// The finderix program full-screen, driven through tmux as a person would
// drive it: the file search from the plugins menu and the results panel,
// the replace with its questions, the configuration across a restart, the
// editor with the module's search, the command line, a small terminal.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/support/temp_folder.hpp"
#include "tests/host/app/tmux_session.hpp"

namespace {

using testing_support::ShellQuoted;
using testing_support::TmuxSession;

constexpr const char* kExitMark = "FINDERIX-EXIT=";

class FullScreen : public testing::Test {
 protected:
  void SetUp() override {
    if (!testing_support::TmuxInstalled()) GTEST_SKIP() << "tmux is not installed";
    program_ = testing_support::ProgramBesideTest();
    ASSERT_TRUE(std::filesystem::exists(program_)) << program_ << " is not built";
    std::filesystem::create_directories(Path("work"));
    // The file commands look in the panel's folder tree, never the drive.
    Prepare("--set FSearchIn=3");
  }

  std::string Path(const std::string& relative) const { return temp_.path() + "/" + relative; }
  // The undo journal stays in the test's folder.
  std::string StateHome() const { return "XDG_STATE_HOME=" + ShellQuoted(Path("state")) + " "; }

  void Write(const std::string& relative, const std::string& content) const {
    std::filesystem::create_directories(std::filesystem::path(Path(relative)).parent_path());
    std::ofstream(Path(relative), std::ios::binary) << content;
  }

  std::string Read(const std::string& relative) const {
    std::ifstream file(Path(relative), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
  }

  // Stores settings through a command-line run that finds nothing.
  void Prepare(const std::string& settings) {
    std::string command = ShellQuoted(program_) + " --registry " +
                          ShellQuoted(Path("registry.db")) + " -C " + ShellQuoted(Path("work")) +
                          " --save " + settings +
                          " 'ff: no-such-text-anywhere' </dev/null >/dev/null 2>&1";
    ASSERT_EQ(WEXITSTATUS(std::system(command.c_str())), 1);
  }

  // The program in the work folder; after it ends, the pane shows its exit
  // status and stays.
  std::unique_ptr<TmuxSession> Start(const std::string& arguments = "", int width = 100,
                                     int height = 30, const std::string& ready = "Name") {
    std::string command = "cd " + ShellQuoted(Path("work")) + " && LANG=C.UTF-8 " + StateHome() +
                          ShellQuoted(program_) + " --registry " +
                          ShellQuoted(Path("registry.db")) + " " + arguments + " 2>" +
                          ShellQuoted(Path("stderr.txt")) + "; echo " + kExitMark + "$?; sleep 60";
    auto session = std::make_unique<TmuxSession>(command, width, height);
    EXPECT_TRUE(session->WaitFor(ready)) << session->Screen();
    return session;
  }

  // F10 and the program's exit status.
  void Quit(TmuxSession& session) {
    session.Keys({"F10"});
    EXPECT_TRUE(session.WaitFor(std::string(kExitMark) + "0"))
        << session.Screen() << Read("stderr.txt");
  }

  TempFolder temp_;
  std::string program_;
};

int CountOf(const std::string& screen, const std::string& text) {
  int count = 0;
  for (size_t at = screen.find(text); at != std::string::npos; at = screen.find(text, at + 1)) {
    ++count;
  }
  return count;
}

// --- The file search and the results panel ---

TEST_F(FullScreen, FileSearchListsTheFilesF7RemovesOneBackspaceReturns) {
  Write("work/a.txt", "hello world\n");
  Write("work/b.txt", "nothing here\n");
  Write("work/sub/c.txt", "say hello\n");
  auto session = Start();
  session->Keys({"F11"});
  ASSERT_TRUE(session->WaitFor("Plugins"));
  session->Keys({"Enter"});
  ASSERT_TRUE(session->WaitFor("Select files"));
  session->Keys({"Enter"});
  ASSERT_TRUE(session->WaitFor("Containing text"));
  session->Keys({"M-t"});
  session->Type("hello");
  session->Keys({"Enter"});
  ASSERT_TRUE(session->WaitFor("Finderix results")) << session->Screen();
  // Found paths are shown as real paths, right-aligned against the size
  // column: ".../a.txt│".
  std::string screen = session->Screen();
  EXPECT_NE(screen.find("/a.txt│"), std::string::npos);
  EXPECT_NE(screen.find("/c.txt│"), std::string::npos);
  EXPECT_EQ(CountOf(screen, ".txt│"), 2);
  EXPECT_EQ(CountOf(screen, "b.txt"), 1);  // only in the other panel
  EXPECT_NE(screen.find("7Remove"), std::string::npos);

  session->Keys({"Down", "F7"});
  EXPECT_TRUE(session->WaitUntil([](const std::string& s) { return CountOf(s, ".txt│") == 1; }))
      << session->Screen();

  session->Keys({"BSpace"});
  EXPECT_TRUE(session->WaitGone("Finderix results")) << session->Screen();
  EXPECT_EQ(CountOf(session->Screen(), "b.txt"), 2);  // both panels show the folder again
  Quit(*session);
}

TEST_F(FullScreen, OnASmallTerminalTheSearchDialogsOkIsAFewTabsAway) {
  Write("work/a.txt", "hello\n");
  auto session = Start("", 50, 14);
  session->Keys({"F11", "Enter", "Enter"});
  ASSERT_TRUE(session->WaitFor("Containing text")) << session->Screen();
  session->Keys({"M-t"});
  session->Type("hello");
  // Case, search mode, inverse, all tables, scope: each group one stop.
  session->Keys({"Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Space"});  // Space presses OK
  EXPECT_TRUE(session->WaitFor("Finderix results")) << session->Screen();
  Quit(*session);
}

TEST_F(FullScreen, CommandLineSearchOpensTheResultsPanel) {
  Write("work/a.txt", "needle\n");
  Write("work/b.txt", "hay\n");
  auto session = Start();
  session->Type("ff: needle");
  session->Keys({"Enter"});
  ASSERT_TRUE(session->WaitFor("Finderix results")) << session->Screen();
  EXPECT_NE(session->Screen().find("/a.txt"), std::string::npos);
  EXPECT_EQ(session->Screen().find("/b.txt"), std::string::npos);
  Quit(*session);
}

// --- The replace inside files ---

TEST_F(FullScreen, ReplaceAsksForEachChangeAndTheKeyboardAnswers) {
  Prepare("--set FRConfirmLine=1 --set FROpenModified=0");
  Write("work/a.txt", "one foo two foo\n");
  auto session = Start();
  session->Keys({"F11", "Enter", "Down", "Enter"});
  ASSERT_TRUE(session->WaitFor("Replace with")) << session->Screen();
  session->Type("*.txt");
  session->Keys({"Tab"});
  session->Type("foo");
  session->Keys({"Tab"});
  session->Type("bar");
  session->Keys({"Enter"});
  ASSERT_TRUE(session->WaitFor("[ Skip ]")) << session->Screen();
  session->Keys({"Enter"});  // Replace the first
  session->Keys({"Right", "Right", "Enter"});  // Skip the second
  EXPECT_TRUE(session->WaitGone("[ Skip ]")) << session->Screen();
  Quit(*session);
  EXPECT_EQ(Read("work/a.txt"), "one bar two foo\n");

  // The replace was recorded as a run of its own, which the shell takes back.
  const std::string undo = StateHome() + ShellQuoted(program_) + " --undo >/dev/null 2>&1";
  EXPECT_EQ(WEXITSTATUS(std::system(undo.c_str())), 0);
  EXPECT_EQ(Read("work/a.txt"), "one foo two foo\n");
}

// --- Configuration ---

TEST_F(FullScreen, AConfigurationValueIsThereAtTheNextStart) {
  auto first = Start();
  first->Keys({"F9"});
  ASSERT_TRUE(first->WaitFor("Editor"));
  first->Keys({"Down", "Enter"});
  ASSERT_TRUE(first->WaitFor("Read whole files up to"));
  first->Keys({"Tab"});
  first->Type("77");
  first->Keys({"Enter", "Escape"});
  Quit(*first);
  first.reset();

  auto second = Start();
  second->Keys({"F9", "Down", "Enter"});
  EXPECT_TRUE(second->WaitFor("Read whole files up to:    77 ")) << second->Screen();
  second->Keys({"Escape", "Escape"});
  Quit(*second);
}

// --- The editor ---

TEST_F(FullScreen, F4EditsAFileAndTheModulesSearchSelectsTheMatchLine) {
  Write("work/a.txt", "first\nsecond\nthe needle here\n");
  auto session = Start();
  session->Keys({"Down", "F4"});
  ASSERT_TRUE(session->WaitFor("Line 1/4")) << session->Screen();
  session->Keys({"F11"});
  ASSERT_TRUE(session->WaitFor("Repeat last"));
  session->Keys({"Enter"});
  ASSERT_TRUE(session->WaitFor("Search for"));
  session->Type("needle");
  session->Keys({"Enter"});
  EXPECT_TRUE(session->WaitFor("Line 3/4  Col 11")) << session->Screen();
  session->Keys({"Escape"});
  EXPECT_TRUE(session->WaitFor("4Edit")) << session->Screen();
  Quit(*session);
}

TEST_F(FullScreen, EditOptionOpensTheEditorAloneAndF2Saves) {
  Write("work/notes.txt", "abc\n");
  auto session = Start("-e notes.txt", 100, 30, "Line 1/");
  ASSERT_TRUE(session->WaitFor("notes.txt")) << session->Screen();
  session->Type("x");
  session->Keys({"F2", "Escape"});
  EXPECT_TRUE(session->WaitFor(std::string(kExitMark) + "0")) << session->Screen();
  EXPECT_EQ(Read("work/notes.txt"), "xabc\n");
}

TEST_F(FullScreen, AUtf8FileIsEditedAndSearchedInUtf8AndKeepsWhatCodePage866Lacks) {
  Write("work/u.txt", "\xEF\xBB\xBF" "жил中😀 мир\n");
  auto session = Start("-e u.txt", 100, 30, "Line 1/");
  ASSERT_TRUE(session->WaitFor("UTF-8")) << session->Screen();
  EXPECT_NE(session->Screen().find("жил\uFFFD\uFFFD мир"), std::string::npos) << session->Screen();
  // F8 goes round every table and back.
  session->Keys({"F8"});
  ASSERT_TRUE(session->WaitFor("DOS")) << session->Screen();
  session->Keys({"F8", "F8", "F8", "F8"});
  ASSERT_TRUE(session->WaitFor("UTF-8")) << session->Screen();

  session->Keys({"F11"});
  ASSERT_TRUE(session->WaitFor("Repeat last"));
  session->Keys({"Enter"});
  ASSERT_TRUE(session->WaitFor("Search for"));
  session->Type("мир");
  session->Keys({"Enter"});
  EXPECT_TRUE(session->WaitFor("Line 1/2  Col 10")) << session->Screen();

  session->Keys({"Home"});
  session->Type("дом ");
  session->Keys({"F2", "Escape"});
  EXPECT_TRUE(session->WaitFor(std::string(kExitMark) + "0")) << session->Screen();
  EXPECT_EQ(Read("work/u.txt"), "\xEF\xBB\xBF" "дом жил中😀 мир\n");
}

TEST_F(FullScreen, TheReplaceQuestionShowsTheUsersTextWholeInsideItsFrame) {
  Write("work/amp.txt", std::string(150, '&') + "\n");
  auto session = Start("-e amp.txt", 100, 30, "Line 1/");
  session->Keys({"F11", "Down", "Enter"});
  ASSERT_TRUE(session->WaitFor("Replace with")) << session->Screen();
  session->Type("&+");
  session->Keys({"Tab"});
  session->Type("&amp");
  session->Keys({"Tab", "Space", "Enter"});  // as a regular expression
  ASSERT_TRUE(session->WaitFor("[ Skip ]")) << session->Screen();
  std::string screen = session->Screen();
  // Ampersands are the user's text, not hotkey marks; buttons have brackets.
  EXPECT_NE(screen.find("\"&amp\""), std::string::npos) << screen;
  EXPECT_NE(screen.find("[ Replace ] [ All ] [ Skip ] [ Cancel ]"), std::string::npos) << screen;
  // The 152 columns of the quoted match end in an ellipsis inside the frame.
  std::istringstream rows(screen);
  bool clipped = false;
  for (std::string row; std::getline(rows, row);) {
    size_t ellipsis = row.find("&…");
    if (ellipsis == std::string::npos) continue;
    clipped = true;
    EXPECT_NE(row.find("║", ellipsis), std::string::npos) << row;
  }
  EXPECT_TRUE(clipped) << screen;
  session->Keys({"a"});  // All, by its hotkey
  ASSERT_TRUE(session->WaitGone("[ Skip ]")) << session->Screen();
  session->Keys({"F2", "Escape"});
  EXPECT_TRUE(session->WaitFor(std::string(kExitMark) + "0")) << session->Screen();
  EXPECT_EQ(Read("work/amp.txt"), "&amp\n");
}

// --- The command line and the shell ---

TEST_F(FullScreen, AShellInvocationAskingForItsDialogOpensItFullScreen) {
  Write("work/a.txt", "hello\n");
  Write("work/b.txt", "bye\n");
  auto session = Start("'ff:/*.txt/hello/d'", 100, 30, "Containing text");
  session->Keys({"Enter"});
  EXPECT_TRUE(session->WaitFor(std::string(kExitMark) + "0")) << session->Screen();
  std::string screen = session->Screen();
  EXPECT_NE(screen.find(Path("work/a.txt")), std::string::npos) << screen;
  EXPECT_EQ(screen.find(Path("work/b.txt")), std::string::npos) << screen;
}

// A walk over a large system folder for a text nowhere in it takes far
// longer than the moment the key comes after.
constexpr const char* kLongSearch = "'ff:/*/zq7 no such text xk9/c'";

TEST_F(FullScreen, EscTypedOnTheTerminalStopsAShellRun) {
  auto session = Start(std::string("-C /usr ") + kLongSearch, 100, 30, "");
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  if (session->Screen().find(kExitMark) != std::string::npos) GTEST_SKIP() << "the walk ended too soon";
  session->Keys({"Escape"});
  EXPECT_TRUE(session->WaitFor(std::string(kExitMark) + "2", 5000)) << session->Screen();
  EXPECT_NE(Read("stderr.txt").find("finderix: stopped"), std::string::npos) << Read("stderr.txt");
}

TEST_F(FullScreen, CtrlCStopsASearchAndTheProgramGoesOn) {
  auto session = Start();
  session->Type("cd /usr");
  session->Keys({"Enter"});
  ASSERT_TRUE(session->WaitFor("share")) << session->Screen();
  session->Type(std::string(kLongSearch).substr(1, std::string(kLongSearch).size() - 2));
  session->Keys({"Enter"});
  ASSERT_TRUE(session->WaitFor("Files scanned")) << session->Screen();
  session->Keys({"C-c"});
  EXPECT_TRUE(session->WaitGone("Files scanned", 5000)) << session->Screen();
  EXPECT_EQ(session->Screen().find(kExitMark), std::string::npos) << session->Screen();
  // Whatever box the stopped search leaves may come up a moment after the
  // keys meant for it on a busy machine: Esc and F10 until the program ends.
  const std::string exited = std::string(kExitMark) + "0";
  for (int attempt = 0; attempt < 3 && !session->WaitFor(exited, 100); attempt++) {
    session->Keys({"Escape"});
    session->Keys({"F10"});
    session->WaitFor(exited, 3000);
  }
  EXPECT_TRUE(session->WaitFor(exited)) << session->Screen() << Read("stderr.txt");
}

TEST_F(FullScreen, SetOptionsTakeEffectInTheDialogs) {
  auto session = Start("--set 'FMask=*.zz,*.yy'");
  session->Keys({"F11", "Enter", "Enter"});
  EXPECT_TRUE(session->WaitFor("*.zz,*.yy")) << session->Screen();
  session->Keys({"Escape"});
  Quit(*session);
}

TEST_F(FullScreen, AShellCommandRunsInThePanelsFolderAndThePanelShowsItsFile) {
  auto session = Start();
  session->Type("touch made-by-shell.txt");
  session->Keys({"Enter"});
  ASSERT_TRUE(session->WaitFor("press Enter")) << session->Screen();
  session->Keys({"Enter"});
  EXPECT_TRUE(session->WaitFor("made-by-shell.txt")) << session->Screen();
  EXPECT_TRUE(std::filesystem::exists(Path("work/made-by-shell.txt")));
  Quit(*session);
}

// --- A hard life ---

TEST_F(FullScreen, ASmallTerminalAResizeAndCtrlCDoNotEndTheProgram) {
  auto session = Start("", 40, 12);
  session->Keys({"C-c"});
  session->Keys({"F11", "Enter", "Enter"});
  EXPECT_TRUE(session->WaitFor("File masks")) << session->Screen();
  session->Keys({"Escape"});
  session->Resize(30, 8);
  session->Resize(60, 14);  // room for the size column, not for the date
  EXPECT_TRUE(session->WaitFor("Size   ║║")) << session->Screen();
  session->Resize(100, 30);
  EXPECT_TRUE(session->WaitFor("Date  ║║")) << session->Screen();
  Quit(*session);
}

}  // namespace
