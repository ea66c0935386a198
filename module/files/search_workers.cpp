// The worker threads of a file search and the ordered queue between them
// and the walk. Workers take the queued files in order and each fills its
// own slot; the host's thread hands slots back only from the front, so the
// order never depends on which worker was faster.
#include "module/files/search_workers.hpp"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <utility>

#include "module/match/pattern.hpp"
#include "module/base/settings.hpp"

namespace {

// How often Esc is polled while the host's thread waits for a worker.
constexpr auto kStopPollInterval = std::chrono::milliseconds(20);

// The largest file the host's thread tests itself. Up to this size a file
// is read whole rather than mapped, in a few milliseconds, so Esc is still
// seen at once; larger files (mapped, possibly huge) stay with the workers.
// A lower bound left the host's thread idle whenever a folder of files just
// above it (generated register headers, say) kept the workers busy. A walk
// that lists names only gives every file size 0: then the host's thread may
// get a large file too, and Esc waits for it as it waits for the workers'.
constexpr DWORD kLargestFileTestedHere = 16 << 20;

bool IsSmall(const WIN32_FIND_DATAA& entry) {
  return entry.nFileSizeHigh == 0 && entry.nFileSizeLow <= kLargestFileTestedHere;
}

}  // namespace

int SearchThreadCount() {
  if (SearchThreads > 0) return SearchThreads;
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

SearchWorkers::SearchWorkers(int workers, Test test, Take take, StopAsked stop_asked)
    : test_(std::move(test)),
      take_(std::move(take)),
      stop_asked_(std::move(stop_asked)),
      capacity_(Capacity(workers)) {
  try {
    for (int i = 0; i < workers; i++) threads_.emplace_back([this] { Work(); });
  } catch (const std::system_error&) {
    // Fewer threads than asked for still search; with none, Add tests.
  }
}

SearchWorkers::~SearchWorkers() { EndWorkers(); }

void SearchWorkers::Add(const WIN32_FIND_DATAA& entry) {
  if (threads_.empty()) {  // the queue is empty: Queue hands back what is done
    WIN32_FIND_DATAA copy = entry;
    take_(copy, test_(entry));
    return;
  }
  Queue({entry, {}, Slot::kQueued});
}

void SearchWorkers::AddDecided(const WIN32_FIND_DATAA& entry, const FileVerdict& verdict) {
  Queue({entry, verdict, Slot::kDone});
}

void SearchWorkers::Finish() {
  if (!stopped_ && stop_asked_()) StopEarly();
  while (!stopped_) {
    {
      std::lock_guard lock(mutex_);
      if (slots_.empty()) break;
    }
    AdvanceQueue();
  }
  EndWorkers();
}

void SearchWorkers::Queue(const Slot& slot) {
  if (stopped_) return;
  bool wake_workers = false;
  for (;;) {
    {
      std::lock_guard lock(mutex_);
      if (slots_.size() < capacity_) {
        slots_.push_back(slot);
        if (slot.state == Slot::kQueued) wake_workers = ++unclaimed_ >= kWakeBatch;
        break;
      }
    }
    if (!AdvanceQueue()) return;
  }
  if (wake_workers) work_ready_.notify_all();
  HandBackReady();
}

bool SearchWorkers::AdvanceQueue() {
  std::unique_lock lock(mutex_);
  if (slots_.front().state == Slot::kDone) {
    lock.unlock();
    HandBackReady();
    return true;
  }
  if (Slot* small = FirstQueuedSmallFile()) {
    TestClaimed(Claim(*small), lock);
    return true;
  }
  lock.unlock();
  return HandBackOldest();
}

bool SearchWorkers::HandBackOldest() {
  std::unique_lock lock(mutex_);
  // What is queued is worked on while this thread waits.
  if (unclaimed_ > 0) work_ready_.notify_all();
  host_waiting_ = true;
  while (!verdict_ready_.wait_for(lock, kStopPollInterval, [this] { return EnoughDoneAtFront(); })) {
    host_waiting_ = false;
    lock.unlock();
    const bool stop = stop_asked_();
    if (stop) {
      StopEarly();
      return false;
    }
    lock.lock();
    host_waiting_ = true;
  }
  host_waiting_ = false;
  lock.unlock();
  HandBackReady();
  return true;
}

bool SearchWorkers::EnoughDoneAtFront() const {
  const size_t wanted = std::min(slots_.size(), kWakeBatch);
  for (size_t i = 0; i < wanted; i++)
    if (slots_[i].state != Slot::kDone) return false;
  return true;
}

void SearchWorkers::HandBackReady() {
  for (;;) {
    std::unique_lock lock(mutex_);
    if (slots_.empty() || slots_.front().state != Slot::kDone) return;
    Slot oldest = PopOldest();
    lock.unlock();
    take_(oldest.entry, oldest.verdict);
  }
}

SearchWorkers::Slot SearchWorkers::PopOldest() {
  Slot oldest = slots_.front();
  slots_.pop_front();
  if (next_ > 0) next_--;
  return oldest;
}

void SearchWorkers::StopEarly() {
  stopped_ = true;
  EndWorkers();
  // No worker runs now: the queue is the host thread's alone.
  std::deque<Slot> left = std::exchange(slots_, {});
  for (Slot& slot : left)
    if (slot.state == Slot::kDone) take_(slot.entry, slot.verdict);
}

void SearchWorkers::EndWorkers() {
  {
    std::lock_guard lock(mutex_);
    ending_ = true;
  }
  work_ready_.notify_all();
  for (std::thread& thread : threads_) thread.join();
  threads_.clear();
}

bool SearchWorkers::HasQueued() {
  while (next_ < slots_.size() && slots_[next_].state != Slot::kQueued) next_++;
  return next_ < slots_.size();
}

void SearchWorkers::Work() {
  PatternThreadScope patterns;
  std::unique_lock lock(mutex_);
  for (;;) {
    work_ready_.wait(lock, [this] { return ending_ || HasQueued(); });
    if (ending_) return;
    TestClaimed(Claim(slots_[next_]), lock);
  }
}

SearchWorkers::Slot* SearchWorkers::FirstQueuedSmallFile() {
  for (size_t i = next_; i < slots_.size(); i++)
    if (slots_[i].state == Slot::kQueued && IsSmall(slots_[i].entry)) return &slots_[i];
  return nullptr;
}

SearchWorkers::Slot& SearchWorkers::Claim(Slot& slot) {
  slot.state = Slot::kTesting;
  unclaimed_--;
  return slot;
}

void SearchWorkers::TestClaimed(Slot& slot, std::unique_lock<std::mutex>& lock) {
  lock.unlock();
  const FileVerdict verdict = test_(slot.entry);
  lock.lock();
  slot.verdict = verdict;
  slot.state = Slot::kDone;
  if (host_waiting_ && EnoughDoneAtFront()) verdict_ready_.notify_one();
}
