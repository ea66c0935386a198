// Recording a run's changes before they are made. The old content is saved
// and flushed, then the change is written to the journal in a durable
// transaction, and only then may the platform commit: after a crash the
// journal names every change that may have been made, and holds what each
// one replaced.
#include "host/core/undo_recorder.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
  announced_.clear();
  settled_ = SettledChanges();
}

void UndoRecorder::EndRun() {
  if (!in_run_) return;
  in_run_ = false;
  if (!journal_) return;
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
  Settle();
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
  return Save(change.old_content, change.path, &rewrite) && Write(rewrite);
}

bool UndoRecorder::RecordMove(const platform::PendingChange& change) {
  struct stat moved, replaced;
  if (change.path == change.new_path || lstat(change.path.c_str(), &moved) != 0)
    return true;  // nothing moves, or the move fails on its own
  if (change.replaces && lstat(change.new_path.c_str(), &replaced) == 0) {
    JournalChange displaced = NewChange(JournalChange::Kind::kDisplaced, change.new_path, replaced);
    if (!Save(-1, change.new_path, &displaced) || !Write(displaced)) return false;
  }
  JournalChange move = NewChange(JournalChange::Kind::kMove, change.path, moved);
  move.new_path = change.new_path;
  return Write(move);
}

bool UndoRecorder::Save(int fd, const std::string& path, JournalChange* change) {
  change->saved = std::to_string(change->seq);
  const std::string saved = journal_->RunFolder(run_) + "/" + change->saved;
  const std::string source = fd >= 0 ? "/proc/self/fd/" + std::to_string(fd) : path;
  change->saved_is_link =
      linkat(AT_FDCWD, source.c_str(), AT_FDCWD, saved.c_str(), fd >= 0 ? AT_SYMLINK_FOLLOW : 0) ==
      0;
  if (change->saved_is_link) return true;
  // Another file system, or links refused: the old content is copied.
  int own = fd >= 0 ? -1 : open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  const bool copied = (fd >= 0 || own >= 0) && CopyToNewFile(fd >= 0 ? fd : own, saved);
  const std::string why = std::strerror(errno);
  if (own >= 0) close(own);
  return copied || Refuse("cannot keep the old content of " + path + " for undo: " + why);
}

bool UndoRecorder::Write(const JournalChange& change) {
  if (!journal_->Record(&run_, change, settled_))
    return Refuse("cannot write the undo journal: " + journal_->error());
  settled_ = SettledChanges();
  announced_.push_back(change.seq);
  return true;
}

void UndoRecorder::Committed(const std::string&) {
  settled_.made.insert(settled_.made.end(), announced_.begin(), announced_.end());
  announced_.clear();
}

void UndoRecorder::Settle() {
  // Announced and never committed: the platform gave up on the change.
  settled_.failed.insert(settled_.failed.end(), announced_.begin(), announced_.end());
  announced_.clear();
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
