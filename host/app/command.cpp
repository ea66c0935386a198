// Command line parsing.
#include "host/app/command.hpp"

#include <cctype>

namespace host::app {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool StartsWithPrefix(std::string_view line, std::string_view prefix) {
  if (prefix.empty() || line.size() <= prefix.size() || line[prefix.size()] != ':') return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(line[i])) !=
        std::tolower(static_cast<unsigned char>(prefix[i]))) {
      return false;
    }
  }
  return true;
}

// "cd", "cd DIR"; a quoted folder loses its quotes.
bool ChangeFolder(std::string_view line, std::string* folder) {
  if (line != "cd" && !(line.starts_with("cd") && line.size() > 2 && IsBlank(line[2]))) {
    return false;
  }
  std::string_view rest = Trim(line.substr(2));
  if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') {
    rest = rest.substr(1, rest.size() - 2);
  }
  *folder = rest;
  return true;
}

}  // namespace

Command ParseCommand(std::string_view oem_line, std::string_view prefix) {
  std::string_view line = Trim(oem_line);
  if (line.empty()) return {};
  if (StartsWithPrefix(line, prefix)) {
    // The module's text keeps its blanks: "ff: text" searches for " text"'s words.
    std::string_view text = Trim(oem_line).substr(prefix.size() + 1);
    return {Command::Kind::kModule, std::string(text)};
  }
  std::string folder;
  if (ChangeFolder(line, &folder)) return {Command::Kind::kChangeFolder, folder};
  return {Command::Kind::kShell, std::string(line)};
}

}  // namespace host::app
