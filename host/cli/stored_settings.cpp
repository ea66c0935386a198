// The reading of one "NAME=VALUE" against the module's own settings table,
// which the host includes as plain data (it cannot link the module).
#include "host/cli/stored_settings.hpp"

#include <strings.h>

#include <array>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstring>

#include "module/base/setting_table.hpp"
#include "platform/host_bridge.hpp"

namespace host::cli {

namespace {

using Kind = SettingRule::Kind;

// An int the module takes whole, 32 bits of any sign: typed as a negative
// number or as its unsigned bits.
constexpr long long kAnyMax = UINT32_MAX;

constexpr SettingRule RuleOf(const SettingDescriptor& row) {
  switch (row.kind) {
    case SettingKind::kText: return {row.name, Kind::kText, 0, 0};
    case SettingKind::kChar: return {row.name, Kind::kCharacter, row.minimum, row.maximum};
    case SettingKind::kInt: break;
  }
  bool any_bits = row.minimum == INT_MIN && row.maximum == INT_MAX;
  return {row.name, Kind::kInt, row.minimum, any_bits ? kAnyMax : row.maximum};
}

constexpr std::array<SettingRule, std::size(kSettingTable)> RulesOfTable() {
  std::array<SettingRule, std::size(kSettingTable)> rules{};
  for (size_t i = 0; i < rules.size(); i++) rules[i] = RuleOf(kSettingTable[i]);
  return rules;
}

constexpr auto kRules = RulesOfTable();

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

std::vector<StoredSetting> DefaultSettings() {
  std::vector<StoredSetting> settings;
  for (size_t i = 0; i < kRules.size(); i++) {
    const SettingDescriptor& row = kSettingTable[i];
    StoredSetting setting;
    setting.rule = &kRules[i];
    if (row.kind == SettingKind::kText)
      setting.text = row.default_text;
    else
      setting.number = static_cast<DWORD>(row.default_number);
    settings.push_back(std::move(setting));
  }
  return settings;
}

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
