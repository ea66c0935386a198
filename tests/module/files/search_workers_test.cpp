// The file search's worker threads: verdicts handed back in queue order
// whatever order the workers finish in, a file that shrinks under one
// worker's scan, and a stop asked while the host's thread waits.
#include "module/files/search_workers.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/temp_folder.hpp"

namespace {

using namespace std::chrono_literals;

// A file that big is tested only on a worker, never on the host's thread.
constexpr DWORD kWorkersOnly = 17u << 20;

WIN32_FIND_DATAA Entry(const std::string& name, DWORD size = 0) {
  WIN32_FIND_DATAA entry{};
  std::strncpy(entry.cFileName, name.c_str(), sizeof entry.cFileName - 1);
  entry.nFileSizeLow = size;
  return entry;
}

int Number(const WIN32_FIND_DATAA& entry) { return std::stoi(entry.cFileName); }

// What the host's thread was handed, in order.
struct Handed {
  std::vector<std::string> names;
  std::vector<MappedScan> scans;
  SearchWorkers::Take Taker() {
    return [this](WIN32_FIND_DATAA& entry, const FileVerdict& verdict) {
      names.emplace_back(entry.cFileName);
      scans.push_back(verdict.scan);
    };
  }
};

bool NeverStop() { return false; }

// The file whose scan truncates it, set before the workers start.
std::string shrinking_posix;
thread_local const char* scanned_posix = nullptr;

bool TruncatesTheShrinkingFileThenReadsItsEnd(const char* data, size_t length) {
  if (shrinking_posix == scanned_posix) {
    EXPECT_EQ(truncate(scanned_posix, 0), 0);
  }
  return data[length - 1] == 'z';
}

}  // namespace

// Workers finish in a scrambled order and some files are decided without
// a test; the host's thread still gets every verdict in queue order, and
// never holds more than a bounded number of files. While the queue is full
// it tests small files itself, and leaves large ones to the workers.
TEST(SearchWorkers, VerdictsComeBackInQueueOrderAndTheQueueStaysBounded) {
  const int files = static_cast<int>(SearchWorkers::Capacity(3)) + 300;
  std::atomic<int> queued{0}, handed_count{0}, most_in_flight{0};
  std::atomic<int> small_on_host{0}, large_on_host{0};
  const std::thread::id host = std::this_thread::get_id();
  Handed handed;
  SearchWorkers::Take record = handed.Taker();
  SearchWorkers workers(
      3,
      [&](const WIN32_FIND_DATAA& entry) {
        const int n = Number(entry);
        if (std::this_thread::get_id() == host)
          (entry.nFileSizeLow ? large_on_host : small_on_host)++;
        std::this_thread::sleep_for(std::chrono::microseconds((n * 7919) % 1500));
        int in_flight = queued - handed_count;
        for (int most = most_in_flight; in_flight > most && !most_in_flight.compare_exchange_weak(most, in_flight);) {
        }
        return FileVerdict{n % 3 ? MappedScan::kFound : MappedScan::kNotFound, n % 5 == 0};
      },
      [&](WIN32_FIND_DATAA& entry, const FileVerdict& verdict) {
        handed_count++;
        EXPECT_EQ(verdict.scan, Number(entry) % 11 == 0 ? MappedScan::kUnreadable
                                : Number(entry) % 3   ? MappedScan::kFound
                                                      : MappedScan::kNotFound);
        EXPECT_EQ(verdict.undecided, Number(entry) % 11 != 0 && Number(entry) % 5 == 0);
        record(entry, verdict);
      },
      NeverStop);
  std::vector<std::string> expected;
  for (int n = 0; n < files; n++) {
    expected.push_back(std::to_string(n));
    queued++;
    if (n % 11 == 0)
      workers.AddDecided(Entry(expected.back()), {MappedScan::kUnreadable, false});
    else
      workers.Add(Entry(expected.back(), n % 4 ? 0 : kWorkersOnly));
  }
  workers.Finish();
  EXPECT_EQ(handed.names, expected);
  EXPECT_GT(small_on_host, 0);
  EXPECT_EQ(large_on_host, 0);
  EXPECT_GT(most_in_flight, 3);   // the workers did run ahead of the host's thread
  // by a bounded queue, not by the whole tree
  EXPECT_LE(most_in_flight, static_cast<int>(SearchWorkers::Capacity(3)) + 3);
}

// One file is truncated while a worker scans its map: that file alone is
// unreadable, the process lives on, and the other workers' files (scanned
// at the same time) are found as they should be.
TEST(SearchWorkers, AFileThatShrinksUnderAWorkersScanIsUnreadableAndNoOtherIs) {
  TempFolder folder;
  constexpr int kFiles = 24, kShrinking = 9;
  // Files over 16 MiB are mapped, not read: the scan of the shrinking one
  // and of its neighbours reads pages that may be gone.
  const std::string mapped = std::string(16 << 20, 'a') + "z";
  for (int n = 0; n < kFiles; n++)
    WriteText(folder.Posix(std::to_string(n)), std::abs(n - kShrinking) <= 1 ? mapped : "az");
  shrinking_posix = folder.Posix(std::to_string(kShrinking));
  Handed handed;
  SearchWorkers workers(
      4,
      [&](const WIN32_FIND_DATAA& entry) {
        const std::string posix = folder.Posix(entry.cFileName);
        scanned_posix = posix.c_str();
        const std::string path = folder.Module(entry.cFileName);
        return FileVerdict{ScanMappedFile(path.c_str(), TruncatesTheShrinkingFileThenReadsItsEnd)};
      },
      handed.Taker(), NeverStop);
  std::vector<std::string> expected;
  for (int n = 0; n < kFiles; n++) {
    expected.push_back(std::to_string(n));
    workers.Add(Entry(expected.back()));
  }
  workers.Finish();
  ASSERT_EQ(handed.names, expected);
  for (int n = 0; n < kFiles; n++)
    EXPECT_EQ(handed.scans[n], n == kShrinking ? MappedScan::kUnreadable : MappedScan::kFound) << n;
}

// The first file holds its worker until the host's thread has seen the
// stop, so the stop can only be seen by polling while waiting. Then no
// queued file is started any more, and what was tested is handed back in
// order.
TEST(SearchWorkers, AStopAskedWhileWaitingEndsTheSearchWithoutTheQueuedFiles) {
  std::atomic<bool> stop_seen{false};
  std::atomic<int> tested{0}, started_after_stop{0};
  int polls = 0;
  Handed handed;
  SearchWorkers workers(
      2,
      [&](const WIN32_FIND_DATAA& entry) {
        if (stop_seen) started_after_stop++;
        tested++;
        for (int waited = 0; Number(entry) == 0 && !stop_seen && waited < 1000; waited++)
          std::this_thread::sleep_for(10ms);
        return FileVerdict{MappedScan::kFound};
      },
      handed.Taker(),
      [&] {
        if (++polls >= 3) stop_seen = true;
        return stop_seen.load();
      });
  const int queue = static_cast<int>(SearchWorkers::Capacity(2));
  for (int n = 0; n < 3 * queue && !stop_seen; n++)
    workers.Add(Entry(std::to_string(n), kWorkersOnly));
  workers.Finish();
  EXPECT_TRUE(stop_seen);
  EXPECT_LE(started_after_stop, 1);  // the other worker may just have taken a file
  EXPECT_LE(tested, queue + 2);
  ASSERT_EQ(static_cast<int>(handed.names.size()), tested.load());
  for (size_t i = 0; i < handed.names.size(); i++) EXPECT_EQ(handed.names[i], std::to_string(i));
}
