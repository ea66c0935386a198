// Group commit: the rewritten files of one command made durable together
// rather than one after another. A few committer threads flush
// replacements in parallel (the file system merges concurrent flushes into
// few journal commits), and later flush each folder whose renames are over,
// once. The renames themselves happen on the caller's thread in the order
// the replaces were queued, so the host hears of each commit on the thread
// that runs the module, and a replacement is renamed only after its own
// flush. At most a few dozen replacements are in flight, which bounds the
// descriptors and the scratch space they hold.
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

#include "platform/internal.hpp"
#include "platform/replace_commit.hpp"

namespace platform::internal {

namespace {

constexpr size_t kCommitters = 8;
constexpr size_t kMostInFlight = 32;
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

void RunFlush(const FlushTask& task) {
  if (task.replace) {
    QueuedReplace& queued = *task.replace;
    queued.flush_errno = fsync(queued.prepared.content) == 0 ? 0 : errno;
    return;
  }
  fsync(task.folder);  // some file systems cannot flush folders
  close(task.folder);
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
    ReleaseFolder();
    {
      std::unique_lock guard(lock_);
      done_.wait(guard, [this] { return tasks_.empty() && busy_ == 0; });
    }
    StopCommitters();
  }

 private:
  // Renames, in order, every replacement at the head of the line whose
  // flush is over.
  void CommitFlushed() {
    while (!in_order_.empty() && Flushed(*in_order_.front())) CommitFront();
  }

  void CommitOldest() {
    std::unique_lock guard(lock_);
    done_.wait(guard, [this] { return in_order_.front()->flushed; });
    guard.unlock();
    CommitFront();
  }

  void CommitFront() {
    std::unique_ptr<QueuedReplace> queued = std::move(in_order_.front());
    in_order_.pop_front();
    const DWORD error = queued->flush_errno != 0 ? WindowsErrorFromErrno(queued->flush_errno)
                                                 : CommitInFolder(queued->prepared);
    if (error != ERROR_SUCCESS) DropReplacement(queued->prepared);
    outcomes_.push_back(error);
  }

  // One open of each folder for all its renames in a row.
  DWORD CommitInFolder(const PreparedReplace& prepared) {
    const std::string folder = FolderOf(prepared.target);
    if (!folder_.valid() || folder != folder_path_) {
      ReleaseFolder();
      folder_ = UniqueFd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
      if (!folder_.valid()) return WindowsErrorFromErrno(errno);
      folder_path_ = folder;
    }
    const DWORD error = CommitRewrite(prepared, folder_.get());
    folder_renamed_ |= error == ERROR_SUCCESS;
    return error;
  }

  // The renames into the open folder are over: a committer flushes it, if
  // anything was renamed there, and closes it.
  void ReleaseFolder() {
    if (folder_.valid() && folder_renamed_) Hand({nullptr, folder_.release()});
    folder_ = UniqueFd();
    folder_path_.clear();
    folder_renamed_ = false;
  }

  bool Flushed(const QueuedReplace& queued) {
    std::lock_guard guard(lock_);
    return queued.flushed;
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
  UniqueFd folder_;                                      // the folder of the latest rename
  std::string folder_path_;
  bool folder_renamed_ = false;
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
