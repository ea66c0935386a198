// The manual page: it renders without a warning, and its OPTIONS section
// names the options --help names, each one the program accepts.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "host/cli/options.hpp"
#include "tests/dist/help_options.hpp"
#include "tests/dist/installed_program.hpp"

namespace {

using testing_support::RunShell;
using testing_support::ShellQuoted;
using testing_support::ShellRun;

const std::string kPage = FINDERIX_SOURCE_DIR "/dist/finderix.1";

// The options of the page's OPTIONS section: the words starting with "-" in
// the tag line after each ".TP", with the font and hyphen escapes undone.
std::set<std::string> PageOptions() {
  static const std::regex kFont(R"(\\f[BIRP])");
  static const std::regex kOption(R"((^|[ ,"])(-{1,2}[0-9A-Za-z][-A-Za-z]*))");
  std::set<std::string> options;
  std::istringstream page(ReadText(kPage));
  bool in_options = false, tag_next = false;
  for (std::string line; std::getline(page, line);) {
    if (line.rfind(".SH", 0) == 0) in_options = line == ".SH OPTIONS";
    if (!in_options) continue;
    if (line == ".TP") {
      tag_next = true;
      continue;
    }
    if (!tag_next) continue;
    tag_next = false;
    std::string plain = std::regex_replace(line, kFont, "");
    plain = std::regex_replace(plain, std::regex(R"(\\-)"), "-");
    for (std::sregex_iterator it(plain.begin(), plain.end(), kOption), end; it != end; ++it)
      options.insert((*it)[2]);
  }
  return options;
}

TEST(ManualPage, RendersWithoutWarnings) {
  TempFolder scratch;
  ShellRun groff = RunShell("groff -ww -man -z " + ShellQuoted(kPage), scratch.path());
  EXPECT_EQ(groff.status, 0);
  EXPECT_EQ(groff.err, "");
  ShellRun man = RunShell("MANWIDTH=80 man --warnings -l " + ShellQuoted(kPage), scratch.path());
  EXPECT_EQ(man.status, 0);
  EXPECT_EQ(man.err, "");
  EXPECT_NE(man.out.find("EXIT STATUS"), std::string::npos) << man.out;
}

TEST(ManualPage, NamesTheOptionsTheHelpNamesAndTheProgramTakes) {
  const std::set<std::string> page = PageOptions(), help = testing_support::HelpOptions();
  EXPECT_GE(help.size(), 10u);
  EXPECT_EQ(page, help);
  for (const std::string& option : page) {
    SCOPED_TRACE(option);
    const char* arguments[] = {option.c_str(), "value"};
    host::cli::ProgramOptions parsed;
    std::string error;
    host::cli::ParseProgramOptions(arguments, &parsed, &error);
    EXPECT_EQ(error.find("unknown option"), std::string::npos) << error;
  }
}

}  // namespace
