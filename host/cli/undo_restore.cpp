// Taking back a run. Whether a change was made, is taken back already, or
// was changed again since is read from the entries themselves (inode, size,
// mode, modification time), never from what the journal believes, so a run
// cut short by a crash, or an undo cut short, is taken back correctly.
#include "host/cli/undo_restore.hpp"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <map>
#include <random>
#include <set>
#include <tuple>
#include <utility>

#include "host/core/file_copy.hpp"

namespace host::cli {

namespace {

using Kind = JournalChange::Kind;

enum class State { kDone, kToRestore, kChangedSince };

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool Stat(const std::string& path, struct stat* st) { return lstat(path.c_str(), st) == 0; }

// A moved entry keeps its inode, size, mode and times; a folder's times
// follow its entries.
bool IsEntry(const FileIdentity& id, const struct stat& st) {
  return S_ISDIR(st.st_mode) ? id.SameInode(st) : id.Unchanged(st);
}

// Whether `path` holds the saved copy's bytes with the old size, mode and
// modification time: a copy restored by an undo that was cut short.
bool HoldsCopy(const std::string& path, const std::string& saved, const FileIdentity& before) {
  struct stat now;
  if (!Stat(path, &now) || now.st_size != before.size || now.st_mode != before.mode ||
      now.st_mtim.tv_sec != before.modified.tv_sec ||
      now.st_mtim.tv_nsec != before.modified.tv_nsec)
    return false;
  const int a = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  const int b = open(saved.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  const bool same = a >= 0 && b >= 0 && SameContent(a, b);
  if (a >= 0) close(a);
  if (b >= 0) close(b);
  return same;
}

class RunRestorer {
 public:
  RunRestorer(UndoJournal& journal, const JournalRun& run, RestoreOutcome* outcome)
      : journal_(journal), run_(run), outcome_(outcome) {}

  std::string Saved(const JournalChange& change) const {
    return journal_.SavedPath(run_, change.saved);
  }

  // What taking back the change means now.
  State StateOf(const JournalChange& change) const {
    const FileIdentity before = StandIn(change.before);
    struct stat now, moved;
    const bool present = Stat(change.path, &now);
    switch (change.kind) {
      case Kind::kRewrite:
        // Not made, or back. Without a link the old inode was freed and its
        // number may be taken by another file, so the content decides.
        if (change.saved_is_link ? present && before.SameInode(now)
                                 : HoldsCopy(change.path, Saved(change), change.before))
          return State::kDone;
        if (present && StandIn(change.after).Unchanged(now)) return State::kToRestore;
        return State::kChangedSince;
      case Kind::kMove:
        if (Stat(change.new_path, &moved) && IsEntry(before, moved)) return State::kToRestore;
        if (present && IsEntry(before, now)) return State::kDone;
        return State::kChangedSince;
      case Kind::kDisplaced:
        if (!present) return State::kToRestore;
        if (before.SameInode(now) ||
            (!change.saved_is_link && HoldsCopy(change.path, Saved(change), change.before)))
          return State::kDone;
        return State::kChangedSince;  // or, before its move is taken back, the moved entry
    }
    return State::kChangedSince;
  }

  // The saved content the change still needs is missing or not what was
  // saved. A displaced entry needs it unless it is back in its place.
  bool LostSaved(const JournalChange& change) const {
    const State state = StateOf(change);
    if (change.kind == Kind::kMove || state == State::kDone ||
        (change.kind == Kind::kRewrite && state == State::kChangedSince))
      return false;
    struct stat saved;
    if (!Stat(Saved(change), &saved)) return true;
    return change.saved_is_link ? !change.before.SameInode(saved)
                                : saved.st_size != change.before.size;
  }

  void TakeBack(const JournalChange& change) {
    switch (StateOf(change)) {
      case State::kDone:
        NoteStandIn(change);
        RemoveBackup(change);
        outcome_->taken_back.push_back(change.seq);
        return;
      case State::kChangedSince:
        outcome_->changed_since.push_back(LeftAloneBy(change));
        return;
      case State::kToRestore:
        break;
    }
    const bool ok = change.kind == Kind::kMove ? MoveBack(change) : PutBack(change);
    if (!ok && change.kind == Kind::kMove && errno == EEXIST) {
      outcome_->failed.push_back(change.new_path + ": its old name " + change.path +
                                 " is taken; not restored");
      return;
    }
    if (!ok) {
      outcome_->failed.push_back(change.path + ": " + std::strerror(errno));
      return;
    }
    NoteStandIn(change);
    RemoveBackup(change);
    outcome_->taken_back.push_back(change.seq);
    if (change.kind != Kind::kDisplaced) outcome_->restored.push_back(change.path);
  }

  // Makes every rename durable, each folder once: until then a crash may
  // undo a rename, which the next undo makes again.
  void FlushTouched() {
    for (const std::string& folder : touched_) FlushFolder(folder);
    touched_.clear();
  }

  // The copies put back in place of old inodes, for the changes left.
  const std::vector<Renumbered>& Renumberings() const { return renumbered_; }

 private:
  using InodeKey = std::pair<uint64_t, uint64_t>;  // device, inode

  // A copy put back is a new inode: earlier changes that name the old one
  // (a move of the file, the rewrite that made it) find the copy instead.
  FileIdentity StandIn(FileIdentity id) const {
    const auto copy = stand_ins_.find({id.device, id.inode});
    if (copy != stand_ins_.end()) std::tie(id.device, id.inode) = copy->second;
    return id;
  }

  void NoteStandIn(const JournalChange& change) {
    struct stat now;
    if (change.kind == Kind::kMove || change.saved_is_link || !Stat(change.path, &now) ||
        change.before.SameInode(now))
      return;
    stand_ins_[{change.before.device, change.before.inode}] = {now.st_dev, now.st_ino};
    renumbered_.push_back({change.before.device, change.before.inode, now.st_dev, now.st_ino,
                           change.seq});
  }

  // Where what the change's entry held before the run can still be had.
  LeftAlone LeftAloneBy(const JournalChange& change) const {
    if (change.kind == Kind::kMove) return {change.new_path, "", change.path};
    return {change.path, change.saved.empty() ? "" : Saved(change), ""};
  }

  // One rename that never replaces: the entry under its old name, or
  // nothing changed.
  static bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    if (link(from.c_str(), to.c_str()) != 0) return false;  // a file system without the flag
    return unlink(from.c_str()) == 0;
  }

  bool MoveBack(const JournalChange& change) {
    if (!RenameNoReplace(change.new_path, change.path)) return false;
    touched_.insert(FolderOf(change.path));
    touched_.insert(FolderOf(change.new_path));
    return true;
  }

  // The old content in its place, with its owner, mode and times, in one
  // rename: over the rewritten file, or into the place of a displaced one.
  bool PutBack(const JournalChange& change) {
    const std::string from = change.saved_is_link ? Saved(change) : CopyBeside(change);
    if (from.empty()) return false;
    const timespec times[2] = {change.before.accessed, change.before.modified};
    const bool ok = utimensat(AT_FDCWD, from.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0 &&
                    (change.kind == Kind::kRewrite ? rename(from.c_str(), change.path.c_str()) == 0
                                                   : RenameNoReplace(from, change.path));
    const int saved_errno = errno;
    if (!ok && !change.saved_is_link) unlink(from.c_str());
    errno = saved_errno;
    if (ok) touched_.insert(FolderOf(change.path));
    return ok;
  }

  // A copy of the saved content in the file's folder under a hidden name,
  // with the old owner and mode; empty on failure.
  std::string CopyBeside(const JournalChange& change) {
    static std::minstd_rand next(static_cast<unsigned>(getpid()) ^ static_cast<unsigned>(time(nullptr)));
    char name[32];
    std::snprintf(name, sizeof name, "/.finderix-undo-%08x", static_cast<unsigned>(next()));
    const std::string copy = FolderOf(change.path) + name;
    const int saved = open(Saved(change).c_str(), O_RDONLY | O_CLOEXEC);
    const bool copied = saved >= 0 && CopyToNewFile(saved, copy);
    if (saved >= 0) close(saved);
    if (!copied) return "";
    if (lchown(copy.c_str(), change.before.owner, change.before.group) != 0 ||
        chmod(copy.c_str(), change.before.mode & 07777) != 0) {
      unlink(copy.c_str());
      return "";
    }
    return copy;
  }

  // A NAME.old the run left that still holds the old content goes with it.
  static void RemoveBackup(const JournalChange& change) {
    struct stat backup;
    if (!change.backup.empty() && Stat(change.backup, &backup) && change.before.SameInode(backup))
      unlink(change.backup.c_str());
  }

  const UndoJournal& journal_;
  const JournalRun& run_;
  RestoreOutcome* outcome_;
  std::map<InodeKey, InodeKey> stand_ins_;
  std::vector<Renumbered> renumbered_;  // the same, for the journal, in the order noted
  std::set<std::string> touched_;  // folders whose entries changed, flushed at the end
};

}  // namespace

bool TakeBackRun(UndoJournal& journal, const JournalRun& run, RestoreOutcome* outcome,
                 std::string* error) {
  RunRestorer restorer(journal, run, outcome);
  const std::vector<JournalChange> changes = journal.Changes(run.id);
  for (const JournalChange& change : changes) {
    if (restorer.LostSaved(change)) {
      *error = "the undo journal has lost what " + change.path + " held before run " +
               std::to_string(run.id) + " (" + restorer.Saved(change) +
               " is missing); nothing was restored";
      return false;
    }
  }
  for (auto change = changes.rbegin(); change != changes.rend(); ++change)
    restorer.TakeBack(*change);
  restorer.FlushTouched();  // before the journal may forget what was taken back
  outcome->renumbered = restorer.Renumberings();
  return true;
}

bool KeepWhatIsLeft(UndoJournal& journal, const JournalRun& run, const RestoreOutcome& outcome) {
  if (outcome.AllTakenBack()) return journal.Drop(run.id);
  return journal.Forget(run, outcome.taken_back, outcome.renumbered);
}

}  // namespace host::cli
