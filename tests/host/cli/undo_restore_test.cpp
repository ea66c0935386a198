// Recording and taking back runs of changes made through the platform's own
// calls: random rewrites, moves (chains and swaps among them) and replacing
// moves, with the journal on the files' file system (old inodes linked) and
// on another (old content copied); the tree after undo against the tree
// before, byte for byte, with modes and modification times.
#include "host/cli/undo_restore.hpp"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "host/core/undo_recorder.hpp"
#include "platform/host_bridge.hpp"
#include "tests/support/temp_folder.hpp"
#include "tests/support/tree_snapshot.hpp"

namespace {

namespace fs = std::filesystem;
using host::cli::KeepWhatIsLeft;
using host::cli::LeftAlone;
using host::cli::RestoreOutcome;
using host::cli::TakeBackRun;

constexpr int kNames = 8;     // f0..f7; the first few exist at the start
constexpr int kFiles = 5;

// A scratch folder on another file system than the temporary folder, or
// empty when there is none.
class OtherFileSystemFolder {
 public:
  OtherFileSystemFolder() {
    struct stat tmp, shm;
    if (stat(fs::temp_directory_path().c_str(), &tmp) != 0 || stat("/dev/shm", &shm) != 0 ||
        tmp.st_dev == shm.st_dev)
      return;
    char pattern[] = "/dev/shm/finderix-undo-XXXXXX";
    if (mkdtemp(pattern)) path_ = pattern;
  }
  ~OtherFileSystemFolder() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

class UndoRestore : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    fs::create_directories(Tree());
    if (GetParam()) {
      if (other_.path().empty()) GTEST_SKIP() << "no second file system to copy to";
      state_ = other_.path() + "/state";
    } else {
      state_ = folder_.Posix("state");
    }
    recorder_ = std::make_unique<host::UndoRecorder>(state_);
    platform::InstallChangeObserver(recorder_.get());
  }
  void TearDown() override { platform::InstallChangeObserver(nullptr); }

  std::string Tree() const { return folder_.Posix("tree"); }
  std::string Name(int n) const { return Tree() + "/f" + std::to_string(n); }

  void MakeFiles(std::mt19937& random) {
    const unsigned modes[] = {0600, 0640, 0755, 0444};
    for (int n = 0; n < kFiles; n++) {
      WriteText(Name(n), "file " + std::to_string(n) + " " + std::to_string(random()));
      chmod(Name(n).c_str(), modes[random() % 4]);
      const timespec times[2] = {{1000000 + n, 5}, {2000000 + n * 7, 123456789}};
      utimensat(AT_FDCWD, Name(n).c_str(), times, 0);
    }
  }

  // One random change through the platform, as the module makes them.
  void RandomChange(std::mt19937& random) {
    const std::string from = Name(static_cast<int>(random() % kNames));
    const std::string to = Name(static_cast<int>(random() % kNames));
    std::string error;
    switch (random() % 3) {
      case 0:  // the module only rewrites files that are there
        if (Exists(from)) platform::WriteFileSafely(from, "new " + std::to_string(random()), &error);
        break;
      case 1: MoveFileA(ModuleForm(from).c_str(), ModuleForm(to).c_str()); break;
      case 2:
        MoveFileExA(ModuleForm(from).c_str(), ModuleForm(to).c_str(), MOVEFILE_REPLACE_EXISTING);
        break;
    }
  }

  std::unique_ptr<host::UndoJournal> Journal() {
    std::string error;
    std::unique_ptr<host::UndoJournal> journal = host::UndoJournal::Open(state_, false, &error);
    EXPECT_TRUE(journal) << error;
    return journal;
  }

  // Takes back the newest run, and then, when `keep` says so, lets the
  // journal keep only what was not taken back, as the program does.
  RestoreOutcome Undo(bool* taken = nullptr, bool keep = false) {
    std::string error;
    std::unique_ptr<host::UndoJournal> journal = Journal();
    RestoreOutcome outcome;
    if (!journal) return outcome;
    std::vector<host::JournalRun> runs = journal->Runs();
    if (runs.empty()) return outcome;
    const bool ok = TakeBackRun(*journal, runs.front(), &outcome, &error);
    if (taken) *taken = ok;
    else EXPECT_TRUE(ok) << error;
    if (keep) {
      EXPECT_TRUE(KeepWhatIsLeft(*journal, runs.front(), outcome)) << journal->error();
    }
    return outcome;
  }

  // The changes of the newest run the journal keeps, by number.
  std::vector<int64_t> KeptChanges() {
    std::vector<int64_t> kept;
    std::unique_ptr<host::UndoJournal> journal = Journal();
    std::vector<host::JournalRun> runs = journal ? journal->Runs() : std::vector<host::JournalRun>{};
    if (runs.empty()) return kept;
    for (const host::JournalChange& change : journal->Changes(runs.front().id)) kept.push_back(change.seq);
    return kept;
  }

  TempFolder folder_;
  OtherFileSystemFolder other_;
  std::string state_;
  std::unique_ptr<host::UndoRecorder> recorder_;
};

INSTANTIATE_TEST_SUITE_P(Journal, UndoRestore, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? "OldContentCopied" : "OldInodesLinked";
                         });

// --- Against the tree as it was ---

TEST_P(UndoRestore, RandomRewritesMovesAndReplacingMovesAllComeBack) {
  for (unsigned seed = 1; seed <= 10; seed++) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    fs::remove_all(Tree());
    fs::create_directories(Tree());
    MakeFiles(random);
    const TreeSnapshot before = SnapshotOf(Tree());
    recorder_->BeginRun(Tree(), "random");
    for (int step = 0; step < 14; step++) RandomChange(random);
    recorder_->EndRun();
    EXPECT_EQ(recorder_->TakeError(), "");

    RestoreOutcome outcome = Undo();
    EXPECT_EQ(SnapshotOf(Tree()), before);
    EXPECT_TRUE(outcome.changed_since.empty());
    EXPECT_TRUE(outcome.failed.empty());
  }
}

TEST_P(UndoRestore, ChainsAndSwapsComeBackInReverseOrder) {
  std::mt19937 random(3);
  MakeFiles(random);
  const TreeSnapshot before = SnapshotOf(Tree());
  recorder_->BeginRun(Tree(), "chain and swap");
  const std::pair<int, int> moves[] = {{1, 5}, {0, 1}, {2, 6}, {3, 2}, {6, 3}};  // chain, swap
  for (auto [from, to] : moves)
    ASSERT_TRUE(MoveFileA(ModuleForm(Name(from)).c_str(), ModuleForm(Name(to)).c_str()));
  recorder_->EndRun();
  ASSERT_NE(SnapshotOf(Tree()), before);

  EXPECT_EQ(Undo().restored.size(), 5u);
  EXPECT_EQ(SnapshotOf(Tree()), before);
}

TEST_P(UndoRestore, AnUndoCutShortIsFinishedByTheNextAndNothingIsDoneTwice) {
  std::mt19937 random(5);
  MakeFiles(random);
  const TreeSnapshot before = SnapshotOf(Tree());
  recorder_->BeginRun(Tree(), "twice");
  std::string error;
  ASSERT_TRUE(platform::WriteFileSafely(Name(0), "changed", &error)) << error;
  ASSERT_TRUE(MoveFileA(ModuleForm(Name(1)).c_str(), ModuleForm(Name(6)).c_str()));
  recorder_->EndRun();

  // Taking back the same run again, as after a kill before it left the
  // journal, finds everything back already.
  EXPECT_EQ(Undo().restored.size(), 2u);
  RestoreOutcome again = Undo();
  EXPECT_TRUE(again.restored.empty() && again.changed_since.empty() && again.failed.empty());
  EXPECT_EQ(SnapshotOf(Tree()), before);
}

// --- What is not taken back ---

TEST_P(UndoRestore, AFileChangedSinceIsNamedAndLeftAloneTheRestComeBack) {
  std::mt19937 random(7);
  MakeFiles(random);
  TreeSnapshot expected = SnapshotOf(Tree());
  recorder_->BeginRun(Tree(), "edited after");
  std::string error;
  for (int n = 0; n < 3; n++) ASSERT_TRUE(platform::WriteFileSafely(Name(n), "new", &error));
  ASSERT_TRUE(MoveFileA(ModuleForm(Name(3)).c_str(), ModuleForm(Name(7)).c_str()));
  recorder_->EndRun();
  WriteText(Name(1), "edited by hand");
  fs::rename(Name(7), Name(7) + "y");  // the moved file moved on
  expected.erase("f3");
  expected["f7y"] = SnapshotOf(Tree())["f7y"];
  expected["f1"] = SnapshotOf(Tree())["f1"];

  RestoreOutcome outcome = Undo();
  std::vector<std::string> left_alone;
  for (const LeftAlone& entry : outcome.changed_since) left_alone.push_back(entry.path);
  EXPECT_EQ(left_alone, (std::vector<std::string>{Name(7), Name(1)}));
  EXPECT_EQ(outcome.restored, (std::vector<std::string>{Name(2), Name(0)}));
  EXPECT_EQ(SnapshotOf(Tree()), expected);
}

// Left alone: a file edited since (its old content kept), a renamed file
// renamed again, and one whose old name was taken since (a failure). Each
// later undo of the run takes back what is by then as the run left it;
// the journal keeps the rest, and the run goes once all is back.
TEST_P(UndoRestore, WhatWasNotTakenBackStaysForALaterUndoOfTheRun) {
  std::mt19937 random(13);
  MakeFiles(random);
  const TreeSnapshot before = SnapshotOf(Tree());
  // f0's inode stays in use, so that a copy put back in its place cannot
  // take its number by chance.
  const int f0_inode = open(Name(0).c_str(), O_RDONLY | O_CLOEXEC);
  recorder_->BeginRun(Tree(), "partly taken back");
  std::string error;
  ASSERT_TRUE(MoveFileA(ModuleForm(Name(0)).c_str(), ModuleForm(Name(6)).c_str()));  // 1
  ASSERT_TRUE(platform::WriteFileSafely(Name(6), "new six", &error)) << error;        // 2
  ASSERT_TRUE(platform::WriteFileSafely(Name(1), "new one", &error)) << error;        // 3
  ASSERT_TRUE(MoveFileA(ModuleForm(Name(2)).c_str(), ModuleForm(Name(7)).c_str()));  // 4
  recorder_->EndRun();
  struct stat as_run_left;
  ASSERT_EQ(stat(Name(1).c_str(), &as_run_left), 0);
  WriteText(Name(0), "in the way");
  fs::rename(Name(7), Name(7) + "y");
  WriteText(Name(1), "edited by hand");

  RestoreOutcome first = Undo(nullptr, true);
  EXPECT_EQ(first.restored, (std::vector<std::string>{Name(6)}));
  ASSERT_EQ(first.failed.size(), 1u);
  ASSERT_EQ(first.changed_since.size(), 2u);
  EXPECT_EQ(first.changed_since[0].path, Name(7));
  EXPECT_EQ(first.changed_since[0].old_name, Name(2));
  EXPECT_EQ(first.changed_since[1].path, Name(1));
  EXPECT_EQ(ReadText(first.changed_since[1].old_content), before.at("f1").content);
  EXPECT_EQ(KeptChanges(), (std::vector<int64_t>{1, 3, 4}));

  // Put back as the run left them: a copy put back under a new inode is
  // still the entry the rename before it made.
  fs::remove(Name(0));
  fs::rename(Name(7) + "y", Name(7));
  RestoreOutcome second = Undo(nullptr, true);
  EXPECT_EQ(second.restored, (std::vector<std::string>{Name(2), Name(0)}));
  EXPECT_TRUE(second.failed.empty());
  EXPECT_EQ(KeptChanges(), (std::vector<int64_t>{3}));

  WriteText(Name(1), "new one");
  const timespec times[2] = {as_run_left.st_atim, as_run_left.st_mtim};
  utimensat(AT_FDCWD, Name(1).c_str(), times, 0);
  EXPECT_EQ(Undo(nullptr, true).restored, (std::vector<std::string>{Name(1)}));
  EXPECT_EQ(SnapshotOf(Tree()), before);
  std::unique_ptr<host::UndoJournal> journal = Journal();
  ASSERT_TRUE(journal);
  EXPECT_TRUE(journal->Runs().empty());
  close(f0_inode);
}

TEST_P(UndoRestore, LostSavedContentRestoresNothing) {
  std::mt19937 random(9);
  MakeFiles(random);
  recorder_->BeginRun(Tree(), "lost");
  std::string error;
  ASSERT_TRUE(MoveFileA(ModuleForm(Name(0)).c_str(), ModuleForm(Name(6)).c_str()));
  for (int n = 1; n < 3; n++) ASSERT_TRUE(platform::WriteFileSafely(Name(n), "new", &error));
  recorder_->EndRun();
  const TreeSnapshot after_run = SnapshotOf(Tree());
  for (const auto& saved : fs::recursive_directory_iterator(state_ + "/saved"))
    if (saved.is_regular_file() && saved.path().filename() == "3") fs::remove(saved.path());

  bool taken = true;
  Undo(&taken);
  EXPECT_FALSE(taken);
  EXPECT_EQ(SnapshotOf(Tree()), after_run);
}

TEST_P(UndoRestore, ARunThatChangedNothingLeavesNoRun) {
  std::mt19937 random(11);
  MakeFiles(random);
  recorder_->BeginRun(Tree(), "collides");
  EXPECT_FALSE(MoveFileA(ModuleForm(Name(0)).c_str(), ModuleForm(Name(1)).c_str()));
  recorder_->EndRun();
  std::string error;
  std::unique_ptr<host::UndoJournal> journal = host::UndoJournal::Open(state_, false, &error);
  ASSERT_TRUE(journal) << error;
  EXPECT_TRUE(journal->Runs().empty());
}

}  // namespace
