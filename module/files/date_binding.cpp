// Date fields. No conversion between local time and UTC: the user's date is
// compared with the write time as the folder listing reports it.
#include "module/files/date_binding.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "module/match/pattern.hpp"

namespace {

const char kDateForm[] =
    "^\\s*(\\d+)[./](\\d+)[./](\\d+)(\\s+(\\d+)(:(\\d+)(:(\\d+))?)?)?\\s*$";

// The decimal value of a group's digits, 0 for a group that did not take
// part; capped so that a long run of digits cannot overflow.
WORD GroupValue(const char* text, const OffsetVector& v, int group) {
  if (v.Start(group) < 0) return 0;
  unsigned long value = 0;
  for (int i = v.Start(group); i < v.End(group); i++) {
    value = value * 10 + static_cast<unsigned>(text[i] - '0');
    if (value > 0xFFFF) return 0xFFFF;
  }
  return static_cast<WORD>(value);
}

}  // namespace

bool ParseDate(const char* text, FILETIME* time) {
  static SearchPattern form;
  if (form.empty() && !CompilePattern(form, kDateForm, 0)) return false;
  OffsetVector v(form);
  if (RunPattern(form, text, std::strlen(text), 0, 0, v.data(), v.size()) < 0) return false;
  SYSTEMTIME st{};
  st.wDay = GroupValue(text, v, 1);
  st.wMonth = GroupValue(text, v, 2);
  st.wYear = GroupValue(text, v, 3);
  st.wHour = GroupValue(text, v, 5);
  st.wMinute = GroupValue(text, v, 7);
  st.wSecond = GroupValue(text, v, 9);
  return SystemTimeToFileTime(&st, time);
}

void DateBinding::Fill(FarDialogItem& record) {
  FILETIME time{static_cast<DWORD>(*low_), static_cast<DWORD>(*high_)};
  SYSTEMTIME st;
  if (!FileTimeToSystemTime(&time, &st)) {
    // A stored value beyond the calendar shows as an empty field, which
    // the user must fill before the dialog is accepted.
    record.Data[0] = '\0';
    return;
  }
  std::snprintf(record.Data, sizeof record.Data, "%02d.%02d.%04d %02d:%02d:%02d", st.wDay,
                st.wMonth, st.wYear, st.wHour, st.wMinute, st.wSecond);
}

bool DateBinding::Validate(const FarDialogItem& record) {
  return ParseDate(record.Data, &pending_);
}

void DateBinding::Store(const FarDialogItem&) {
  *low_ = static_cast<int>(pending_.dwLowDateTime);
  *high_ = static_cast<int>(pending_.dwHighDateTime);
}
