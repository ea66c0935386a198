// How a shell run ends: the files the platform changed (learned from its
// commits, not from the module's list), the exit status, and the one
// summary line on standard error.
#pragma once

#include <set>
#include <string>

#include "host/ui/line_ui.hpp"
#include "platform/host_bridge.hpp"

namespace host::cli {

enum ExitStatus {
  kExitDone = 0,     // found or changed something, and nothing failed
  kExitNothing = 1,  // nothing found or changed, nothing failed
  kExitFailed = 2,   // a bad option, text or pattern, a file that failed, or a stopped run
};

// The files changed while it lives: it is the platform's change observer,
// and passes each notice on to `next` (which must outlive it) when given.
class ChangeLog : public platform::ChangeObserver {
 public:
  explicit ChangeLog(platform::ChangeObserver* next = nullptr) : next_(next) {
    platform::InstallChangeObserver(this);
  }
  ~ChangeLog() override { platform::InstallChangeObserver(nullptr); }
  ChangeLog(const ChangeLog&) = delete;
  ChangeLog& operator=(const ChangeLog&) = delete;

  bool AboutToCommit(const platform::PendingChange& change) override {
    return !next_ || next_->AboutToCommit(change);
  }
  bool ReadyToCommit() override { return !next_ || next_->ReadyToCommit(); }
  void Committed(const std::string& posix_path) override {
    changed_.insert(posix_path);
    if (next_) next_->Committed(posix_path);
  }
  size_t count() const { return changed_.size(); }

 private:
  platform::ChangeObserver* next_;
  std::set<std::string> changed_;  // a file rewritten and then renamed counts twice
};

struct RunResult {
  bool changes_files = false;  // a replace or rename
  bool dry_run = false;        // changes were only recorded, never made
  size_t listed = 0;           // files the module listed
  size_t changed = 0;          // files the platform changed
  LineUi::Outcome outcome;
};

int ExitStatusOf(const RunResult& result);

// "3 files changed, 1 refused (read-only): /p/x.txt"; empty when nothing
// was changed and no file failed.
std::string SummaryLine(const RunResult& result);

}  // namespace host::cli
