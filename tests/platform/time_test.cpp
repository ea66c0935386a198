// File times and system times: conversions both ways at the edges of the
// calendar, Windows' field validation and comparison.
#include <string>

#include <gtest/gtest.h>

#include "platform/internal.hpp"
#include "platform/win32.hpp"

namespace {

constexpr DWORD kUntouchedError = 0xdeadbeef;
constexpr uint64_t kUnixEpochTicks = 116444736000000000ull;

FILETIME FromTicks(uint64_t ticks) {
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

uint64_t Ticks(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

SYSTEMTIME Date(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0,
                WORD ms = 0) {
  SYSTEMTIME t{};
  t.wYear = year;
  t.wMonth = month;
  t.wDay = day;
  t.wHour = hour;
  t.wMinute = minute;
  t.wSecond = second;
  t.wMilliseconds = ms;
  return t;
}

std::string Describe(const SYSTEMTIME& t) {
  char text[64];
  std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u.%03u dow %u", t.wYear, t.wMonth,
                t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, t.wDayOfWeek);
  return text;
}

// ---------------------------------------------------------------------------
// FILETIME <-> SYSTEMTIME
// ---------------------------------------------------------------------------

struct KnownTime {
  uint64_t ticks;
  SYSTEMTIME time;
  WORD day_of_week;
};

const KnownTime kKnownTimes[] = {
    {0, Date(1601, 1, 1), 1},
    {kUnixEpochTicks, Date(1970, 1, 1), 4},
    {94405824000000000ull, Date(1900, 3, 1), 4},
    {125963423999990000ull, Date(2000, 2, 29, 23, 59, 59, 999), 2},
    {133536836967890000ull, Date(2024, 2, 29, 12, 34, 56, 789), 4},
    {2650467743999990000ull, Date(9999, 12, 31, 23, 59, 59, 999), 5},
    {9223149887999990000ull, Date(30827, 12, 31, 23, 59, 59, 999), 5},
};

TEST(Time, FileTimeToSystemTimeGivesKnownDatesAndWeekdays) {
  for (const auto& known : kKnownTimes) {
    SCOPED_TRACE(Describe(known.time));
    FILETIME file_time = FromTicks(known.ticks);
    SYSTEMTIME result{};
    SetLastError(kUntouchedError);
    ASSERT_TRUE(FileTimeToSystemTime(&file_time, &result));
    EXPECT_EQ(GetLastError(), kUntouchedError);
    SYSTEMTIME expected = known.time;
    expected.wDayOfWeek = known.day_of_week;
    EXPECT_EQ(Describe(result), Describe(expected));
  }
}

TEST(Time, SystemTimeToFileTimeGivesKnownTicksIgnoringDayOfWeek) {
  for (const auto& known : kKnownTimes) {
    SCOPED_TRACE(Describe(known.time));
    SYSTEMTIME time = known.time;
    time.wDayOfWeek = 6;  // wrong on purpose: Windows ignores it
    FILETIME result{};
    SetLastError(kUntouchedError);
    ASSERT_TRUE(SystemTimeToFileTime(&time, &result));
    EXPECT_EQ(GetLastError(), kUntouchedError);
    EXPECT_EQ(Ticks(result), known.ticks);
  }
}

TEST(Time, FileTimeRoundTripsThroughSystemTimeToTheMillisecond) {
  for (uint64_t ticks = 12345; ticks < 0x7000000000000000ull; ticks = ticks * 3 + 7777777) {
    SCOPED_TRACE(ticks);
    FILETIME in = FromTicks(ticks), out{};
    SYSTEMTIME time{};
    ASSERT_TRUE(FileTimeToSystemTime(&in, &time));
    ASSERT_TRUE(SystemTimeToFileTime(&time, &out));
    EXPECT_EQ(Ticks(out), ticks - ticks % 10000);
  }
}

TEST(Time, FileTimeToSystemTimeHandlesTheLargestFileTime) {
  FILETIME largest = FromTicks(0x7FFFFFFFFFFFFFFFull);
  SYSTEMTIME result{};
  ASSERT_TRUE(FileTimeToSystemTime(&largest, &result));
  EXPECT_EQ(Describe(result), Describe([] {
              SYSTEMTIME t = Date(30828, 9, 14, 2, 48, 5, 477);
              t.wDayOfWeek = 4;
              return t;
            }()));
}

TEST(Time, FileTimeToSystemTimeFailsWithHighBitSet) {
  FILETIME too_large = FromTicks(0x8000000000000000ull);
  SYSTEMTIME result = Date(2000, 1, 1);
  SetLastError(kUntouchedError);
  EXPECT_FALSE(FileTimeToSystemTime(&too_large, &result));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(result.wYear, 2000);
}

// ---------------------------------------------------------------------------
// Invalid SYSTEMTIME fields
// ---------------------------------------------------------------------------

TEST(Time, SystemTimeToFileTimeFailsWithInvalidParameterOnBadFields) {
  struct Row {
    const char* what;
    SYSTEMTIME time;
  };
  const Row rows[] = {
      {"month 0", Date(2020, 0, 1)},
      {"month 13", Date(2020, 13, 1)},
      {"day 0", Date(2020, 1, 0)},
      {"April 31", Date(2020, 4, 31)},
      {"February 29 of 1900", Date(1900, 2, 29)},
      {"February 30 of 2000", Date(2000, 2, 30)},
      {"hour 24", Date(2020, 1, 1, 24)},
      {"minute 60", Date(2020, 1, 1, 0, 60)},
      {"second 60", Date(2020, 1, 1, 0, 0, 60)},
      {"millisecond 1000", Date(2020, 1, 1, 0, 0, 0, 1000)},
      {"year 1600", Date(1600, 12, 31)},
      {"year 30828", Date(30828, 1, 1)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    FILETIME result{0x1234, 0x5678};
    SetLastError(kUntouchedError);
    EXPECT_FALSE(SystemTimeToFileTime(&row.time, &result));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(result.dwLowDateTime, 0x1234u);
    EXPECT_EQ(result.dwHighDateTime, 0x5678u);
  }
}

// ---------------------------------------------------------------------------
// Comparison
// ---------------------------------------------------------------------------

TEST(Time, CompareFileTimeOrdersByHighPartFirst) {
  const FILETIME low_big{0xFFFFFFFF, 0};
  const FILETIME high_small{0, 1};
  EXPECT_EQ(CompareFileTime(&low_big, &high_small), -1);
  EXPECT_EQ(CompareFileTime(&high_small, &low_big), 1);
  EXPECT_EQ(CompareFileTime(&high_small, &high_small), 0);
  const FILETIME a{5, 7}, b{6, 7};
  EXPECT_EQ(CompareFileTime(&a, &b), -1);
}

// ---------------------------------------------------------------------------
// From timespec
// ---------------------------------------------------------------------------

TEST(Time, FileTimeFromTimespecCountsFrom1601) {
  using platform::internal::FileTimeFromTimespec;
  struct Row {
    timespec time;
    uint64_t ticks;
  };
  const Row rows[] = {
      {{0, 0}, kUnixEpochTicks},
      {{1, 123456789}, kUnixEpochTicks + 10000000 + 1234567},
      {{-11644473600, 0}, 0},
      {{-11644473601, 0}, 0},  // before 1601: clamped
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.time.tv_sec);
    EXPECT_EQ(Ticks(FileTimeFromTimespec(row.time)), row.ticks);
  }
}

}  // namespace
