// The host's table of the module's stored settings and the reading of one
// "NAME=VALUE". The table follows the module's own, value for value; a test
// loads the module on each table limit to keep the two in step.
#include "host/cli/stored_settings.hpp"

#include <strings.h>

#include <charconv>
#include <climits>
#include <cstdint>
#include <cstring>

#include "platform/host_bridge.hpp"

namespace host::cli {

namespace {

using Kind = SettingRule::Kind;

// An int the module takes whole, 32 bits of any sign.
constexpr long long kAnyMin = INT_MIN;
constexpr long long kAnyMax = UINT32_MAX;

constexpr SettingRule Int(const char* name, long long minimum, long long maximum) {
  return {name, Kind::kInt, minimum, maximum};
}
constexpr SettingRule Flag(const char* name) { return Int(name, 0, 1); }
constexpr SettingRule Text(const char* name) { return {name, Kind::kText, 0, 0}; }
constexpr SettingRule Character(const char* name) { return {name, Kind::kCharacter, 0, 255}; }

constexpr SettingRule kRules[] = {
    // Plugin-wide values.
    Int("SeveralLines", 1, 256), Flag("StoreEmptyInPresets"), Int("ReadAtOnceLimit", 0, 131071),
    Character("MaskDelimiter"), Character("MaskNegation"), Flag("DotAsteriskMatchesNoExtension"),
    Flag("AutoappendAsterisk"), Int("EShowPosition", 0, 2), Int("EShowPositionOffset", -1024, 1024),
    Int("ERightSideOffset", 0, 1024), Int("EFindTextAtCursor", 0, 2), Flag("EFindSelection"),
    // Editor values.
    Text("EText"), Flag("ERegExp"), Flag("ESeveralLine"), Flag("ECaseSensitive"),
    Text("ERReplace"),
    // File values.
    Flag("FCaseSensitive"), Int("FSearchAs", 0, 5), Int("FSearchIn", 0, 4), Text("FMask"),
    Flag("FMaskAsRegExp"), Text("FText"), Flag("FSInverse"), Flag("FAllCharTables"),
    Flag("FROpenModified"), Flag("FRConfirmFile"), Flag("FRConfirmLine"), Flag("FRSaveOriginal"),
    Text("FRReplace"), Flag("FRepeating"), Flag("FAFullPathMatch"), Text("FAFullPath"),
    Flag("FACaseSensitivePathMatch"), Flag("FADateBefore"), Int("FADateBeforeLo", kAnyMin, kAnyMax),
    Int("FADateBeforeHi", kAnyMin, kAnyMax), Flag("FADateAfter"),
    Int("FADateAfterLo", kAnyMin, kAnyMax), Int("FADateAfterHi", kAnyMin, kAnyMax),
    Flag("FASizeLess"), Int("FASizeLessLimit", 0, INT_MAX), Flag("FASizeGreater"),
    Int("FASizeGreaterLimit", 0, INT_MAX), Flag("FAAttributes"), Int("FAReadOnly", 0, 2),
    Int("FAArchive", 0, 2), Int("FAHidden", 0, 2), Int("FASystem", 0, 2),
    Int("FACompressed", 0, 2), Int("FAEncrypted", 0, 2),
};

const SettingRule* FindRule(std::string_view name) {
  for (const SettingRule& rule : kRules) {
    if (name.size() == std::strlen(rule.name) &&
        strncasecmp(rule.name, name.data(), name.size()) == 0)
      return &rule;
  }
  return nullptr;
}

bool ParseNumber(std::string_view text, long long* number) {
  bool negative = !text.empty() && text[0] == '-';
  if (negative) text.remove_prefix(1);
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  unsigned long long magnitude = 0;
  auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
  if (status != std::errc() || end != text.data() + text.size() || magnitude > UINT32_MAX)
    return false;
  *number = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
  return true;
}

// The module's text in code page 866; false when a character has no place there.
bool ToModuleText(std::string_view utf8, std::string* oem) {
  *oem = platform::Utf8ToOem(std::string(utf8));
  return platform::OemToUtf8(*oem) == utf8;
}

std::string RangeText(const SettingRule& rule) {
  return std::to_string(rule.minimum) + " to " + std::to_string(rule.maximum);
}

bool ParseValue(const SettingRule& rule, std::string_view value, StoredSetting* setting,
                std::string* error) {
  long long number = 0;
  std::string oem;
  switch (rule.kind) {
    case Kind::kText:
      if (!ToModuleText(value, &setting->text)) {
        *error = "holds a character that code page 866 cannot hold";
        return false;
      }
      return true;
    case Kind::kCharacter:
      if (ToModuleText(value, &oem) && oem.size() == 1) {
        setting->number = static_cast<unsigned char>(oem[0]);
        return true;
      }
      if (!ParseNumber(value, &number) || number < 0 || number > 255) {
        *error = "must be one character, or its code 0 to 255";
        return false;
      }
      setting->number = static_cast<DWORD>(number);
      return true;
    case Kind::kInt:
      if (!ParseNumber(value, &number) || number < rule.minimum || number > rule.maximum) {
        *error = "must be a number from " + RangeText(rule);
        return false;
      }
      setting->number = static_cast<DWORD>(static_cast<uint32_t>(number));
      return true;
  }
  return false;
}

}  // namespace

std::span<const SettingRule> StoredSettingRules() { return kRules; }

bool ParseSettingAssignment(std::string_view assignment, StoredSetting* setting,
                            std::string* error) {
  size_t equals = assignment.find('=');
  if (equals == std::string_view::npos) {
    *error = "--set " + std::string(assignment) + ": expected NAME=VALUE";
    return false;
  }
  std::string_view name = assignment.substr(0, equals);
  const SettingRule* rule = FindRule(name);
  if (!rule) {
    *error = "--set: " + std::string(name) + " is not a setting of the module";
    return false;
  }
  StoredSetting parsed;
  parsed.rule = rule;
  std::string reason;
  if (!ParseValue(*rule, assignment.substr(equals + 1), &parsed, &reason)) {
    *error = "--set " + std::string(rule->name) + ": the value " + reason;
    return false;
  }
  *setting = std::move(parsed);
  return true;
}

}  // namespace host::cli
