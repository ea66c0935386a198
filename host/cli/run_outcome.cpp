// The exit status and summary of a shell run. Failures are grouped by what
// went wrong, so a person sees at a glance which files need a look.
#include "host/cli/run_outcome.hpp"

#include <sys/stat.h>

#include <map>
#include <vector>

namespace host::cli {

namespace {

// A file its owner may not write was refused on purpose, not by accident.
bool IsReadOnlyFile(const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
         (status.st_mode & S_IWUSR) == 0;
}

std::string GroupOf(const LineUi::Failure& failure) {
  if (IsReadOnlyFile(failure.path)) return "refused (read-only)";
  return failure.message.empty() ? "failed" : "failed (" + failure.message + ")";
}

std::string Counted(size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

int ExitStatusOf(const RunResult& result) {
  const LineUi::Outcome& outcome = result.outcome;
  if (!outcome.failures.empty() || outcome.cancelled || outcome.stopped) return kExitFailed;
  const size_t done = result.changes_files ? result.changed : result.listed;
  return done > 0 ? kExitDone : kExitNothing;
}

std::string SummaryLine(const RunResult& result) {
  std::map<std::string, std::vector<std::string>> groups;  // group → paths, in order
  for (const LineUi::Failure& failure : result.outcome.failures)
    if (!failure.path.empty()) groups[GroupOf(failure)].push_back(failure.path);
  if (result.changed == 0 && groups.empty()) return std::string();
  std::string line;
  if (result.changes_files || result.changed > 0)
    line = result.dry_run ? Counted(result.changed, "file would change", "files would change")
                          : Counted(result.changed, "file changed", "files changed");
  for (const auto& [group, paths] : groups) {
    line += (line.empty() ? "" : ", ") + std::to_string(paths.size()) + " " + group + ":";
    for (size_t i = 0; i < paths.size(); i++) line += (i ? ", " : " ") + paths[i];
  }
  return line;
}

}  // namespace host::cli
