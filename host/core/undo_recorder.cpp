// Recording a run's changes before they are made. As each change is
// announced its old content is kept (linked, or copied without a flush);
// when the platform is ready to make a batch, the journal flushes what the
// batch kept and then writes its changes in one durable transaction, and
// only then may the platform commit: after a crash the journal names every
// change that may have been made, and holds what each one replaced.
#include "host/core/undo_recorder.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "host/core/file_copy.hpp"

namespace host {

void UndoRecorder::BeginRun(const std::string& folder, const std::string& command) {
  in_run_ = true;
  run_ = JournalRun();
  run_.folder = folder;
  run_.command = command;
  next_seq_ = 0;
  batch_.clear();
  batch_ready_ = false;
  settled_ = SettledChanges();
}

void UndoRecorder::EndRun() {
  if (!in_run_) return;
  in_run_ = false;
  if (!journal_) return;
  if (!batch_ready_) {  // announced, then never made ready: not in the journal
    for (const Announced& announced : batch_) Unsave(announced.changes);
    batch_.clear();
  }
  Settle();
  if (run_.id != 0 && journal_->Settle(run_, settled_)) {
    std::optional<JournalRun> recorded = journal_->Find(run_.id);
    if (recorded && recorded->files == 0) journal_->Drop(run_.id);
  } else if (run_.id == 0 && !run_.store.empty()) {
    std::error_code error;
    std::filesystem::remove_all(journal_->RunFolder(run_), error);
  }
  journal_->Prune();
}

bool UndoRecorder::AboutToCommit(const platform::PendingChange& change) {
  if (!in_run_) return true;
  if (batch_ready_) Settle();  // the first change of a new batch
  if (!journal_) {
    std::string error;
    journal_ = UndoJournal::Open(state_folder_, true, &error);
    if (!journal_) return Refuse(error);
  }
  if (run_.store.empty() && !journal_->MakeRunFolder(&run_)) {
    const std::string why = std::strerror(errno);
    run_.store.clear();
    return Refuse("cannot make a folder for the undo journal in " + state_folder_ + ": " + why);
  }
  return change.kind == platform::PendingChange::Kind::kRewrite ? RecordRewrite(change)
                                                                : RecordMove(change);
}

bool UndoRecorder::ReadyToCommit() {
  if (batch_ready_) return true;  // nothing was announced since the last batch
  batch_ready_ = true;
  std::vector<JournalChange> changes;
  for (const Announced& announced : batch_)
    changes.insert(changes.end(), announced.changes.begin(), announced.changes.end());
  if (changes.empty()) return true;
  if (journal_->Record(&run_, changes, settled_)) {
    settled_ = SettledChanges();
    return true;
  }
  Unsave(changes);
  batch_.clear();
  return Refuse("cannot write the undo journal: " + journal_->error());
}

JournalChange UndoRecorder::NewChange(JournalChange::Kind kind, const std::string& path,
                                     const struct stat& before) {
  JournalChange change;
  change.seq = ++next_seq_;
  change.kind = kind;
  change.path = path;
  change.before = FileIdentity::Of(before);
  return change;
}

bool UndoRecorder::RecordRewrite(const platform::PendingChange& change) {
  if (change.old_content < 0) return true;  // a new file replaces nothing
  struct stat old_state, new_state;
  if (fstat(change.old_content, &old_state) != 0 || fstat(change.new_content, &new_state) != 0)
    return Refuse("cannot examine " + change.path + ": " + std::strerror(errno));
  JournalChange rewrite = NewChange(JournalChange::Kind::kRewrite, change.path, old_state);
  rewrite.after = FileIdentity::Of(new_state);
  rewrite.backup = change.backup;
  if (!Save(change.old_content, change.path, &rewrite)) return false;
  batch_.push_back({change.path, {rewrite}});
  return true;
}

bool UndoRecorder::RecordMove(const platform::PendingChange& change) {
  struct stat moved, replaced;
  if (change.path == change.new_path || lstat(change.path.c_str(), &moved) != 0)
    return true;  // nothing moves, or the move fails on its own
  Announced announced{change.new_path, {}};
  if (change.replaces && lstat(change.new_path.c_str(), &replaced) == 0) {
    JournalChange displaced = NewChange(JournalChange::Kind::kDisplaced, change.new_path, replaced);
    if (!Save(-1, change.new_path, &displaced)) return false;
    announced.changes.push_back(displaced);
  }
  JournalChange move = NewChange(JournalChange::Kind::kMove, change.path, moved);
  move.new_path = change.new_path;
  announced.changes.push_back(move);
  batch_.push_back(std::move(announced));
  return true;
}

bool UndoRecorder::Save(int fd, const std::string& path, JournalChange* change) {
  change->saved = std::to_string(change->seq);
  const std::string saved = journal_->SavedPath(run_, change->saved);
  const std::string source = fd >= 0 ? "/proc/self/fd/" + std::to_string(fd) : path;
  change->saved_is_link =
      linkat(AT_FDCWD, source.c_str(), AT_FDCWD, saved.c_str(), fd >= 0 ? AT_SYMLINK_FOLLOW : 0) ==
      0;
  if (change->saved_is_link) return true;
  // Another file system, or links refused: the old content is copied.
  int own = fd >= 0 ? -1 : open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  const bool copied =
      (fd >= 0 || own >= 0) && CopyToNewFile(fd >= 0 ? fd : own, saved, CopyFlush::kByCaller);
  const std::string why = std::strerror(errno);
  if (own >= 0) close(own);
  return copied || Refuse("cannot keep the old content of " + path + " for undo: " + why);
}

void UndoRecorder::Unsave(const std::vector<JournalChange>& changes) {
  for (const JournalChange& change : changes)
    if (!change.saved.empty()) unlink(journal_->SavedPath(run_, change.saved).c_str());
}

void UndoRecorder::Committed(const std::string& posix_path) {
  const auto made = std::find_if(batch_.begin(), batch_.end(), [&](const Announced& announced) {
    return announced.committed_as == posix_path;
  });
  if (made == batch_.end()) return;
  for (const JournalChange& change : made->changes) settled_.made.push_back(change.seq);
  batch_.erase(made);
}

void UndoRecorder::Settle() {
  // Announced and never committed: the platform gave up on the change.
  for (const Announced& announced : batch_)
    for (const JournalChange& change : announced.changes) settled_.failed.push_back(change.seq);
  batch_.clear();
  batch_ready_ = false;
}

bool UndoRecorder::Refuse(const std::string& why) {
  if (error_.empty()) error_ = why + "; nothing was changed there";
  return false;
}

std::string UndoRecorder::TakeError() {
  std::string error;
  error.swap(error_);
  return error;
}

}  // namespace host
