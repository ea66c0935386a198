// Recording a run for undo: as the platform's change observer, it keeps the
// old content of each file about to be rewritten or replaced (a hard link to
// the old inode where the journal shares its file system, a copy elsewhere)
// as each change is announced, and writes the changes of a batch to the
// journal, durably, when the platform is ready to make them. A change that
// cannot be recorded is not made.
#pragma once

#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "host/core/undo_journal.hpp"
#include "platform/host_bridge.hpp"

namespace host {

class UndoRecorder : public platform::ChangeObserver {
 public:
  // The journal in `state_folder` is opened on the first change of a run.
  explicit UndoRecorder(std::string state_folder) : state_folder_(std::move(state_folder)) {}

  // Changes made between BeginRun and EndRun form one run; outside a run
  // nothing is recorded. `folder` and `command` are what --history shows.
  void BeginRun(const std::string& folder, const std::string& command);
  // Notes which changes were made, drops a run that made none, and keeps
  // the journal within its limits.
  void EndRun();

  bool AboutToCommit(const platform::PendingChange& change) override;
  bool ReadyToCommit() override;
  void Committed(const std::string& posix_path) override;

  // Why changes were refused since the last call, or empty.
  std::string TakeError();

 private:
  // The journal's changes for one change the platform makes, and the path
  // the platform names when it has made it.
  struct Announced {
    std::string committed_as;
    std::vector<JournalChange> changes;
  };

  // The next change of the run, of an entry that is `before` now.
  JournalChange NewChange(JournalChange::Kind kind, const std::string& path,
                          const struct stat& before);
  bool RecordRewrite(const platform::PendingChange& change);
  bool RecordMove(const platform::PendingChange& change);
  // Keeps the entry open as `fd` (or at `path` when fd is -1) in the run's
  // folder under the change's number; a copy is flushed with its batch.
  bool Save(int fd, const std::string& path, JournalChange* change);
  // Removes what the changes kept, for changes that will not be recorded.
  void Unsave(const std::vector<JournalChange>& changes);
  // Counts the changes of a finished batch that were never made as failed.
  void Settle();
  bool Refuse(const std::string& why);

  std::string state_folder_;
  std::unique_ptr<UndoJournal> journal_;
  bool in_run_ = false;
  JournalRun run_;
  int64_t next_seq_ = 0;
  std::vector<Announced> batch_;  // the batch under way, in the order announced
  bool batch_ready_ = false;      // the platform is making batch_'s changes
  SettledChanges settled_;        // not yet written to the journal
  std::string error_;
};

// Brackets one call into the module as a run of a recorder, if there is one.
class RecordedRun {
 public:
  RecordedRun(UndoRecorder* recorder, const std::string& folder, const std::string& command)
      : recorder_(recorder) {
    if (recorder_) recorder_->BeginRun(folder, command);
  }
  ~RecordedRun() {
    if (recorder_) recorder_->EndRun();
  }
  RecordedRun(const RecordedRun&) = delete;
  RecordedRun& operator=(const RecordedRun&) = delete;

 private:
  UndoRecorder* recorder_;
};

}  // namespace host
