// Group commit: the rewritten files of one command made durable together
// rather than one after another. A few committer threads flush
// replacements in parallel (the file system merges concurrent flushes into
// few journal commits), and later flush each folder whose renames are over,
// once. The renames themselves happen on the caller's thread in the order
// the replaces were queued, so the host hears of each commit on the thread
// that runs the module, and a replacement is renamed only after its own
// flush. Flushed replacements are committed in batches: the host's observer
// is told of a whole batch before any of it is renamed, so what it keeps
// for them (the undo journal's old content) is made durable once per batch
// rather than once per file. At most a few dozen replacements are in
// flight, which bounds the descriptors and the scratch space they hold.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/dry_run_overlay.hpp"
#include "platform/internal.hpp"
#include "platform/replace_commit.hpp"

namespace platform::internal {

namespace {

constexpr size_t kCommitters = 8;
constexpr size_t kMostInFlight = 32;
// Flushed replacements wait for others until this share of the line is
// flushed: each batch costs the host's observer a few flushes of its own.
constexpr size_t kBatchShare = 2;
// Descriptors left to the rest of the program when the limit is low.
constexpr rlim_t kDescriptorsKept = 32;

// A replacement waiting for its flush, then for its turn to be renamed.
struct QueuedReplace {
  PreparedReplace prepared;
  bool flushed = false;  // set by a committer, under the pool's lock
  int flush_errno = 0;
};

// One flush: a queued replacement's content, or a folder whose renames are
// over (closed once flushed).
struct FlushTask {
  QueuedReplace* replace = nullptr;
  int folder = -1;
};

// Each replacement holds one descriptor until it is renamed; half of what
// the process may still open is theirs.
size_t MostInFlight() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kMostInFlight;
  if (limit.rlim_cur <= kDescriptorsKept + 2) return 1;
  return std::min<size_t>(kMostInFlight, (limit.rlim_cur - kDescriptorsKept) / 2);
}

// One folder open for its replacements in a row.
class OpenFolder {
 public:
  // The folder at `path`, opened unless it is the one open already; the
  // one open before moves to `*previous`. -1 with errno set when it cannot
  // be opened.
  int Open(const std::string& path, UniqueFd* previous) {
    if (fd_.valid() && path == path_) return fd_.get();
    *previous = std::move(fd_);
    fd_ = UniqueFd(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    path_ = fd_.valid() ? path : "";
    return fd_.get();
  }
  UniqueFd Release() {
    path_.clear();
    return std::move(fd_);
  }

 private:
  UniqueFd fd_;
  std::string path_;
};

void RunFlush(const FlushTask& task) {
  if (task.replace) {
    QueuedReplace& queued = *task.replace;
    queued.flush_errno = fsync(queued.prepared.content) == 0 ? 0 : errno;
    return;
  }
  fsync(task.folder);  // some file systems cannot flush folders
  close(task.folder);
}

using Batch = std::vector<std::unique_ptr<QueuedReplace>>;

// Runs `step` on each replacement of the batch that has not failed yet.
template <typename Step>
void RunEach(const Batch& batch, std::vector<DWORD>* errors, Step step) {
  for (size_t i = 0; i < batch.size(); i++)
    if ((*errors)[i] == ERROR_SUCCESS) (*errors)[i] = step(&batch[i]->prepared);
}

class CommitPool {
 public:
  CommitPool() = default;
  CommitPool(const CommitPool&) = delete;
  CommitPool& operator=(const CommitPool&) = delete;
  ~CommitPool() { StopCommitters(); }

  void Queue(PreparedReplace prepared) {
    StartCommitters();
    while (in_order_.size() >= most_in_flight_) CommitOldest();
    auto queued = std::make_unique<QueuedReplace>();
    queued->prepared = std::move(prepared);
    Hand({queued.get(), -1});
    in_order_.push_back(std::move(queued));
    CommitFlushed();
  }

  // The outcome of the oldest replace whose outcome was not taken yet.
  bool TakeOutcome(bool wait, DWORD* error) {
    CommitFlushed();
    if (outcomes_.empty() && wait && !in_order_.empty()) CommitOldest();
    if (outcomes_.empty()) {
      SetLastError(in_order_.empty() ? ERROR_NO_MORE_ITEMS : ERROR_IO_PENDING);
      return false;
    }
    *error = outcomes_.front();
    outcomes_.pop_front();
    return true;
  }

  void CommitAndFlushAll() {
    while (!in_order_.empty()) CommitOldest();
    FlushIfRenamed(rename_folder_.Release());
    announce_folder_.Release();
    {
      std::unique_lock guard(lock_);
      done_.wait(guard, [this] { return tasks_.empty() && busy_ == 0; });
    }
    StopCommitters();
  }

 private:
  size_t BatchSize() const { return std::max<size_t>(1, most_in_flight_ / kBatchShare); }

  // Commits the flushed replacements at the head of the line once they
  // make a batch.
  void CommitFlushed() {
    std::unique_lock guard(lock_);
    const size_t flushed = FlushedAtHead();
    guard.unlock();
    if (flushed >= BatchSize()) CommitBatch(flushed);
  }

  // Waits until the oldest replacements make a batch (or are all there
  // is), and commits them with any flushed right behind them.
  void CommitOldest() {
    const size_t wanted = std::min(BatchSize(), in_order_.size());
    std::unique_lock guard(lock_);
    done_.wait(guard, [&] { return FlushedAtHead() >= wanted; });
    const size_t flushed = FlushedAtHead();
    guard.unlock();
    CommitBatch(flushed);
  }

  // How many replacements at the head of the line are flushed; the caller
  // holds lock_.
  size_t FlushedAtHead() const {
    size_t count = 0;
    while (count < in_order_.size() && in_order_[count]->flushed) count++;
    return count;
  }

  // The first `count` replacements of the line: each announced (checked,
  // and told to the host's observer), the observer readied once for all of
  // them, then each renamed, in order. A dry run only records each one.
  void CommitBatch(size_t count) {
    Batch batch;
    std::vector<DWORD> errors;
    for (size_t i = 0; i < count; i++) {
      batch.push_back(std::move(in_order_.front()));
      in_order_.pop_front();
      const int flush_errno = batch.back()->flush_errno;
      errors.push_back(flush_errno != 0 ? WindowsErrorFromErrno(flush_errno) : ERROR_SUCCESS);
    }
    if (DryRunActive()) {
      RunEach(batch, &errors, [this](PreparedReplace* prepared) {
        return InFolder(announce_folder_, *prepared,
                        [prepared](int folder) { return CommitRewrite(prepared, folder); });
      });
    } else {
      Announce(batch, &errors);
      RunEach(batch, &errors, [this](PreparedReplace* prepared) { return Rename(*prepared); });
    }
    for (size_t i = 0; i < count; i++) {
      if (errors[i] != ERROR_SUCCESS) DropReplacement(batch[i]->prepared);
      outcomes_.push_back(errors[i]);
    }
  }

  void Announce(const Batch& batch, std::vector<DWORD>* errors) {
    RunEach(batch, errors, [this](PreparedReplace* prepared) {
      return InFolder(announce_folder_, *prepared,
                      [prepared](int folder) { return AnnounceRewrite(prepared, folder); });
    });
    // Even when every check failed: the observer may have kept something.
    if (!NotifyReadyToCommit())
      std::replace(errors->begin(), errors->end(), DWORD{ERROR_SUCCESS}, DWORD{ERROR_WRITE_FAULT});
  }

  // Runs `step` with the replacement's folder open in `folder`.
  template <typename Step>
  static DWORD InFolder(OpenFolder& folder, const PreparedReplace& prepared, Step step) {
    UniqueFd previous;
    const int fd = folder.Open(FolderOf(prepared.target), &previous);
    return fd >= 0 ? step(fd) : WindowsErrorFromErrno(errno);
  }

  // The rename, into a folder that stays open for the renames after it;
  // a folder given up is flushed.
  DWORD Rename(const PreparedReplace& prepared) {
    UniqueFd previous;
    const int folder = rename_folder_.Open(FolderOf(prepared.target), &previous);
    FlushIfRenamed(std::move(previous));
    if (folder < 0) return WindowsErrorFromErrno(errno);
    const DWORD error = FinishRewrite(prepared, folder);
    renamed_in_folder_ |= error == ERROR_SUCCESS;
    return error;
  }

  // The renames into a folder are over: a committer flushes it, if
  // anything was renamed there, and closes it.
  void FlushIfRenamed(UniqueFd folder) {
    if (!folder.valid()) return;
    if (renamed_in_folder_) Hand({nullptr, folder.release()});
    renamed_in_folder_ = false;
  }

  // Gives a flush to the committers; without any, runs it here.
  void Hand(const FlushTask& task) {
    if (committers_.empty()) {
      RunFlush(task);
      if (task.replace) task.replace->flushed = true;
      return;
    }
    {
      std::lock_guard guard(lock_);
      tasks_.push_back(task);
    }
    work_.notify_one();
  }

  void StartCommitters() {
    if (!committers_.empty()) return;
    most_in_flight_ = MostInFlight();
    try {
      while (committers_.size() < kCommitters) committers_.emplace_back([this] { Commit(); });
    } catch (const std::system_error&) {
      // Fewer threads (or none) only cost parallelism.
    }
  }

  void StopCommitters() {
    {
      std::lock_guard guard(lock_);
      stopping_ = true;
    }
    work_.notify_all();
    for (std::thread& committer : committers_) committer.join();
    committers_.clear();
    stopping_ = false;
  }

  // A committer's loop: every task handed out is run before it stops.
  void Commit() {
    std::unique_lock guard(lock_);
    for (;;) {
      work_.wait(guard, [this] { return stopping_ || !tasks_.empty(); });
      if (tasks_.empty()) return;
      const FlushTask task = tasks_.front();
      tasks_.pop_front();
      busy_++;
      guard.unlock();
      RunFlush(task);
      guard.lock();
      busy_--;
      if (task.replace) task.replace->flushed = true;
      done_.notify_all();
    }
  }

  // The caller's side: only the thread that runs the module touches these.
  std::deque<std::unique_ptr<QueuedReplace>> in_order_;  // queued, not yet renamed
  std::deque<DWORD> outcomes_;                           // renamed or failed, not yet taken
  OpenFolder announce_folder_;  // the folder of the latest check
  OpenFolder rename_folder_;    // the folder of the latest rename
  bool renamed_in_folder_ = false;  // something was renamed into rename_folder_
  size_t most_in_flight_ = 1;  // as the descriptor limit allows, taken at each start
  std::vector<std::thread> committers_;

  std::mutex lock_;  // guards what follows, and each QueuedReplace's flush result
  std::condition_variable work_;
  std::condition_variable done_;
  std::deque<FlushTask> tasks_;
  size_t busy_ = 0;
  bool stopping_ = false;
};

CommitPool& Pool() {
  static CommitPool pool;
  return pool;
}

}  // namespace
}  // namespace platform::internal

using namespace platform::internal;

extern "C" BOOL WINAPI QueueReplaceFileA(LPCSTR replaced, LPCSTR replacement, LPCSTR backup) {
  PreparedReplace prepared;
  const DWORD error = PrepareReplace(replaced, replacement, backup, true, &prepared);
  if (error != ERROR_SUCCESS) {
    DropReplacement(prepared);
    SetLastError(error);
    return FALSE;
  }
  Pool().Queue(std::move(prepared));
  return TRUE;
}

extern "C" BOOL WINAPI GetQueuedReplaceResult(BOOL wait, LPDWORD error) {
  if (error == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return Pool().TakeOutcome(wait != FALSE, error);
}

extern "C" BOOL WINAPI FlushQueuedReplaces() {
  Pool().CommitAndFlushAll();
  return TRUE;
}
