// Scope words and the whole-drive rule, over the module's own FSearchIn
// values so that the host and the module cannot disagree on them.
#include "host/cli/scope.hpp"

#include <algorithm>
#include <iterator>

#include "module/base/setting_table.hpp"

namespace host::cli {

namespace {

struct ScopeName {
  const char* word;
  int search_in;
};

constexpr ScopeName kScopeNames[] = {
    {"tree", ScopeFolderTree},   {"folder", ScopeFolder},    {"selected", ScopeSelected},
    {"root", ScopeDriveRoot},    {"local", ScopeLocalDrives}, {"all", ScopeAllDrives},
};

}  // namespace

const char* ScopeSettingName() { return DescribeSetting(SettingId::FSearchIn).name; }

int ModuleDefaultScope() { return DescribeSetting(SettingId::FSearchIn).default_number; }

int DefaultShellScope() { return ScopeFolderTree; }

std::optional<int> ScopeOfWord(std::string_view word) {
  for (const ScopeName& name : kScopeNames)
    if (word == name.word) return name.search_in;
  return std::nullopt;
}

std::string ScopeWords() {
  std::string words;
  for (const ScopeName& name : kScopeNames) words += (words.empty() ? "" : "|") + std::string(name.word);
  return words;
}

std::string WordOfScope(int search_in) {
  auto name = std::find_if(std::begin(kScopeNames), std::end(kScopeNames),
                           [&](const ScopeName& n) { return n.search_in == search_in; });
  return name == std::end(kScopeNames) ? std::to_string(search_in) : name->word;
}

bool CoversWholeDrive(int search_in) {
  return search_in == ScopeDriveRoot || search_in == ScopeLocalDrives ||
         search_in == ScopeAllDrives;
}

bool ChangesFiles(std::string_view command_text) {
  if (command_text.empty() || command_text[0] == ' ' || command_text[0] == '\t') return false;
  const char delimiter = command_text[0];
  return std::count(command_text.begin() + 1, command_text.end(), delimiter) >= 3;
}

}  // namespace host::cli
