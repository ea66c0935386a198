// The options the program's --help names: the first one or two words of
// each indented line that starts with "-" ("  -y, --accept-dialogs ...").
#pragma once

#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "host/cli/options.hpp"

namespace testing_support {

inline std::set<std::string> HelpOptions() {
  static const std::regex kOptionLine(R"(^ +(-[^ ,=]+)(, (-[^ ,=]+))?)");
  std::set<std::string> options;
  std::istringstream help(host::cli::kUsage);
  std::smatch match;
  for (std::string line; std::getline(help, line);) {
    if (!std::regex_search(line, match, kOptionLine)) continue;
    options.insert(match[1]);
    if (match[3].matched) options.insert(match[3]);
  }
  return options;
}

}  // namespace testing_support
