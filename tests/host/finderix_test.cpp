// The finderix program end to end, run as a child process on generated
// trees with its own registry file and no terminal: the files it lists
// against grep, the files it rewrites against perl, the names it gives
// against the Perl rename tool, its exit status, and what it refuses.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "platform/host_bridge.hpp"
#include "tests/support/program_run.hpp"
#include "tests/support/temp_folder.hpp"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Paths printed by finderix (absolute) or grep ("./x"), relative and sorted.
std::vector<std::string> Relative(const std::string& printed, const std::string& root) {
  std::vector<std::string> paths;
  for (std::string line : Lines(printed)) {
    if (line.rfind(root + "/", 0) == 0) line.erase(0, root.size() + 1);
    if (line.rfind("./", 0) == 0) line.erase(0, 2);
    paths.push_back(line);
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

// Every regular file under `root` with its content, by relative path.
std::map<std::string, std::string> Contents(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file())
      files[fs::relative(entry.path(), root).string()] = Slurp(entry.path().string());
  return files;
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A tree of small text files over nested folders (one with a blank in its
// name, one hidden), with the words the tests look for in varied letter
// case; the same seed gives the same tree.
void GenerateTree(const std::string& root, unsigned seed) {
  const char* words[] = {"needle", "Needle", "NEEDLE", "needl",  "neeedle7", "needle3",
                         "foo",    "foobar", "fooobar", "Foo",   "hay",      "stack",
                         "x=12",   "key=7",  "a_b=40",  "=",     "haystack", "ne edle"};
  const char* folders[] = {"", "a/", "a/b/", "c/", "c/d e/", ".hidden/"};
  const char* extensions[] = {".txt", ".log", ".c", ""};
  std::mt19937 random(seed);
  auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
  for (int i = 0; i < 40; i++) {
    std::string path = root + "/" + folders[pick(6)] + "f" + std::to_string(i) +
                       extensions[pick(4)];
    std::string content;
    size_t lines = pick(7);
    for (size_t l = 0; l < lines; l++) {
      size_t count = 1 + pick(6);
      for (size_t w = 0; w < count; w++) content += std::string(w ? " " : "") + words[pick(18)];
      if (l + 1 < lines || pick(2)) content += "\n";
    }
    fs::create_directories(fs::path(path).parent_path());
    WriteText(path, content);
  }
  WriteText(root + "/empty.txt", "");
  WriteText(root + "/.dotfile", "a needle in a dot file\n");
}

class Finderix : public testing::Test {
 protected:
  void SetUp() override {
    GenerateTree(Tree(), 7);
    fs::create_directories(Scratch());
  }

  std::string Tree() const { return folder_.Posix("tree"); }
  std::string Scratch() const { return folder_.Posix("scratch"); }
  std::string Registry() const { return folder_.Posix("registry.db"); }

  // finderix with its own registry, the folder tree as the scope, and
  // the panel on `folder` (the tree unless given).
  Outcome Finder(std::vector<std::string> arguments, const std::string& folder = "") {
    std::vector<std::string> command = {FINDERIX_PROGRAM_PATH, "--registry", Registry(),
                                        "--set",  "FSearchIn=3", "-C",
                                        folder.empty() ? Tree() : folder};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return RunProgram(command, Scratch(), Scratch());
  }

  Outcome Tool(std::vector<std::string> command, const std::string& folder) {
    return RunProgram(command, folder, Scratch());
  }

  TempFolder folder_;
};

// --- Search against grep ---

TEST_F(Finderix, PlainSearchListsWhatGrepListsInBothLetterCases) {
  struct Row {
    const char* command;
    std::vector<std::string> grep;
  };
  const Row rows[] = {
      {"ff:/*/needle/c", {"grep", "-rlF", "needle", "."}},
      {"ff:/*/needle/C", {"grep", "-rliF", "needle", "."}},  // letters stay set: C undoes c
      {"ff:/*/ne edle/c", {"grep", "-rlF", "ne edle", "."}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command);
    Outcome found = Finder({row.command});
    Outcome expected = Tool(row.grep, Tree());
    ASSERT_EQ(expected.status, 0);
    EXPECT_EQ(found.status, 0) << found.err;
    EXPECT_EQ(Relative(found.out, Tree()), Relative(expected.out, Tree()));
    EXPECT_EQ(found.err, "");
  }
}

TEST_F(Finderix, BlankFormSearchesWithTheStoredMask) {
  Outcome found = Finder({"--set", "FMask=*.txt", "--set", "FCaseSensitive=1", "ff", " needle"});
  Outcome expected = Tool({"grep", "-rlF", "--include=*.txt", "needle", "."}, Tree());
  ASSERT_EQ(expected.status, 0);
  EXPECT_EQ(found.status, 0) << found.err;
  EXPECT_EQ(Relative(found.out, Tree()), Relative(expected.out, Tree()));
}

TEST_F(Finderix, LinePatternSearchListsWhatGrepPerlListsWithMasks) {
  Outcome found = Finder({"ff:#*.txt,*.log#^ne+dle[0-9]|fo{2,}bar$#rc"});
  Outcome expected = Tool({"grep", "-rlP", "--include=*.txt", "--include=*.log",
                       "^ne+dle[0-9]|fo{2,}bar$", "."},
                      Tree());
  ASSERT_EQ(expected.status, 0);
  EXPECT_EQ(found.status, 0) << found.err;
  EXPECT_EQ(Relative(found.out, Tree()), Relative(expected.out, Tree()));
}

TEST_F(Finderix, InverseSearchListsWhatGrepLeavesOut) {
  Outcome found = Finder({"ff:/*/needle/ci"});
  Outcome expected = Tool({"grep", "-rLF", "needle", "."}, Tree());
  EXPECT_EQ(found.status, 0) << found.err;
  EXPECT_EQ(Relative(found.out, Tree()), Relative(expected.out, Tree()));
  const std::vector<std::string> listed = Lines(found.out);
  EXPECT_NE(std::find(listed.begin(), listed.end(), Tree() + "/empty.txt"), listed.end());
}

// One thread or several: the same files in the same order, the same
// messages in the same places, in every search mode. The tree is large
// enough for the workers to run many files ahead of the walk.
TEST_F(Finderix, ThreadsListTheSameFilesInTheSameOrderInEveryMode) {
  for (unsigned seed = 1; seed <= 5; seed++) GenerateTree(Tree() + "/g" + std::to_string(seed), seed);
  // A line the pattern cannot decide within its limits: its message has a place too.
  WriteText(Tree() + "/g3/runaway.txt", std::string(40, 'a') + "c\n");
  const char* commands[] = {
      "ff:/*/NEEDLE/Ci",
      "ff:/*/(a+)+\\1b|^ne+dle[0-9]?$|fo{2,}bar/r",
      "ff:/*/needle\\s+\\w+\\s+hay/s",
      "ff:/*/\\Afoo|stack\\z/m",
      "ff:/*/+needle -foo hay stack/a",
      "ff:/*/+ne+dle -^foo x=\\d+/li",
  };
  for (const char* command : commands) {
    SCOPED_TRACE(command);
    const Outcome one = Finder({"--threads", "1", command});
    const Outcome several = Finder({"--threads", "4", command});
    EXPECT_GT(Lines(one.out).size(), 5u) << one.err;
    EXPECT_EQ(several.status, one.status);
    EXPECT_EQ(several.out, one.out);
    EXPECT_EQ(several.err, one.err);
  }
}

TEST_F(Finderix, FolderScopeStaysInTheFolder) {
  Outcome found = Finder({"--set", "FSearchIn=4", "ff:/*/needle/"});
  std::vector<std::string> grep = {"grep", "-liF", "needle"};
  for (const auto& entry : fs::directory_iterator(Tree()))
    if (entry.is_regular_file()) grep.push_back(entry.path().filename().string());
  Outcome expected = Tool(grep, Tree());
  ASSERT_EQ(expected.status, 0);
  EXPECT_EQ(found.status, 0) << found.err;
  EXPECT_EQ(Relative(found.out, Tree()), Relative(expected.out, Tree()));
}

// --- Exit status and messages ---

TEST_F(Finderix, NothingFoundExitsOneWithItsReport) {
  Outcome run = Finder({"ff:/*/no such words anywhere/"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "Finderix: No files found\n");
}

TEST_F(Finderix, SyntaxAndPatternErrorsExitTwo) {
  struct Row {
    std::vector<std::string> arguments;
    const char* message;
  };
  const Row rows[] = {
      {{"ff:"}, "Finderix: Command line syntax error\n"},
      {{"ff", ""}, "Finderix: Command line syntax error\n"},
      {{"ff:/*.txt/foo"}, "Finderix: Command line syntax error\n"},
      {{"ff:/*.txt/foo/x"}, "Finderix: Command line syntax error\n"},
      {{"ff:/*/a(b/r"}, "RegExp error: "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.message);
    Outcome run = Finder(row.arguments);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind(row.message, 0), 0u) << run.err;
  }
}

void ExpectRefused(const Outcome& run, const std::string& message) {
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err.rfind(message, 0), 0u) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
}

TEST_F(Finderix, BadArgumentsExitTwoWithOneLineBeforeTheRegistryIsTouched) {
  struct Row {
    std::vector<std::string> arguments;
    const char* message;
  };
  const Row rows[] = {
      {{"--frobnicate", "ff:/*/x/"}, "finderix: unknown option --frobnicate (try -h)\n"},
      {{"-C", folder_.Posix("missing"), "ff:/*/x/"}, "finderix: -C "},
      {{"--set", "FSearchIn=7", "ff:/*/x/"},
       "finderix: --set FSearchIn: the value must be a number from 0 to 4\n"},
      {{"--set", "Colour=3", "ff:/*/x/"},
       "finderix: --set: Colour is not a setting of the module\n"},
      {{"ff:/*/\xE2\x82\xAC/"},
       "finderix: the command holds a character that code page 866 cannot hold\n"},
      {{"ff:a", "ff:b"}, "finderix: one ff command at a time; put the text in quotes\n"},
      {{"search", "x"}, "finderix: unexpected argument search; a command starts with ff:\n"},
      {{"--select", "f1.txt"}, "finderix: --select and --scope selected need an ff command\n"},
      {{"--scope", "selected", "ff: x"}, "finderix: --scope selected needs --select NAME\n"},
      {{"--scope", "folder", "--select", "a", "ff: x"},
       "finderix: --select needs --scope selected (or no --scope)\n"},
      {{"--select", "nothing-by-this-name", "ff:/*/x/"},
       "finderix: --select nothing-by-this-name: no such item in the folder\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.message);
    std::vector<std::string> command = {FINDERIX_PROGRAM_PATH, "--registry", Registry()};
    command.insert(command.end(), row.arguments.begin(), row.arguments.end());
    ExpectRefused(RunProgram(command, Tree(), Scratch()), row.message);
  }
  EXPECT_FALSE(Exists(Registry()));
}

TEST_F(Finderix, UnusableRegistryFileIsRefusedBeforeAnythingRuns) {
  const std::map<std::string, std::string> before = Contents(Tree());
  WriteText(Registry(), std::string(4096, 'x'));  // not a settings file
  Outcome damaged = Finder({"--use-stored", "ff:/*/needle/"});
  EXPECT_EQ(damaged.status, 2);
  EXPECT_EQ(damaged.out, "");
  EXPECT_NE(damaged.err.find("it is damaged"), std::string::npos) << damaged.err;
  EXPECT_EQ(Slurp(Registry()), std::string(4096, 'x'));

  Outcome missing = RunProgram({FINDERIX_PROGRAM_PATH, "--registry", folder_.Posix("no/such/r.db"),
                            "--save", "-C", Tree(), "ff:/*/needle/"},
                           Scratch(), Scratch());
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("cannot be opened"), std::string::npos) << missing.err;
  EXPECT_EQ(Contents(Tree()), before);
}

TEST_F(Finderix, ReadOnlyRegistryFileIsRefusedForAnotherUser) {
  ASSERT_EQ(Finder({"--save", "ff:/*/needle/"}).status, 0);  // creates the registry, owned by root
  const std::string scratch = folder_.Posix("nobody");
  fs::create_directories(scratch);
  chmod(folder_.path().c_str(), 0755);
  chmod(scratch.c_str(), 0777);
  int status = RunAsNobody([&] {
    Outcome run = RunProgram({FINDERIX_PROGRAM_PATH, "--registry", Registry(), "--save", "-C",
                              Tree(), "ff:/*/needle/"},
                             scratch, scratch);
    bool refused = run.status == 2 && run.out.empty() &&
                   run.err.find("cannot be written") != std::string::npos;
    return refused ? 0 : 1;
  });
  EXPECT_EQ(status, 0);
}

// --- Dialogs and questions without a terminal ---

TEST_F(Finderix, DialogWithoutTerminalIsCancelledAndAcceptedWithY) {
  Outcome cancelled = Finder({"ff:/*/needle/cd"});
  EXPECT_EQ(cancelled.status, 2);
  EXPECT_EQ(cancelled.out, "");
  EXPECT_NE(cancelled.err.find("-y accepts it"), std::string::npos) << cancelled.err;

  Outcome accepted = Finder({"-y", "ff:/*/needle/cd"});
  Outcome expected = Tool({"grep", "-rlF", "needle", "."}, Tree());
  EXPECT_EQ(accepted.status, 0) << accepted.err;
  EXPECT_EQ(Relative(accepted.out, Tree()), Relative(expected.out, Tree()));
}

TEST_F(Finderix, BadPatternInAnAcceptedDialogEndsInsteadOfLooping) {
  Outcome run = Finder({"-y", "ff:/*/a(b/rd"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("came back unchanged"), std::string::npos) << run.err;
}

// True once the process catches `signal`, or false when it ended first
// (or did not within ten seconds).
bool WaitUntilCatching(pid_t process, int signal) {
  const std::string status_file = "/proc/" + std::to_string(process) + "/status";
  for (int tries = 0; tries < 1000; tries++) {
    std::istringstream status(Slurp(status_file));
    for (std::string line; std::getline(status, line);) {
      if (line.rfind("SigCgt:", 0) != 0) continue;
      if ((std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1) return true;
    }
    usleep(10 * 1000);
  }
  return false;
}

TEST_F(Finderix, CtrlCStopsTheWalkAndCancels) {
  // A walk over a large system folder for a text nowhere in it takes far
  // longer than the moment the interrupt comes after.
  pid_t child = StartProgram({FINDERIX_PROGRAM_PATH, "--registry", Registry(), "--set",
                              "FSearchIn=3", "-C", "/usr", "ff:/*/zq7 no such text xk9/c"},
                             Scratch(), Scratch());
  // A slow start would die of the interrupt before it can take it.
  if (!WaitUntilCatching(child, SIGINT)) kill(child, SIGKILL);
  usleep(300 * 1000);
  int wait_status = 0;
  if (waitpid(child, &wait_status, WNOHANG) == child) GTEST_SKIP() << "the walk ended too soon";
  const auto interrupted = std::chrono::steady_clock::now();
  kill(child, SIGINT);
  Outcome run = WaitProgram(child, Scratch());
  EXPECT_LT(std::chrono::steady_clock::now() - interrupted, std::chrono::seconds(5));
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("finderix: stopped"), std::string::npos) << run.err;
}

// --- A shell run stands alone ---

// Writes module settings into a registry file, as an earlier full-screen
// session would have left them.
void StoreSettings(const std::string& registry, const std::map<std::string, DWORD>& values) {
  platform::SetRegistryFile(registry);
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Far\\Plugins\\Finderix", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  for (const auto& [name, value] : values)
    RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof value);
  RegCloseKey(key);
  platform::CloseRegistry();
}

// One folder to work in, a file beside it that no run may reach, and
// stored settings that would mislead a run that read them: the drive root
// as scope, and inverse on.
class FinderixShellRun : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(Work() + "/sub");
    fs::create_directories(folder_.Posix("outside"));
    WriteText(Work() + "/a.txt", "TODO one\n");
    WriteText(Work() + "/sub/b.txt", "TODO two\n");
    WriteText(Work() + "/ro.txt", "TODO read-only\n");
    chmod((Work() + "/ro.txt").c_str(), 0444);
    WriteText(folder_.Posix("outside/c.txt"), "TODO outside\n");
    StoreSettings(Registry(), {{"FSearchIn", 2}, {"FSInverse", 1}});
  }

  std::string Work() const { return folder_.Posix("work"); }
  std::string Registry() const { return folder_.Posix("registry.db"); }

  TempFolder folder_;
};

TEST_F(FinderixShellRun, EachRunStartsFromTheDefaultsInItsFolderAndEndsHonestly) {
  struct Row {
    std::vector<std::string> arguments;
    int status;
    std::vector<std::string> listed;  // relative to the work folder, sorted
    std::string err;                  // a fragment of standard error; "" for none at all
  };
  const std::string work = Work();
  const Row rows[] = {
      // The folder and its subfolders, whatever is stored; never the file beside it.
      {{"ff: TODO"}, 0, {"a.txt", "ro.txt", "sub/b.txt"}, ""},
      {{"--scope", "folder", "ff:/*/TODO/"}, 0, {"a.txt", "ro.txt"}, ""},
      // Letters last one run: inverse, then not.
      {{"ff:/*/todo/ci"}, 0, {"a.txt", "ro.txt", "sub/b.txt"}, ""},
      {{"ff:/*/todo/c"}, 1, {}, "No files found"},
      // Stored settings only when asked: inverse is stored.
      {{"--use-stored", "--scope", "tree", "ff:/*/TODO/"}, 1, {}, "No files found"},
      // A replace over the stored drive root needs --scope root.
      {{"--use-stored", "ff:/*.txt/TODO/DONE/"}, 2, {}, "needs --scope root on the command line"},
      // Bad input: one line, nothing run.
      {{"--scope", "nowhere", "ff: TODO"}, 2, {}, "finderix: --scope nowhere: not a scope"},
      {{"ff", "TODO"}, 2, {}, "did you mean 'ff: TODO'?"},
      // What the platform changed, and what was refused.
      {{"ff:/*.txt/TODO/DONE/"}, 2, {}, "2 files changed, 1 refused (read-only): " + work + "/ro.txt\n"},
      {{"ff:/*.txt/TODO/DONE/"}, 2, {}, "0 files changed, 1 refused (read-only): "},
      {{"ff:/*.txt/no such text/x/"}, 1, {}, ""},
      {{"ff:/*/DONE/"}, 0, {"a.txt", "sub/b.txt"}, ""},
  };
  const std::string stored = Slurp(Registry());
  for (const Row& row : rows) {
    SCOPED_TRACE(row.arguments.back() + " " + row.arguments.front());
    std::vector<std::string> command = {FINDERIX_PROGRAM_PATH, "--registry", Registry(), "-C", work};
    command.insert(command.end(), row.arguments.begin(), row.arguments.end());
    Outcome run = RunProgram(command, folder_.path(), folder_.path());
    EXPECT_EQ(run.status, row.status) << run.err;
    EXPECT_EQ(Relative(run.out, work), row.listed);
    if (row.err.empty()) {
      EXPECT_EQ(run.err, "");
    } else {
      EXPECT_NE(run.err.find(row.err), std::string::npos) << run.err;
    }
    EXPECT_EQ((run.out + run.err).find("C:\\"), std::string::npos);
    EXPECT_EQ(Slurp(Registry()), stored);
  }
  EXPECT_EQ(Slurp(folder_.Posix("outside/c.txt")), "TODO outside\n");
}

TEST_F(FinderixShellRun, SelectedItemsAreTheScopeOfEveryForm) {
  struct Row {
    std::vector<std::string> arguments;
    int status;
    std::vector<std::string> listed;  // relative to the work folder, sorted
  };
  const Row rows[] = {
      {{"--select", "a.txt", "--select", "sub", "ff:/*/TODO/"}, 0, {"a.txt", "sub/b.txt"}},
      {{"--scope", "selected", "--select", "ro.txt", "ff: TODO"}, 0, {"ro.txt"}},
      {{"--select", "a.txt", "ff:|*.txt,*.md|TODO|ci"}, 1, {}},
      // The dialog the text asks for comes with the selection marked.
      {{"--select", "a.txt", "ff:/*/TODO/d"}, 2, {}},
      {{"-y", "--select", "a.txt", "ff:/*/TODO/d"}, 0, {"a.txt"}},
      {{"--select", "sub", "ff:/*.txt/TODO/DONE/v"}, 0, {"sub/b.txt"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.arguments.back());
    std::vector<std::string> command = {FINDERIX_PROGRAM_PATH, "--registry", Registry(), "-C", Work()};
    command.insert(command.end(), row.arguments.begin(), row.arguments.end());
    Outcome run = RunProgram(command, folder_.path(), folder_.path());
    EXPECT_EQ(run.status, row.status) << run.err;
    EXPECT_EQ(Relative(run.out, Work()), row.listed);
  }
  EXPECT_EQ(Slurp(Work() + "/a.txt"), "TODO one\n");
  EXPECT_EQ(Slurp(Work() + "/sub/b.txt"), "DONE two\n");
}

TEST_F(FinderixShellRun, ABackupInTheWayIsNamedAndEscAnswersLeaveTheFileAlone) {
  auto run = [&](const std::string& text) {
    return RunProgram({FINDERIX_PROGRAM_PATH, "--registry", Registry(), "-C", Work(), text},
                      folder_.path(), folder_.path());
  };
  struct stat before {}, after {};
  ASSERT_EQ(stat((Work() + "/a.txt").c_str(), &before), 0);
  Outcome asked = run("ff:/a.txt/TODO/DONE/e");
  EXPECT_EQ(asked.status, 1) << asked.err;
  ASSERT_EQ(stat((Work() + "/a.txt").c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);

  WriteText(Work() + "/a.txt.old", "kept\n");
  Outcome backed = run("ff:/*.txt/TODO/DONE/o");
  EXPECT_EQ(backed.status, 2);
  EXPECT_NE(backed.err.find("1 file changed, 1 failed ("), std::string::npos) << backed.err;
  EXPECT_NE(backed.err.find(Work() + "/a.txt.old"), std::string::npos) << backed.err;
  EXPECT_EQ(Slurp(Work() + "/a.txt.old"), "kept\n");
  EXPECT_EQ(Slurp(Work() + "/sub/b.txt"), "DONE two\n");
}

TEST_F(FinderixShellRun, SaveStoresWhatTheRunEndedWith) {
  auto run = [&](std::vector<std::string> arguments) {
    std::vector<std::string> command = {FINDERIX_PROGRAM_PATH, "--registry", Registry(), "-C", Work()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return RunProgram(command, folder_.path(), folder_.path());
  };
  ASSERT_EQ(run({"--save", "--scope", "folder", "ff:/*/TODO/I"}).status, 0);
  // The selected-items scope is not stored: it would read back as the drive root.
  ASSERT_EQ(run({"--save", "--select", "sub", "ff:/*/TODO/"}).status, 0);
  Outcome stored = run({"--use-stored", "ff:/*/TODO/"});
  EXPECT_EQ(stored.status, 0) << stored.err;
  EXPECT_EQ(Relative(stored.out, Work()), (std::vector<std::string>{"a.txt", "ro.txt"}));
}

// --- Replace against perl ---

class FinderixReplace : public Finderix {
 protected:
  void SetUp() override {
    Finderix::SetUp();
    GenerateTree(Copy(), 7);
  }
  std::string Copy() const { return folder_.Posix("copy"); }

  // perl -pi -e EXPRESSION on the copy's files that `mask` (a suffix) names.
  void PerlOnCopy(const std::string& expression, const std::string& suffix) {
    std::vector<std::string> command = {"perl", "-pi", "-e", expression};
    for (const auto& [path, content] : Contents(Copy()))
      if (path.size() >= suffix.size() && path.ends_with(suffix)) command.push_back(path);
    ASSERT_EQ(Tool(command, Copy()).status, 0);
  }
};

TEST_F(FinderixReplace, PlainReplaceGivesWhatPerlGives) {
  Outcome run = Finder({"ff:/*.txt/foo/B\\x41R/c"});
  PerlOnCopy("s/foo/BAR/g", ".txt");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Contents(Tree()), Contents(Copy()));
}

TEST_F(FinderixReplace, PatternReplaceWithGroupsGivesWhatPerlGivesAndListsChangedFiles) {
  const std::map<std::string, std::string> before = Contents(Tree());
  Outcome run = Finder({"ff:#*.log#(\\w+)=(\\d+)#\\U$2=$1#rcv"});
  PerlOnCopy("s/(\\w+)=(\\d+)/\\U$2=$1/g", ".log");
  EXPECT_EQ(run.status, 0) << run.err;
  const std::map<std::string, std::string> after = Contents(Tree());
  EXPECT_EQ(after, Contents(Copy()));
  std::vector<std::string> changed;
  for (const auto& [path, content] : after)
    if (before.at(path) != content) changed.push_back(path);
  EXPECT_FALSE(changed.empty());
  EXPECT_EQ(Relative(run.out, Tree()), changed);
}

TEST_F(FinderixReplace, QuestionsWithoutTerminalChangeNothing) {
  const std::map<std::string, std::string> before = Contents(Tree());
  for (const char* command : {"ff:/*.txt/foo/bar/f", "ff:/*.txt/foo/bar/e"}) {
    SCOPED_TRACE(command);
    Outcome run = Finder({command});
    EXPECT_EQ(run.status, 1) << run.err;  // Esc skips: nothing changed, nothing failed
    EXPECT_EQ(Contents(Tree()), before);
  }
}

// --- Rename against the Perl rename tool ---

class FinderixRename : public Finderix {
 protected:
  void MakeFlatFolders() {
    for (const std::string& folder : {folder_.Posix("names"), folder_.Posix("expected")}) {
      fs::create_directories(folder);
      for (const char* name : {"report 12.txt", "Old-7.txt", "old.old.log", "notes.txt",
                               "x99y100.txt", "OLDER.log", "keep.c"})
        WriteText(folder + "/" + name, name);
    }
  }
  Outcome RenameTool(const std::string& expression, const std::string& glob) {
    std::vector<std::string> command = {"rename", expression};
    for (const std::string& name : Names(folder_.Posix("expected")))
      if (fs::path(name).extension() == glob) command.push_back(name);
    return Tool(command, folder_.Posix("expected"));
  }
};

TEST_F(FinderixRename, PatternRenameGivesTheNamesRenameGives) {
  MakeFlatFolders();
  Outcome run = Finder({"-y", "--set", "FSearchIn=4", "ff:/*.txt/(\\d+)/n$1/rn"},
                   folder_.Posix("names"));
  ASSERT_EQ(RenameTool("s/(\\d+)/n$1/", ".txt").status, 0);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Names(folder_.Posix("names")), Names(folder_.Posix("expected")));
}

TEST_F(FinderixRename, LiteralRenameIgnoresLetterCaseLikeRenameWithI) {
  MakeFlatFolders();
  Outcome run = Finder({"-y", "--set", "FSearchIn=4", "ff:/*.log/old/new/n"},
                   folder_.Posix("names"));
  ASSERT_EQ(RenameTool("s/old/new/i", ".log").status, 0);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Names(folder_.Posix("names")), Names(folder_.Posix("expected")));
}

TEST_F(FinderixRename, RenameWithoutTerminalOrYRenamesNothing) {
  MakeFlatFolders();
  const std::vector<std::string> before = Names(folder_.Posix("names"));
  Outcome run = Finder({"--set", "FSearchIn=4", "ff:/*.txt/(\\d+)/n$1/rn"}, folder_.Posix("names"));
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(Names(folder_.Posix("names")), before);
}

// --- Names the module cannot spell ---

class FinderixNames : public Finderix {
 protected:
  std::string Root() const { return folder_.Posix("names"); }

  void Make(const std::string& relative, const std::string& content) {
    fs::create_directories(fs::path(Root() + "/" + relative).parent_path());
    WriteText(Root() + "/" + relative, content);
  }
};

// Standard output and error carry no raw control character but line ends.
bool TerminalSafe(const std::string& text) {
  return std::none_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\n') || byte == 0x7F;
  });
}

TEST_F(FinderixNames, ReplaceNeverLeavesTheChosenFolderThroughABackslashName) {
  struct Row {
    const char* scope;
    std::map<std::string, std::string> inner_after;
  } rows[] = {
      {"FSearchIn=4",
       {{"mine.txt", "vv1\n"}, {"..\\outside\\secret.txt", "vv1\n"},
        {"..\\outside/secret.txt", "v1\n"}}},
      {"FSearchIn=3",
       {{"mine.txt", "vv1\n"}, {"..\\outside\\secret.txt", "vv1\n"},
        {"..\\outside/secret.txt", "vv1\n"}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.scope);
    fs::remove_all(Root());
    Make("outside/secret.txt", "v1\n");
    Make("inner/mine.txt", "v1\n");
    Make("inner/..\\outside\\secret.txt", "v1\n");
    Make("inner/..\\outside/secret.txt", "v1\n");
    Outcome run = Finder({"--set", row.scope, "ff:/*/v/vv/pcv"}, Root() + "/inner");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Contents(Root() + "/outside"), (std::map<std::string, std::string>{
                                                 {"secret.txt", "v1\n"}}));
    EXPECT_EQ(Contents(Root() + "/inner"), row.inner_after);
    std::vector<std::string> changed;
    for (const auto& [path, content] : row.inner_after)
      if (content == "vv1\n") changed.push_back("inner/" + path);
    std::sort(changed.begin(), changed.end());
    EXPECT_EQ(Relative(run.out, Root()), changed);
  }
}

TEST_F(FinderixNames, NamesThatReadTheSameAreEachReplacedOnce) {
  for (const char* name : {"a?.txt", "aé.txt", "a€.txt", "a?~1.txt", "a\\b.txt", "a/b.txt",
                           "d?/f.txt", "dé/f.txt"}) {
    Make(name, "v1\n");
  }
  Outcome run = Finder({"--set", "FSearchIn=3", "ff:/*/v/vv/pcv"}, Root());
  EXPECT_EQ(run.status, 0) << run.err;
  const std::map<std::string, std::string> after = Contents(Root());
  EXPECT_EQ(after.size(), 8u);
  for (const auto& [path, content] : after) EXPECT_EQ(content, "vv1\n") << path;
  EXPECT_EQ(Lines(run.out).size(), 8u);
}

TEST_F(FinderixNames, SearchFindsTheOneHoldingTheWordAndPrintsItsRealPath) {
  Make("日本.txt", "a needle here\n");
  Make("中国.txt", "only hay\n");
  Outcome found = Finder({"ff:/*/needle/"}, Root());
  EXPECT_EQ(found.status, 0) << found.err;
  EXPECT_EQ(found.out, Root() + "/日本.txt\n");
  EXPECT_EQ(found.err, "");
  Outcome inverse = Finder({"ff:/*/needle/i"}, Root());
  EXPECT_EQ(inverse.status, 0) << inverse.err;
  EXPECT_EQ(inverse.out, Root() + "/中国.txt\n");
}

TEST_F(FinderixNames, ControlCharactersAndBadBytesInNamesAreHandledAndShownEscaped) {
  struct Row {
    const char* on_disk;
    const char* printed;
  } rows[] = {
      {"line\nbreak.txt", "line\\x0Abreak.txt"},
      {"\x1b[31mred.txt", "\\x1B[31mred.txt"},
      {"\xff\xfe.txt", "\\xFF\\xFE.txt"},
      {"plain.txt", "plain.txt"},
  };
  std::vector<std::string> printed;
  for (const Row& row : rows) {
    Make(row.on_disk, "a needle\n");
    printed.push_back(Root() + "/" + row.printed);
  }
  std::sort(printed.begin(), printed.end());
  Outcome found = Finder({"ff:/*/needle/"}, Root());
  EXPECT_EQ(found.status, 0) << found.err;
  std::vector<std::string> listed = Lines(found.out);
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, printed);
  EXPECT_TRUE(TerminalSafe(found.out));
  EXPECT_TRUE(TerminalSafe(found.err));
  Outcome replaced = Finder({"ff:/*/needle/pin/pcv"}, Root());
  EXPECT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_TRUE(TerminalSafe(replaced.out));
  for (const Row& row : rows) EXPECT_EQ(Slurp(Root() + "/" + row.on_disk), "a pin\n");
}

}  // namespace

// --- A dry run against the real run ---

// Every entry under a folder with its inode and modification and change
// times (nanoseconds), symbolic links not followed.
std::map<std::string, std::vector<long>> Stamps(const std::string& root) {
  std::map<std::string, std::vector<long>> stamps;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    struct stat st;
    lstat(entry.path().c_str(), &st);
    stamps[entry.path()] = {static_cast<long>(st.st_ino), st.st_mtim.tv_sec, st.st_mtim.tv_nsec,
                            st.st_ctim.tv_sec, st.st_ctim.tv_nsec};
  }
  return stamps;
}

// Every entry under a folder, folders included, by relative path.
std::set<std::string> AllPaths(const std::string& root) {
  std::set<std::string> paths;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    paths.insert(fs::relative(entry.path(), root).string());
  return paths;
}

// The paths `before` becomes when each "OLD -> NEW" line of a dry run
// renames its entry (and what lies beneath it).
std::set<std::string> Renamed(const std::set<std::string>& before, const std::string& root,
                              const std::string& printed) {
  std::map<std::string, std::string> renames;
  for (const std::string& line : Lines(printed)) {
    const size_t arrow = line.find(" -> ");
    EXPECT_NE(arrow, std::string::npos) << line;
    renames[fs::relative(line.substr(0, arrow), root)] = fs::relative(line.substr(arrow + 4), root);
  }
  std::set<std::string> after;
  for (const std::string& path : before) {
    std::string renamed = path;
    for (std::string prefix = path; !prefix.empty(); prefix = fs::path(prefix).parent_path()) {
      const auto found = renames.find(prefix);
      if (found == renames.end()) continue;
      renamed = found->second + path.substr(prefix.size());
      break;
    }
    after.insert(renamed);
  }
  return after;
}

class FinderixDryRun : public Finderix {
 protected:
  void SetUp() override {
    Finderix::SetUp();
    WriteText(Tree() + "/crlf.txt", "foo one\r\nkey=7\r\nfoo");
    // Second names for a file: one met beside it, before or after it as
    // the listing goes, and one met after the rewrite is in place, when
    // the new content no longer matches; each is refused all the same.
    WriteText(Tree() + "/target.txt", "key=7 behind a link\n");
    fs::create_symlink("target.txt", Tree() + "/link.txt");
    fs::create_directories(Tree() + "/a/b");
    fs::create_symlink("../../target.txt", Tree() + "/a/b/link.txt");
  }
  std::string Copy() const { return folder_.Posix("copy"); }
};

TEST_F(FinderixDryRun, ItsDiffPatchedOntoACopyGivesTheRealRunsFilesAndTheTreeIsUntouched) {
  // Groups, CR LF, files without a final newline, links, backups.
  const char* command = "ff:#*#(\\w+)=(\\d+)#$2=$1#ro";
  fs::copy(Tree(), Copy(), fs::copy_options::recursive | fs::copy_options::copy_symlinks);
  const auto stamps = Stamps(Tree());
  Outcome dry = Finder({"--dry-run", command});
  EXPECT_NE(dry.err.find("files would change"), std::string::npos) << dry.err;
  EXPECT_EQ(Stamps(Tree()), stamps);
  WriteText(Scratch() + "/change.diff", dry.out);
  ASSERT_EQ(Tool({"patch", "-p1", "-s", "-i", Scratch() + "/change.diff"}, Copy()).status, 0)
      << dry.out;
  Outcome real = Finder({command});
  EXPECT_EQ(dry.status, real.status) << dry.err << real.err;
  EXPECT_EQ(std::count(dry.err.begin(), dry.err.end(), '\n'),
            std::count(real.err.begin(), real.err.end(), '\n')) << dry.err << real.err;
  EXPECT_EQ(Contents(Tree()), Contents(Copy()));
  EXPECT_NE(Contents(Tree()).count("crlf.txt.old"), 0u);
}

TEST_F(FinderixDryRun, ItsRenamesAreTheRealRunsWithCollisionsRepeatsAndCounters) {
  const std::string root = folder_.Posix("names");
  for (const char* name : {"a.txt", "aa.txt", "ba.txt", "b.txt", "Ab.log", "adir/a1.txt",
                           "adir/ab.txt", "caa.log", "c-2.txt", "c-4.txt", "cc.txt", "cd.txt", "ce.txt"}) {
    fs::create_directories(fs::path(root + "/" + name).parent_path());
    WriteText(root + "/" + name, name);
  }
  const std::vector<std::vector<std::string>> commands = {
      {"--set", "FRepeating=1", "ff:/*/a/b/n"},  // "caa" is renamed twice, "a" meets "b"
      {"ff:/c*.txt/^(\\w)\\w*/$1-$N/rn"},        // counters that meet names taken
  };
  for (std::vector<std::string> command : commands) {
    SCOPED_TRACE(command.back());
    command.insert(command.begin(), "-y");
    const std::set<std::string> before = AllPaths(root);
    const auto stamps = Stamps(root);
    command.insert(command.begin(), "--dry-run");
    Outcome dry = Finder(command, root);
    EXPECT_EQ(Stamps(root), stamps);
    command.erase(command.begin());
    Outcome real = Finder(command, root);
    EXPECT_EQ(dry.status, real.status) << dry.err << real.err;
    EXPECT_NE(dry.out, "");
    EXPECT_EQ(Renamed(before, root, dry.out), AllPaths(root)) << dry.out;
  }
}

// Renamed folders each holding renamed subfolders: the counters number the
// entries in the order the walk meets them, which must not depend on how
// the file system orders the new names it lists.
TEST_F(FinderixDryRun, ItsRenamesInRenamedFoldersAreTheRealRunsCounterForCounter) {
  const std::string root = folder_.Posix("nested");
  for (const char* top : {"a1", "a2", "a3", "a4", "a5"})
    for (const char* sub : {"ab", "ac", "ad", "ae"}) {
      fs::create_directories(root + "/" + top + "/" + sub);
      WriteText(root + "/" + top + "/" + sub + "/af.txt", "");
      WriteText(root + "/" + top + "/ag.txt", "");
    }
  const std::set<std::string> before = AllPaths(root);
  Outcome dry = Finder({"--dry-run", "-y", "ff:/*/^a(\\w)/z$1-$N/rn"}, root);
  Outcome real = Finder({"-y", "ff:/*/^a(\\w)/z$1-$N/rn"}, root);
  EXPECT_EQ(dry.status, real.status) << dry.err << real.err;
  EXPECT_EQ(Renamed(before, root, dry.out), AllPaths(root)) << dry.out;
}

TEST_F(FinderixDryRun, ASearchOrNoCommandIsRefused) {
  for (const char* command : {"ff:/*/needle/", "--registry=x.db"}) {
    SCOPED_TRACE(command);
    Outcome run = Finder({"--dry-run", command});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("--dry-run"), std::string::npos) << run.err;
  }
}
