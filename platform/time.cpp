// File times (100 ns since 1601-01-01 UTC) and broken-down system times,
// with Windows' validation of SYSTEMTIME fields.
// Calendar arithmetic is proleptic Gregorian, as Windows does it.
#include <ctime>

#include "platform/internal.hpp"

namespace {

constexpr uint64_t kTicksPerSecond = 10000000;
constexpr uint64_t kTicksPerDay = kTicksPerSecond * 86400;
constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr int64_t kDaysFrom1601To1970 = 134774;
constexpr uint64_t kMaxFileTime = 0x7FFFFFFFFFFFFFFFull;  // Windows refuses larger
constexpr int kMinYear = 1601;
constexpr int kMaxYear = 30827;

uint64_t Ticks(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME FromTicks(uint64_t ticks) {
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// Days since 1970-01-01 of a Gregorian date, and back (the era-based
// method: a 400-year era repeats exactly).
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned year_of_era = static_cast<unsigned>(year - era * 400);
  const unsigned day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + static_cast<int64_t>(day_of_era) - 719468;
}

struct CivilDate {
  int64_t year;
  unsigned month;
  unsigned day;
};

CivilDate CivilFromDays(int64_t days) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned day_of_era = static_cast<unsigned>(days - era * 146097);
  const unsigned year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const unsigned day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const unsigned mp = (5 * day_of_year + 2) / 153;
  const unsigned day = day_of_year - (153 * mp + 2) / 5 + 1;
  const unsigned month = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<int64_t>(year_of_era) + era * 400 + (month <= 2), month, day};
}

bool IsLeapYear(unsigned year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

unsigned DaysInMonth(unsigned year, unsigned month) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidSystemTime(const SYSTEMTIME& t) {
  return t.wYear >= kMinYear && t.wYear <= kMaxYear && t.wMonth >= 1 && t.wMonth <= 12 &&
         t.wDay >= 1 && t.wDay <= DaysInMonth(t.wYear, t.wMonth) && t.wHour < 24 &&
         t.wMinute < 60 && t.wSecond < 60 && t.wMilliseconds < 1000;
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

}  // namespace

namespace platform::internal {

FILETIME FileTimeFromTimespec(const timespec& time) {
  const int64_t seconds = static_cast<int64_t>(time.tv_sec) + kSecondsFrom1601To1970;
  if (seconds < 0) return FILETIME{0, 0};
  if (static_cast<uint64_t>(seconds) > kMaxFileTime / kTicksPerSecond)
    return FromTicks(kMaxFileTime);
  return FromTicks(static_cast<uint64_t>(seconds) * kTicksPerSecond +
                   static_cast<uint64_t>(time.tv_nsec) / 100);
}

}  // namespace platform::internal

extern "C" BOOL WINAPI FileTimeToSystemTime(LPCFILETIME file_time, LPSYSTEMTIME system_time) {
  if (!file_time || !system_time) return Fail(ERROR_INVALID_PARAMETER);
  const uint64_t ticks = Ticks(*file_time);
  if (ticks > kMaxFileTime) return Fail(ERROR_INVALID_PARAMETER);
  const auto days = static_cast<int64_t>(ticks / kTicksPerDay);
  const uint64_t in_day = ticks % kTicksPerDay;
  const CivilDate date = CivilFromDays(days - kDaysFrom1601To1970);
  system_time->wYear = static_cast<WORD>(date.year);
  system_time->wMonth = static_cast<WORD>(date.month);
  system_time->wDay = static_cast<WORD>(date.day);
  system_time->wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
  system_time->wHour = static_cast<WORD>(in_day / (kTicksPerSecond * 3600));
  system_time->wMinute = static_cast<WORD>(in_day / (kTicksPerSecond * 60) % 60);
  system_time->wSecond = static_cast<WORD>(in_day / kTicksPerSecond % 60);
  system_time->wMilliseconds = static_cast<WORD>(in_day / 10000 % 1000);
  return TRUE;
}

extern "C" BOOL WINAPI SystemTimeToFileTime(LPCSYSTEMTIME system_time, LPFILETIME file_time) {
  if (!system_time || !file_time) return Fail(ERROR_INVALID_PARAMETER);
  const SYSTEMTIME& t = *system_time;
  if (!IsValidSystemTime(t)) return Fail(ERROR_INVALID_PARAMETER);
  const auto days =
      static_cast<uint64_t>(DaysFromCivil(t.wYear, t.wMonth, t.wDay) + kDaysFrom1601To1970);
  const uint64_t seconds = ((days * 24 + t.wHour) * 60 + t.wMinute) * 60 + t.wSecond;
  *file_time = FromTicks(seconds * kTicksPerSecond + t.wMilliseconds * uint64_t{10000});
  return TRUE;
}

extern "C" LONG WINAPI CompareFileTime(LPCFILETIME a, LPCFILETIME b) {
  const uint64_t left = Ticks(*a);
  const uint64_t right = Ticks(*b);
  return left < right ? -1 : (left > right ? 1 : 0);
}
