// --undo and --history end to end: the program replaces and renames in a
// scratch tree, with its journal in the scratch folder, and the tree after
// undo is compared with the tree before, byte for byte with modes and times;
// runs killed at several moments, files edited after the run, and journals
// that are missing, damaged or have lost their saved content.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <random>
#include <thread>

#include "tests/support/program_run.hpp"
#include "tests/support/temp_folder.hpp"
#include "tests/support/tree_snapshot.hpp"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

bool Holds(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Scratch names the rewrite leaves only when killed between two calls.
TreeSnapshot WithoutScratch(TreeSnapshot tree) {
  std::erase_if(tree, [](const auto& entry) {
    return fs::path(entry.first).filename().string().starts_with(".finderix-");
  });
  return tree;
}

class UndoCommand : public testing::Test {
 protected:
  void SetUp() override { fs::create_directories(Scratch()); }

  std::string Tree() const { return folder_.Posix("tree"); }
  std::string Scratch() const { return folder_.Posix("scratch"); }
  std::string State() const { return Scratch() + "/state/finderix"; }

  // `count` files under nested folders holding "foo", with varied modes
  // and modification times in the past.
  void MakeTree(int count, unsigned seed) {
    fs::remove_all(Tree());
    fs::create_directories(Tree());
    std::mt19937 random(seed);
    const char* folders[] = {"", "a/", "a/b/", "c d/"};
    const unsigned modes[] = {0644, 0600, 0640, 0755};  // read-only files are not replaced
    for (int i = 0; i < count; i++) {
      const std::string path = Tree() + "/" + folders[random() % 4] + "f" + std::to_string(i) + ".txt";
      fs::create_directories(fs::path(path).parent_path());
      WriteText(path, "line foo " + std::to_string(random()) + "\nno match\nfoo foo\n");
      chmod(path.c_str(), modes[random() % 4]);
      const timespec times[2] = {{1500000000 + i, 0}, {1600000000 + i * 61, 250000000}};
      utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
    WriteText(Tree() + "/untouched.log", "foo stays\n");
  }

  std::vector<std::string> Command(std::vector<std::string> arguments) const {
    std::vector<std::string> command = {FINDERIX_PROGRAM_PATH, "--registry",
                                        folder_.Posix("registry.db"), "--scope", "tree", "-C",
                                        Tree()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
  }
  Outcome Finder(std::vector<std::string> arguments) {
    return RunProgram(Command(std::move(arguments)), Scratch(), Scratch());
  }
  Outcome Undo(std::vector<std::string> more = {}) {
    std::vector<std::string> command = {FINDERIX_PROGRAM_PATH, "--undo"};
    command.insert(command.end(), more.begin(), more.end());
    return RunProgram(command, Scratch(), Scratch());
  }
  Outcome History() { return RunProgram({FINDERIX_PROGRAM_PATH, "--history"}, Scratch(), Scratch()); }

  // Starts `command`, and once `started` says its work has begun, waits
  // `delay` more and kills it with SIGKILL, unless it ended by then.
  void KillDuringWork(const std::vector<std::string>& command, const std::function<bool()>& started,
                      Clock::duration delay) {
    const pid_t child = StartProgram(command, Scratch(), Scratch());
    int status = 0;
    bool ended = false;
    while (!started() && !(ended = waitpid(child, &status, WNOHANG) == child))
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (ended) return;
    std::this_thread::sleep_for(delay);
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
  }

  // The modification times of the tree's folders, which each rename in
  // them changes.
  std::vector<long long> FolderTimes() const {
    std::vector<long long> times;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(Tree(), error)) {
      struct stat st;
      if (entry.is_directory(error) && stat(entry.path().c_str(), &st) == 0)
        times.push_back(st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec);
    }
    return times;
  }

  TempFolder folder_;
};

// --- Against the tree before the run ---

TEST_F(UndoCommand, ReplaceThenUndoGivesTheTreeBackWithModesAndTimes) {
  for (const char* command : {"ff:/*.txt/foo/BAR/co", "ff:#*.txt#(f)oo#$1u#rc"}) {
    SCOPED_TRACE(command);
    MakeTree(12, 1);
    const TreeSnapshot before = SnapshotOf(Tree());
    Outcome run = Finder({command});
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_NE(SnapshotOf(Tree()), before);

    Outcome undo = Undo();
    EXPECT_EQ(undo.status, 0) << undo.err;
    EXPECT_TRUE(Holds(undo.err, "12 files restored")) << undo.err;
    EXPECT_EQ(SnapshotOf(Tree()), before);  // NAME.old backups go too
  }
  EXPECT_EQ(History().status, 1);  // each run left the journal with its undo
}

// Swaps and chains inside one run are taken back by the restore's own tests.
TEST_F(UndoCommand, ARenameChainAcrossRunsComesBackNewestFirst) {
  MakeTree(0, 1);
  for (const char* name : {"a", "b"}) WriteText(Tree() + "/" + name, name);
  const TreeSnapshot before = SnapshotOf(Tree());
  const char* runs[] = {"ff:/b/^b$/c/rn", "ff:/a/^a$/b/rn"};
  for (const char* command : runs) ASSERT_EQ(Finder({"-y", "--scope", "folder", command}).status, 0);
  EXPECT_EQ(ReadText(Tree() + "/c") + ReadText(Tree() + "/b"), "ba");

  Outcome history = History();
  EXPECT_EQ(history.status, 0);
  EXPECT_TRUE(Holds(history.out, "1 file  " + Tree() + "  ff:/a/^a$/b/rn\n")) << history.out;
  EXPECT_LT(history.out.find("ff:/a/"), history.out.find("ff:/b/"));  // newest first
  for (size_t undone = 0; undone < std::size(runs); undone++) EXPECT_EQ(Undo().status, 0);
  EXPECT_EQ(SnapshotOf(Tree()), before);
}

TEST_F(UndoCommand, UndoOfAnOlderRunByItsNumber) {
  MakeTree(3, 2);
  const TreeSnapshot before = SnapshotOf(Tree());
  ASSERT_EQ(Finder({"ff:/*.txt/foo/BAR/c"}).status, 0);
  ASSERT_EQ(Finder({"ff:/*.log/foo/BAZ/c"}).status, 0);
  ASSERT_EQ(Undo({"1"}).status, 0);
  TreeSnapshot expected = before;
  expected["untouched.log"] = SnapshotOf(Tree())["untouched.log"];
  EXPECT_EQ(SnapshotOf(Tree()), expected);
  EXPECT_EQ(ReadText(Tree() + "/untouched.log"), "BAZ stays\n");
}

// --- Kills ---

TEST_F(UndoCommand, KillAtSeveralMomentsOfAReplaceAndItsUndoThenUndoGivesEveryFileBack) {
  using std::chrono::milliseconds;
  for (milliseconds moment : {milliseconds(0), milliseconds(40), milliseconds(300), milliseconds(900)}) {
    SCOPED_TRACE("killed " + std::to_string(moment.count()) + " ms into each");
    fs::remove_all(Scratch() + "/state");
    MakeTree(40, 3);
    const TreeSnapshot before = SnapshotOf(Tree());
    // The journal appears as the first file is about to be replaced.
    KillDuringWork(Command({"ff:/*.txt/foo/BAR/c"}), [&] { return Exists(State() + "/journal.db"); },
                   moment);
    const std::vector<long long> folder_times = FolderTimes();
    // An undo takes a few renames: it is killed as soon as it has begun.
    KillDuringWork({FINDERIX_PROGRAM_PATH, "--undo"}, [&] { return FolderTimes() != folder_times; },
                   milliseconds(0));
    // Killed early, the run may have left no journal, or its killed undo
    // may have finished already.
    Outcome undo = Undo();
    EXPECT_TRUE(undo.status == 0 || undo.status == 1 || Holds(undo.err, "no undo journal") ||
                Holds(undo.err, "holds no run"))
        << undo.err;
    EXPECT_EQ(WithoutScratch(SnapshotOf(Tree())), before);
  }
}

// --- What is left alone ---

TEST_F(UndoCommand, AFileEditedBetweenRunAndUndoIsNamedAndLeftAlone) {
  MakeTree(4, 4);
  const TreeSnapshot before = SnapshotOf(Tree());
  ASSERT_EQ(Finder({"ff:/*.txt/foo/BAR/c"}).status, 0);
  const std::string relative =
      std::find_if(before.begin(), before.end(), [](const auto& entry) {
        return entry.first.ends_with(".txt");
      })->first;
  const std::string edited = Tree() + "/" + relative;
  WriteText(edited, "my own edit\n");

  Outcome undo = Undo();
  EXPECT_EQ(undo.status, 2);
  EXPECT_TRUE(Holds(undo.err, "3 files restored, 1 changed since")) << undo.err;
  EXPECT_EQ(ReadText(edited), "my own edit\n");
  TreeSnapshot expected = before;
  expected[relative] = SnapshotOf(Tree())[relative];
  EXPECT_EQ(SnapshotOf(Tree()), expected);

  // The message says where the old content is kept, and the run stays, with
  // that file alone, for another undo; one that again finds it changed
  // changes nothing.
  const std::string named = edited + ": changed since; not restored (its old content is kept as ";
  const size_t at = undo.err.find(named);
  ASSERT_NE(at, std::string::npos) << undo.err;
  const size_t kept_from = at + named.size();
  const std::string kept = undo.err.substr(kept_from, undo.err.find(")\n", kept_from) - kept_from);
  EXPECT_EQ(ReadText(kept), before.at(relative).content);
  EXPECT_TRUE(Holds(undo.err, "run 1 keeps the rest (finderix --undo 1 tries again)")) << undo.err;
  Outcome history = History();
  EXPECT_TRUE(Holds(history.out, "1 file  " + Tree() + "  ff:/*.txt/foo/BAR/c\n")) << history.out;
  Outcome again = Undo({"1"});
  EXPECT_EQ(again.status, 2);
  EXPECT_TRUE(Holds(again.err, "0 files restored, 1 changed since")) << again.err;
  EXPECT_EQ(SnapshotOf(Tree()), expected);
  EXPECT_EQ(ReadText(kept), before.at(relative).content);
}

TEST_F(UndoCommand, BadJournalsAndArgumentsAreRefusedAndNothingChanges) {
  MakeTree(3, 5);
  ASSERT_EQ(Finder({"ff:/*.txt/foo/BAR/c"}).status, 0);
  const TreeSnapshot after_run = SnapshotOf(Tree());
  struct Row {
    const char* name;
    std::function<void()> spoil;  // each row's spoiling adds to the rows' before it
    std::vector<std::string> undo_arguments;
    const char* message;
  };
  const Row rows[] = {
      {"no such run", [] {}, {"99"}, "no run 99 in the undo journal"},
      {"a command as well", [] {}, {"ff:/*/a/b/"}, "take no ff command"},
      {"saved content deleted", [&] { fs::remove_all(State() + "/saved"); }, {}, "has lost what"},
      {"damaged journal", [&] { WriteText(State() + "/journal.db", std::string(5000, 'x')); },
       {}, "is damaged"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    row.spoil();
    const std::string journal = ReadText(State() + "/journal.db");
    Outcome undo = Undo(row.undo_arguments);
    EXPECT_EQ(undo.status, 2);
    EXPECT_TRUE(Holds(undo.err, row.message)) << undo.err;
    EXPECT_EQ(std::count(undo.err.begin(), undo.err.end(), '\n'), 1) << undo.err;
    EXPECT_EQ(SnapshotOf(Tree()), after_run);
    EXPECT_EQ(ReadText(State() + "/journal.db"), journal);
  }

  // A replace that cannot be journalled is not made.
  Outcome run = Finder({"ff:/*.txt/BAR/foo/c"});
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(Holds(run.err, "is damaged")) << run.err;
  EXPECT_EQ(SnapshotOf(Tree()), after_run);

  fs::remove_all(State());
  Outcome undo = Undo();
  EXPECT_EQ(undo.status, 2);
  EXPECT_TRUE(Holds(undo.err, "no undo journal in")) << undo.err;
}

}  // namespace
