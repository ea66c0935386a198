// The content tests of a file search on worker threads. The walk stays on
// the host's thread and queues each file in walk order; the verdicts come
// back to the host's thread in that same order, so a search lists, warns and
// counts exactly as it does on one thread. Workers only run the test, which
// calls no host service; everything the host shows happens when a verdict is
// handed back. While the queue is full, the host's thread tests queued
// files too rather than sleep (not those listed as large; a walk that lists
// names only lists no sizes): a search on N threads starts N - 1 workers.
// A bounded number of files is in flight (see Capacity), so memory does not
// grow with the tree.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "module/files/mapped_file.hpp"
#include "sdk/plugin.hpp"

// What the content test made of one file.
struct FileVerdict {
  MappedScan scan = MappedScan::kNotFound;
  bool undecided = false;  // a pattern could not decide some part of it
  bool utf8_too_large = false;  // a UTF-8 file too large to decode was searched as bytes only
  // For a file to be listed: what a listing says of it now, learned on the
  // thread that tested it.
  std::optional<WIN32_FILE_ATTRIBUTE_DATA> listed_as = std::nullopt;
};

// The number of threads SearchThreads asks for; 0 there is one per
// processor.
int SearchThreadCount();

class SearchWorkers {
 public:
  // Runs on a worker thread.
  using Test = std::function<FileVerdict(const WIN32_FIND_DATAA& entry)>;
  // Runs on the host's thread, once per handed-back file, in queue order.
  using Take = std::function<void(WIN32_FIND_DATAA& entry, const FileVerdict& verdict)>;
  // Runs on the host's thread, polled while it waits for a worker.
  using StopAsked = std::function<bool()>;

  // Files queued at most per worker: enough to keep every worker busy
  // while the walk lists the next batch of a folder or a worker is held up
  // by one large file.
  static constexpr size_t kFilesPerWorker = 32;
  // Files queued besides, for the workers to go on with while the host's
  // thread tests a file itself and queues nothing: a file of up to 16 MiB
  // (of any size, where the walk lists names only) keeps it a few
  // milliseconds, long enough for a worker to test hundreds of small files.
  static constexpr size_t kFilesWhileHostTests = 1024;
  // The most files queued with `workers` threads.
  static constexpr size_t Capacity(int workers) {
    return static_cast<size_t>(workers < 1 ? 1 : workers) * kFilesPerWorker +
           kFilesWhileHostTests;
  }
  // Idle workers are woken once this many files wait for them, and the
  // host's thread, waiting at a full queue, once this many verdicts are
  // ready at its front: waking a thread for every file costs more than
  // many a file's test.
  static constexpr size_t kWakeBatch = 8;

  // Starts `workers` threads (with none, every test runs in Add).
  SearchWorkers(int workers, Test test, Take take, StopAsked stop_asked);
  // Ends the workers after their current files; what is not handed back
  // yet is dropped.
  ~SearchWorkers();
  SearchWorkers(const SearchWorkers&) = delete;
  SearchWorkers& operator=(const SearchWorkers&) = delete;

  // Queues a file to be tested, waiting for the oldest verdict while the
  // queue is full, then hands back the verdicts that are ready.
  void Add(const WIN32_FIND_DATAA& entry);
  // Queues a file whose verdict is known without reading it, so that it is
  // handed back in its place.
  void AddDecided(const WIN32_FIND_DATAA& entry, const FileVerdict& verdict);
  // Hands back every verdict and ends the workers.
  //
  // Once StopAsked says so (while Add or Finish waits, or at the start of
  // Finish), nothing more is queued or started: the files being tested are
  // finished, every tested file is handed back in order, and the files no
  // worker started are dropped.
  void Finish();

 private:
  struct Slot {
    enum State { kQueued, kTesting, kDone };
    WIN32_FIND_DATAA entry;
    FileVerdict verdict;
    State state;
  };

  void Queue(const Slot& slot);
  // Moves the queue on, on the host's thread: hands back the verdicts ready
  // at its front, or else tests the first small queued file here, or else
  // waits for the oldest verdict. False once stopped.
  bool AdvanceQueue();
  // With mutex_ held: the first queued slot of a file small enough for the
  // host's thread, or null.
  Slot* FirstQueuedSmallFile();
  // With mutex_ held: marks a queued slot as being tested.
  Slot& Claim(Slot& slot);
  // Tests a claimed slot with mutex_ released, and records its verdict.
  void TestClaimed(Slot& slot, std::unique_lock<std::mutex>& lock);
  // Waits for the oldest verdict, then hands back those ready; false once
  // stopped.
  bool HandBackOldest();
  // Hands back the verdicts at the front of the queue that are ready.
  void HandBackReady();
  Slot PopOldest();  // with mutex_ held
  void StopEarly();
  void EndWorkers();
  void Work();
  bool HasQueued();  // with mutex_ held; moves next_ to the next queued slot
  // With mutex_ held: whether enough verdicts are ready at the front for
  // the host's thread to go on (kWakeBatch of them, or the whole queue).
  bool EnoughDoneAtFront() const;

  const Test test_;
  const Take take_;
  const StopAsked stop_asked_;
  const size_t capacity_;  // files in the queue at most
  bool stopped_ = false;   // host thread only

  std::mutex mutex_;
  std::condition_variable work_ready_;  // a slot was queued, or the workers end
  std::condition_variable verdict_ready_;
  // In walk order; slots are popped from the front by the host's thread
  // only when done, so a worker's reference to its slot stays valid.
  std::deque<Slot> slots_;
  size_t next_ = 0;      // slots_[next_]: where a worker looks for work
  size_t unclaimed_ = 0;  // queued slots no worker has taken yet
  bool host_waiting_ = false;  // the host's thread waits on verdict_ready_
  bool ending_ = false;  // the workers are to return
  std::vector<std::thread> threads_;
};
