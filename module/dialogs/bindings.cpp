// Edit-field bindings. A number field refuses what it cannot read, so a
// stray keystroke never turns a setting into zero.
#include "module/dialogs/bindings.hpp"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "module/base/host_access.hpp"
#include "module/base/messages.hpp"

void StringBinding::Fill(FarDialogItem& record) { SetRecordData(record, variable_->c_str()); }

void StringBinding::Store(const FarDialogItem& record) {
  variable_->assign(record.Data, strnlen(record.Data, sizeof record.Data));
}

void CharBinding::Fill(FarDialogItem& record) {
  record.Data[0] = *variable_;
  record.Data[1] = '\0';
}

void CharBinding::Store(const FarDialogItem& record) { *variable_ = record.Data[0]; }

namespace {

// strtol/strtoul read exactly what scanf's %d and %x read; the value must
// also fit an int (a hexadecimal one may use all 32 bits).
std::optional<int> ReadHex(const char* digits) {
  while (std::isspace(static_cast<unsigned char>(*digits))) digits++;
  if (!std::isxdigit(static_cast<unsigned char>(*digits))) return std::nullopt;
  errno = 0;
  unsigned long value = std::strtoul(digits, nullptr, 16);
  if (errno == ERANGE || value > UINT_MAX) return std::nullopt;
  return static_cast<int>(static_cast<unsigned>(value));
}

std::optional<int> ReadDecimal(const char* text) {
  char* end = nullptr;
  errno = 0;
  long value = std::strtol(text, &end, 10);
  if (end == text || errno == ERANGE || value < INT_MIN || value > INT_MAX) return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace

std::optional<int> ReadDialogNumber(const char* text) {
  if (std::strncmp(text, "0x", 2) == 0 || std::strncmp(text, "0X", 2) == 0)
    return ReadHex(text + 2);
  if (text[0] == '$') return ReadHex(text + 1);
  return ReadDecimal(text);
}

void ShowInvalidNumber(const char* title, const char* text, const char* help_topic) {
  const char* items[] = {title, text, GetMsg(MOk)};
  StartupInfo.Message(StartupInfo.ModuleNumber, FMSG_WARNING, help_topic, items, 3, 1);
}

IntBinding::IntBinding(int* variable, int minimum, int maximum, int title_message,
                       int error_message, const char* help_topic)
    : variable_(variable), minimum_(minimum), maximum_(maximum), title_message_(title_message),
      error_format_(GetMsg(error_message)), help_topic_(help_topic) {}

void IntBinding::Fill(FarDialogItem& record) {
  std::snprintf(record.Data, sizeof record.Data, "%d", *variable_);
}

bool IntBinding::Validate(const FarDialogItem& record) {
  std::optional<int> value = ReadDialogNumber(record.Data);
  if (value && *value >= minimum_ && *value <= maximum_) return true;
  char text[128];
  std::snprintf(text, sizeof text, error_format_, minimum_, maximum_);
  ShowInvalidNumber(GetMsg(title_message_), text, help_topic_);
  return false;
}

void IntBinding::Store(const FarDialogItem& record) {
  if (std::optional<int> value = ReadDialogNumber(record.Data)) *variable_ = *value;
}
