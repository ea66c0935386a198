// Console input through the host's queue: peeking leaves the event, reading
// takes it, neither waits, and without a host both fail.
#include <deque>
#include <string>

#include <gtest/gtest.h>

#include "platform/host_bridge.hpp"

namespace {

constexpr DWORD kUntouchedError = 0xdeadbeef;

class FakeConsole : public platform::ConsoleHost {
 public:
  bool PeekInput(INPUT_RECORD* event) override {
    if (queue.empty()) return false;
    *event = queue.front();
    return true;
  }
  bool ReadInput(INPUT_RECORD* event) override {
    if (!PeekInput(event)) return false;
    queue.pop_front();
    return true;
  }
  void SetTitle(const char* oem_title) override { title = oem_title; }

  std::deque<INPUT_RECORD> queue;
  std::string title;
};

INPUT_RECORD KeyDown(WORD key) {
  INPUT_RECORD record{};
  record.EventType = KEY_EVENT;
  record.Event.KeyEvent.bKeyDown = TRUE;
  record.Event.KeyEvent.wVirtualKeyCode = key;
  return record;
}

class Console : public ::testing::Test {
 protected:
  void SetUp() override { platform::InstallConsoleHost(&console_); }
  void TearDown() override { platform::InstallConsoleHost(nullptr); }

  FakeConsole console_;
  HANDLE input_ = GetStdHandle(STD_INPUT_HANDLE);
};

// ---------------------------------------------------------------------------
// Handles
// ---------------------------------------------------------------------------

TEST(ConsoleHandles, GetStdHandleGivesThreeDistinctHandles) {
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  for (HANDLE h : {in, out, err}) {
    EXPECT_NE(h, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
  }
  EXPECT_NE(in, out);
  EXPECT_NE(out, err);
  EXPECT_NE(in, err);
  EXPECT_EQ(GetStdHandle(STD_INPUT_HANDLE), in);
}

TEST(ConsoleHandles, GetStdHandleFailsForUnknownDevice) {
  SetLastError(kUntouchedError);
  EXPECT_EQ(GetStdHandle(5), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

// ---------------------------------------------------------------------------
// Input
// ---------------------------------------------------------------------------

TEST_F(Console, PeekConsoleInputADoesNotConsumeTheEvent) {
  console_.queue = {KeyDown(VK_ESCAPE), KeyDown(VK_F1)};
  for (int i = 0; i < 2; ++i) {
    INPUT_RECORD record{};
    DWORD read = 99;
    SetLastError(kUntouchedError);
    ASSERT_TRUE(PeekConsoleInputA(input_, &record, 1, &read));
    EXPECT_EQ(read, 1u);
    EXPECT_EQ(record.Event.KeyEvent.wVirtualKeyCode, VK_ESCAPE);
    EXPECT_EQ(GetLastError(), kUntouchedError);
  }
  EXPECT_EQ(console_.queue.size(), 2u);
}

TEST_F(Console, ReadConsoleInputAConsumesOneEventAtATime) {
  console_.queue = {KeyDown(VK_ESCAPE), KeyDown(VK_F1)};
  INPUT_RECORD records[4] = {};
  DWORD read = 0;
  ASSERT_TRUE(ReadConsoleInputA(input_, records, 4, &read));
  EXPECT_EQ(read, 1u);
  EXPECT_EQ(records[0].Event.KeyEvent.wVirtualKeyCode, VK_ESCAPE);
  EXPECT_EQ(records[1].EventType, 0);
  ASSERT_EQ(console_.queue.size(), 1u);
  EXPECT_EQ(console_.queue.front().Event.KeyEvent.wVirtualKeyCode, VK_F1);
}

TEST_F(Console, EmptyQueueReturnsTrueWithNothingReadInsteadOfWaiting) {
  INPUT_RECORD record{};
  DWORD read = 99;
  ASSERT_TRUE(PeekConsoleInputA(input_, &record, 1, &read));
  EXPECT_EQ(read, 0u);
  read = 99;
  ASSERT_TRUE(ReadConsoleInputA(input_, &record, 1, &read));
  EXPECT_EQ(read, 0u);
}

TEST_F(Console, InputFromAnOutputHandleFailsWithInvalidHandle) {
  console_.queue = {KeyDown(VK_ESCAPE)};
  INPUT_RECORD record{};
  DWORD read = 99;
  SetLastError(kUntouchedError);
  EXPECT_FALSE(ReadConsoleInputA(GetStdHandle(STD_OUTPUT_HANDLE), &record, 1, &read));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(console_.queue.size(), 1u);
}

TEST(ConsoleWithoutHost, PeekAndReadFailWithInvalidHandle) {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  INPUT_RECORD record{};
  DWORD read = 99;
  SetLastError(kUntouchedError);
  EXPECT_FALSE(PeekConsoleInputA(input, &record, 1, &read));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  SetLastError(kUntouchedError);
  EXPECT_FALSE(ReadConsoleInputA(input, &record, 1, &read));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(read, 99u);
}

// ---------------------------------------------------------------------------
// Title and Sleep
// ---------------------------------------------------------------------------

TEST_F(Console, SetConsoleTitleAGoesToTheHost) {
  EXPECT_TRUE(SetConsoleTitleA("\x8F\xE0\xA8"));
  EXPECT_EQ(console_.title, "\x8F\xE0\xA8");
}

TEST(ConsoleWithoutHost, SetConsoleTitleASucceedsWithNowhereToGo) {
  EXPECT_TRUE(SetConsoleTitleA("title"));
}

TEST(ConsoleSleep, SleepWaitsAtLeastTheTimeGiven) {
  timespec before{}, after{};
  clock_gettime(CLOCK_MONOTONIC, &before);
  Sleep(20);
  clock_gettime(CLOCK_MONOTONIC, &after);
  const long long elapsed_ns =
      (after.tv_sec - before.tv_sec) * 1000000000LL + (after.tv_nsec - before.tv_nsec);
  EXPECT_GE(elapsed_ns, 20000000LL);
}

}  // namespace
