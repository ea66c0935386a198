// Recording a group commit for undo, killed at the moments its batches
// bring: old content kept for a batch the journal does not hold yet, a
// batch recorded with none of it made, a batch half made. After each kill
// every file is whole, and --undo gives the tree back byte for byte and
// leaves no kept content behind; with the journal on the files' file
// system (old inodes linked) and on another (old content copied).
#include "host/core/undo_recorder.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/host_bridge.hpp"
#include "tests/support/program_run.hpp"
#include "tests/support/temp_folder.hpp"
#include "tests/support/tree_snapshot.hpp"

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 90;  // several batches of the group commit

enum class Moment { kKeptNotRecorded, kRecordedNoneMade, kHalfMade };

// Passes every notice on to the recorder, and kills the process at its
// moment of the second batch.
class KillingObserver : public platform::ChangeObserver {
 public:
  KillingObserver(host::UndoRecorder* recorder, Moment moment)
      : recorder_(recorder), moment_(moment) {}

  bool AboutToCommit(const platform::PendingChange& change) override {
    const bool ok = recorder_->AboutToCommit(change);
    if (moment_ == Moment::kKeptNotRecorded && batches_ == 1 && ++announced_ == 3) raise(SIGKILL);
    return ok;
  }
  bool ReadyToCommit() override {
    const bool ok = recorder_->ReadyToCommit();
    batches_++;
    announced_ = made_ = 0;
    if (moment_ == Moment::kRecordedNoneMade && batches_ == 2) raise(SIGKILL);
    return ok;
  }
  void Committed(const std::string& posix_path) override {
    recorder_->Committed(posix_path);
    if (moment_ == Moment::kHalfMade && batches_ == 2 && ++made_ == 3) raise(SIGKILL);
  }

 private:
  host::UndoRecorder* recorder_;
  Moment moment_;
  int batches_ = 0;    // batches made ready so far
  int announced_ = 0;  // changes announced since the last batch
  int made_ = 0;       // changes made since the last batch
};

// A scratch folder on another file system than the temporary folder, or
// empty when there is none.
std::string OtherFileSystemScratch() {
  struct stat tmp, shm;
  if (stat(fs::temp_directory_path().c_str(), &tmp) != 0 || stat("/dev/shm", &shm) != 0 ||
      tmp.st_dev == shm.st_dev)
    return "";
  char pattern[] = "/dev/shm/finderix-recorder-XXXXXX";
  return mkdtemp(pattern) ? pattern : "";
}

class UndoRecorderKilled : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    scratch_ = GetParam() ? OtherFileSystemScratch() : folder_.Posix("scratch");
    if (scratch_.empty()) GTEST_SKIP() << "no second file system to copy to";
    fs::create_directories(scratch_);
  }
  void TearDown() override {
    std::error_code ignored;
    if (GetParam()) fs::remove_all(scratch_, ignored);
  }

  std::string Tree() const { return folder_.Posix("tree"); }
  std::string State() const { return scratch_ + "/state/finderix"; }
  std::string File(int n) const { return "d" + std::to_string(n % 3) + "/f" + std::to_string(n); }

  void MakeTree() {
    fs::remove_all(Tree());
    for (int n = 0; n < kFiles; n++) {
      fs::create_directories(fs::path(Tree() + "/" + File(n)).parent_path());
      WriteText(Tree() + "/" + File(n), "old " + std::to_string(n) + "\n");
      const timespec times[2] = {{1500000000, 0}, {1600000000 + n, 250000000}};
      utimensat(AT_FDCWD, (Tree() + "/" + File(n)).c_str(), times, 0);
    }
  }

  // Rewrites file `n` through the group commit, as the module does.
  void QueueRewrite(int n) {
    const std::string target = folder_.Module("tree/" + File(n));
    const std::string scratch = target + ".new";
    HANDLE reader = CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE writer = CreateFileA(scratch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    const std::string content = "new " + std::to_string(n) + "\n";
    DWORD written = 0;
    WriteFile(writer, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    QueueReplaceFileA(target.c_str(), scratch.c_str(), nullptr);
    CloseHandle(writer);
    CloseHandle(reader);
  }

  // Runs the rewrite of every file in a child killed at `moment`; false
  // when it was not killed.
  bool KilledRun(Moment moment) {
    return RunInChild([&] {
      host::UndoRecorder recorder(State());
      KillingObserver killer(&recorder, moment);
      platform::InstallChangeObserver(&killer);
      recorder.BeginRun(Tree(), "rewrite all");
      DWORD error = 0;
      for (int n = 0; n < kFiles; n++) {
        QueueRewrite(n);
        while (GetQueuedReplaceResult(FALSE, &error)) {
        }
      }
      FlushQueuedReplaces();
      recorder.EndRun();
      return 0;
    }) == -1;
  }

  TempFolder folder_;
  std::string scratch_;
};

INSTANTIATE_TEST_SUITE_P(Journal, UndoRecorderKilled, testing::Values(false, true),
                         [](const auto& info) {
                           return info.param ? "OldContentCopied" : "OldInodesLinked";
                         });

TEST_P(UndoRecorderKilled, KilledInABatchEveryFileIsWholeAndUndoGivesTheTreeBack) {
  for (Moment moment : {Moment::kKeptNotRecorded, Moment::kRecordedNoneMade, Moment::kHalfMade}) {
    SCOPED_TRACE("moment " + std::to_string(static_cast<int>(moment)));
    fs::remove_all(scratch_ + "/state");
    MakeTree();
    const TreeSnapshot before = SnapshotOf(Tree());
    ASSERT_TRUE(KilledRun(moment));

    int rewritten = 0;
    for (int n = 0; n < kFiles; n++) {
      const std::string now = ReadText(Tree() + "/" + File(n));
      EXPECT_TRUE(now == "old " + std::to_string(n) + "\n" || now == "new " + std::to_string(n) + "\n")
          << File(n) << ": " << now;
      rewritten += now[0] == 'n';
    }
    // The first batch was made whole; of the second, none or a few.
    EXPECT_GT(rewritten, 3);
    EXPECT_LT(rewritten, kFiles);

    Outcome undo = RunProgram({FINDERIX_PROGRAM_PATH, "--undo"}, scratch_, scratch_);
    EXPECT_EQ(undo.status, 0) << undo.err;
    EXPECT_NE(undo.err.find(std::to_string(rewritten) + " files restored"), std::string::npos)
        << undo.err;
    EXPECT_EQ(SnapshotOf(Tree()), before);
    std::error_code error;
    EXPECT_TRUE(fs::is_empty(State() + "/saved", error) || !fs::exists(State() + "/saved"));
  }
}

}  // namespace
