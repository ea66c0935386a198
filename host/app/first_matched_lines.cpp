// First matched lines by module path. A file listed again forgets the line
// of the search before, so a later search without lines never opens the
// editor at a stale one.
#include "host/app/first_matched_lines.hpp"

namespace host::app {

bool FirstMatchedLines::FoundFile(const std::string& module_path, bool lines_available) {
  lines_.erase(module_path);
  return lines_available;
}

bool FirstMatchedLines::MatchedLine(const std::string& module_path, int64_t number,
                                    const std::string&) {
  lines_.emplace(module_path, number);
  return false;
}

std::optional<int64_t> FirstMatchedLines::LineOf(const std::string& module_path) const {
  auto found = lines_.find(module_path);
  if (found == lines_.end()) return std::nullopt;
  return found->second;
}

}  // namespace host::app
