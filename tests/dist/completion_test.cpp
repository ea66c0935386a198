// The bash completion, run in bash against the built program: it offers
// the options --help names, after --scope its words, and after --set the
// names of the settings table followed by "=".
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "host/cli/scope.hpp"
#include "host/cli/stored_settings.hpp"
#include "tests/dist/help_options.hpp"
#include "tests/dist/installed_program.hpp"

namespace {

using testing_support::ShellQuoted;

// COMPREPLY for the words typed so far; the last word is the one completed.
std::set<std::string> Complete(const std::vector<std::string>& typed) {
  TempFolder scratch;
  std::string words = ShellQuoted(FINDERIX_PROGRAM_PATH);
  for (const std::string& word : typed) words += " " + ShellQuoted(word);
  const std::string script = "source " + ShellQuoted(FINDERIX_SOURCE_DIR "/dist/finderix.bash") +
                             "; COMP_WORDS=(" + words + "); COMP_CWORD=" +
                             std::to_string(typed.size()) +
                             "; _finderix; printf '%s\\n' \"${COMPREPLY[@]}\"";
  testing_support::ShellRun run =
      testing_support::RunShell("bash -c " + ShellQuoted(script), scratch.path());
  std::set<std::string> replies;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);)
    if (!line.empty()) replies.insert(line);
  return replies;
}

std::set<std::string> SettingNames(const std::string& starting) {
  std::set<std::string> names;
  for (const host::cli::SettingRule& rule : host::cli::StoredSettingRules())
    if (std::string(rule.name).rfind(starting, 0) == 0) names.insert(std::string(rule.name) + "=");
  return names;
}

TEST(Completion, OffersTheHelpsOptionsAndTheSettingsTablesNames) {
  EXPECT_EQ(Complete({"-"}), testing_support::HelpOptions());
  EXPECT_EQ(Complete({"--re"}), std::set<std::string>{"--registry"});
  EXPECT_EQ(Complete({"--set", ""}), SettingNames(""));
  EXPECT_GT(SettingNames("").size(), 40u);
  EXPECT_EQ(Complete({"--set", "FSearchI"}), std::set<std::string>{"FSearchIn="});
  // "--set=NAME": bash splits at "=".
  EXPECT_EQ(Complete({"--set", "=", "FA"}), SettingNames("FA"));
  EXPECT_EQ(Complete({"--set", "FSearchIn", "=", ""}), std::set<std::string>{});
  EXPECT_EQ(Complete({"ff:x", ""}), std::set<std::string>{});
  // Every word --scope takes, and no other.
  std::set<std::string> scopes;
  std::istringstream words(host::cli::ScopeWords());
  for (std::string word; std::getline(words, word, '|');) scopes.insert(word);
  EXPECT_EQ(Complete({"--scope", ""}), scopes);
}

}  // namespace
