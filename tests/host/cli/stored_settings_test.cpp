// "--set NAME=VALUE": names matched as the registry matches them, each
// kind's value forms, and the ranges the module accepts on loading.
#include "host/cli/stored_settings.hpp"

#include <gtest/gtest.h>

#include <set>
#include <strings.h>

namespace {

using host::cli::SettingRule;
using host::cli::StoredSetting;

TEST(StoredSettings, NumbersInRangeAndTheirRegistryBits) {
  struct Row {
    const char* assignment;
    const char* name;
    DWORD number;
  };
  const Row rows[] = {
      {"FSearchIn=3", "FSearchIn", 3},
      {"fsearchin=0", "FSearchIn", 0},
      {"SeveralLines=256", "SeveralLines", 256},
      {"EShowPositionOffset=-1024", "EShowPositionOffset", 0xFFFFFC00u},
      {"FADateBeforeLo=0xE1D58000", "FADateBeforeLo", 0xE1D58000u},
      {"FADateBeforeLo=-1", "FADateBeforeLo", 0xFFFFFFFFu},
      {"FASizeLessLimit=2147483647", "FASizeLessLimit", 2147483647u},
      {"ReadAtOnceLimit=0x1FFFF", "ReadAtOnceLimit", 131071},
      {"MaskDelimiter=;", "MaskDelimiter", ';'},
      {"MaskDelimiter=5", "MaskDelimiter", '5'},     // one character is the character
      {"MaskDelimiter=59", "MaskDelimiter", 59},     // more digits are its code
      {"MaskNegation=\xE2\x94\x82", "MaskNegation", 0xB3},  // "│" in code page 866
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.assignment);
    StoredSetting setting;
    std::string error;
    ASSERT_TRUE(host::cli::ParseSettingAssignment(row.assignment, &setting, &error)) << error;
    EXPECT_STREQ(setting.rule->name, row.name);
    EXPECT_EQ(setting.number, row.number);
  }
}

TEST(StoredSettings, TextsAreKeptInCodePage866) {
  StoredSetting setting;
  std::string error;
  ASSERT_TRUE(host::cli::ParseSettingAssignment("FText=при x=1", &setting, &error)) << error;
  EXPECT_EQ(setting.rule->kind, SettingRule::kText);
  EXPECT_EQ(setting.text, "\xAF\xE0\xA8 x=1");
  ASSERT_TRUE(host::cli::ParseSettingAssignment("FMask=", &setting, &error)) << error;
  EXPECT_EQ(setting.text, "");
}

TEST(StoredSettings, RefusedValues) {
  const char* assignments[] = {
      "FSearchIn=5",        "FSearchIn=-1",     "SeveralLines=0",     "SeveralLines=257",
      "FSearchIn=3x",       "FSearchIn=",       "FSearchIn= 3",       "FSearchIn=+3",
      "FSearchIn=0x",       "FADateBeforeLo=0x100000000", "FADateBeforeLo=--1",
      "MaskDelimiter=256",  "MaskDelimiter=ab", "MaskDelimiter=",     "FText=\xE2\x82\xAC",
      "FText=\xFF",         "FSearchIn",        "=3",                 "Bogus=1",
      "FSearchInX=1",
  };
  for (const char* assignment : assignments) {
    SCOPED_TRACE(assignment);
    StoredSetting setting;
    setting.number = 77;
    std::string error;
    EXPECT_FALSE(host::cli::ParseSettingAssignment(assignment, &setting, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(setting.number, 77u);  // untouched
  }
}

TEST(StoredSettings, TableNamesAreUniqueWithoutRegardToCase) {
  std::set<std::string> seen;
  for (const SettingRule& rule : host::cli::StoredSettingRules()) {
    std::string lower = rule.name;
    for (char& c : lower) c = static_cast<char>(tolower(c));
    EXPECT_TRUE(seen.insert(lower).second) << rule.name;
    EXPECT_LE(rule.minimum, rule.maximum) << rule.name;
  }
  EXPECT_EQ(seen.size(), 52u);
}

}  // namespace
