// Reading a mapped file that shrank under its view.
#include "platform/fault_guard.hpp"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "platform/win32.hpp"
#include "tests/support/temp_folder.hpp"

namespace {

struct Sum {
  const char* data;
  size_t length;
  unsigned long total;
};

void AddBytes(void* context) {
  auto* sum = static_cast<Sum*>(context);
  for (size_t i = 0; i < sum->length; i++) sum->total += static_cast<unsigned char>(sum->data[i]);
}

}  // namespace

// On whichever thread it runs: the guard's handler is the process's, its
// state each thread's own.
void ReadATruncatedMapping() {
  TempFolder folder;
  // Larger than the files the platform reads into memory instead of mapping.
  const size_t size = (16u << 20) + 4 * static_cast<size_t>(sysconf(_SC_PAGESIZE));
  WriteText(folder.Posix("shrinks"), std::string(size, '\x01'));
  HANDLE file = CreateFileA(folder.Module("shrinks").c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  ASSERT_NE(mapping, nullptr);
  const char* view = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
  ASSERT_NE(view, nullptr);

  Sum whole{view, size, 0};
  EXPECT_TRUE(platform::CallWithFaultGuard(AddBytes, &whole));
  EXPECT_EQ(whole.total, size);

  ASSERT_EQ(truncate(folder.Posix("shrinks").c_str(), 100), 0);
  Sum shrunk{view, size, 0};
  EXPECT_FALSE(platform::CallWithFaultGuard(AddBytes, &shrunk));
  EXPECT_EQ(shrunk.total, 100u);  // the vanished pages read as zeros

  EXPECT_TRUE(UnmapViewOfFile(view));
  CloseHandle(mapping);
  CloseHandle(file);
}

TEST(FaultGuard, ReadOfATruncatedMappingIsReportedNotFatal) { ReadATruncatedMapping(); }

TEST(FaultGuard, GuardsOnAThreadOtherThanTheFirstCaller) {
  Sum nothing{nullptr, 0, 0};
  EXPECT_TRUE(platform::CallWithFaultGuard(AddBytes, &nothing));
  std::thread other(ReadATruncatedMapping);
  other.join();
}

namespace {

void RaiseBusErrorAfterAGuardedCall() {
  struct sigaction own = {};
  own.sa_handler = [](int) { _exit(42); };
  sigemptyset(&own.sa_mask);
  sigaction(SIGBUS, &own, nullptr);
  Sum nothing{nullptr, 0, 0};
  platform::CallWithFaultGuard(AddBytes, &nothing);
  raise(SIGBUS);
}

}  // namespace

// The handler stays installed between guarded calls; a bus error outside
// one still reaches the handler the program had before. Run in a fresh
// process, so that this test's handler is the one the guard finds.
TEST(FaultGuardDeathTest, FaultOutsideAGuardedCallGoesToThePreviousHandler) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(RaiseBusErrorAfterAGuardedCall(), ::testing::ExitedWithCode(42), "");
}
