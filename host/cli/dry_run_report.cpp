// Printing a dry run's record. The old content of a rewritten file is read
// from the disk, which the dry run left as it was.
#include "host/cli/dry_run_report.hpp"

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "host/cli/unified_diff.hpp"
#include "platform/host_bridge.hpp"

namespace host::cli {

namespace {

using platform::PlannedChange;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

std::string RelativeTo(const std::string& path, const std::string& base) {
  return std::filesystem::path(path).lexically_relative(base).string();
}

void PrintText(const std::string& text, std::FILE* out) {
  std::fwrite(text.data(), 1, text.size(), out);
}

void PrintRewrites(const std::vector<PlannedChange>& changes, const std::string& base,
                   std::FILE* out) {
  for (const PlannedChange& change : changes) {
    const std::string relative = RelativeTo(change.path, base);
    if (change.kind == PlannedChange::Kind::kRewrite) {
      PrintText(UnifiedDiff(ReadFile(change.path), *change.content, "a/" + relative,
                            "b/" + relative),
                out);
    } else if (change.kind == PlannedChange::Kind::kBackup) {
      PrintText(UnifiedDiff("", ReadFile(change.path), "/dev/null",
                            "b/" + RelativeTo(change.to, base)),
                out);
    }
  }
}

void PrintMoves(const std::vector<PlannedChange>& changes, std::FILE* out) {
  std::vector<std::string> order;             // entries by their path on disk, first move first
  std::map<std::string, std::string> last_name;
  for (const PlannedChange& change : changes) {
    if (change.kind != PlannedChange::Kind::kMove) continue;
    if (last_name.insert_or_assign(change.path, change.to).second) order.push_back(change.path);
  }
  for (const std::string& path : order) {
    const std::string& to = last_name[path];
    if (to == path) continue;
    std::fprintf(out, "%s -> %s\n", platform::EscapeForDisplay(path).c_str(),
                 platform::EscapeForDisplay(to).c_str());
  }
}

}  // namespace

void PrintPlannedChanges(const std::vector<PlannedChange>& changes, const std::string& base,
                         std::FILE* out) {
  PrintRewrites(changes, base, out);
  PrintMoves(changes, out);
  std::fflush(out);
}

}  // namespace host::cli
