// The module's stored settings as the host may set them from the command
// line: each value's registry name, its kind and the range the module
// accepts when it loads, so that a wrong name or value is refused before
// anything is written (the module would silently read it as its default).
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32.hpp"

namespace host::cli {

struct SettingRule {
  enum Kind { kInt, kText, kCharacter };
  const char* name;
  Kind kind;
  long long minimum;  // ints only; both ends inclusive
  long long maximum;
};

// Every value the module keeps in its registry key.
std::span<const SettingRule> StoredSettingRules();

// One value ready to be written: a REG_DWORD (int, character) or a REG_SZ
// in code page 866 (text).
struct StoredSetting {
  const SettingRule* rule = nullptr;
  DWORD number = 0;
  std::string text;
};

// Every value at the module's default, in table order.
std::vector<StoredSetting> DefaultSettings();

// Reads "NAME=VALUE". The name is matched without regard to letter case,
// as registry names are. An int is decimal (a leading "-" allowed) or
// hexadecimal after "0x"; a character is one character, or its code 0-255
// when more than one digit is given; a text is any text that code page 866
// can hold. False with a one-line reason.
bool ParseSettingAssignment(std::string_view assignment, StoredSetting* setting,
                            std::string* error);

}  // namespace host::cli
