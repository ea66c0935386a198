// The undo journal: an SQLite file of runs (each replace or rename command
// that changed something) and their changes in order, beside a folder per
// run that keeps the old content of rewritten or replaced files. Every write
// is a durable transaction, so what the journal says survives a kill or a
// crash; it never says more than what was saved before it. Changes are
// recorded a batch at a time, so the flushes are paid per batch, not per
// file.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace host {

// What an entry was at one moment, enough to tell it again later.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  uint32_t mode = 0;  // type and permission bits
  uint32_t owner = 0;
  uint32_t group = 0;
  int64_t size = 0;
  timespec accessed{};
  timespec modified{};

  static FileIdentity Of(const struct stat& st);
  bool SameInode(const struct stat& st) const;
  // The same inode, size, mode and modification time: nobody changed it.
  bool Unchanged(const struct stat& st) const;
};

struct JournalChange {
  enum class Kind {
    kRewrite = 1,    // new content replaced `path`; `before` is the old file, `after` the new
    kMove = 2,       // the entry `before` moved from `path` to `new_path`
    kDisplaced = 3,  // the entry `before` at `path` was replaced by the move after it
  };
  int64_t seq = 0;
  Kind kind = Kind::kRewrite;
  std::string path;
  std::string new_path;
  std::string saved;           // name in the run's folder of the old content; empty: none
  bool saved_is_link = false;  // the saved name is the old inode itself, not a copy
  FileIdentity before;
  FileIdentity after;
  std::string backup;  // a NAME.old the rewrite left, holding the old inode too
};

struct JournalRun {
  int64_t id = 0;  // 0 until its first change is written
  int64_t started = 0;  // seconds since the epoch
  std::string folder;   // the folder the command ran in
  std::string command;  // as the user typed it
  std::string store;    // name of the run's folder of saved content
  int64_t files = 0;    // changes known to be made
};

// What became of changes recorded earlier: made, or failed (the platform
// did not make them, so they leave the journal with their saved content).
struct SettledChanges {
  std::vector<int64_t> made;
  std::vector<int64_t> failed;
};

// An entry the journal knows by one inode that an undo put back as another
// (a copy of its old content, where no link to the old inode was kept).
// Only the changes made before the one taken back mean that entry by the
// old number: the file system may have given it to a later one.
struct Renumbered {
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t new_device = 0;
  uint64_t new_inode = 0;
  int64_t before_seq = 0;  // applies to the changes numbered below this
};

class UndoJournal {
 public:
  // Kept: the last kKeptRuns runs, and of those no more than kKeptBytes of
  // saved content; the newest run is kept whatever its size.
  static constexpr size_t kKeptRuns = 20;
  static constexpr int64_t kKeptBytes = int64_t{1} << 30;

  // $XDG_STATE_HOME/finderix, else ~/.local/state/finderix.
  static std::string DefaultFolder();

  // Opens the journal in `folder`, creating both when `create`; null with a
  // reason when it is missing (and not created), cannot be opened, or is
  // damaged.
  static std::unique_ptr<UndoJournal> Open(const std::string& folder, bool create,
                                           std::string* error);
  ~UndoJournal();
  UndoJournal(const UndoJournal&) = delete;
  UndoJournal& operator=(const UndoJournal&) = delete;

  // The folder holding a run's saved content, and the path of one saved file.
  std::string RunFolder(const JournalRun& run) const;
  std::string SavedPath(const JournalRun& run, const std::string& saved) const;
  // Makes a new run's folder (durably); false with errno set.
  bool MakeRunFolder(JournalRun* run);

  // Records changes before they are made, together with the run on its
  // first change and what became of the changes before them: what they
  // saved in the run's folder is flushed first, then all of them are
  // written in one transaction. Durable when it returns true.
  bool Record(JournalRun* run, const std::vector<JournalChange>& changes,
              const SettledChanges& settled);
  bool Settle(const JournalRun& run, const SettledChanges& settled);
  // Removes a run and its saved content.
  bool Drop(int64_t run_id);
  // Removes the changes `seqs` of a run, which an undo took back, and their
  // saved content; the changes left then name each renumbered entry by its
  // new inode. The run stays, with what is left.
  bool Forget(const JournalRun& run, const std::vector<int64_t>& seqs,
              const std::vector<Renumbered>& renumbered);
  // Drops what is past the limits above, oldest first.
  void Prune();

  // Newest first.
  std::vector<JournalRun> Runs();
  std::optional<JournalRun> Find(int64_t run_id);
  // In the order they were made.
  std::vector<JournalChange> Changes(int64_t run_id);

  const std::string& error() const { return error_; }

 private:
  UndoJournal(sqlite3* db, std::string folder) : db_(db), folder_(std::move(folder)) {}
  bool Execute(const char* sql);
  // Runs body in one IMMEDIATE transaction, committed when body succeeds
  // and rolled back otherwise.
  bool InTransaction(const std::function<bool()>& body);
  // Newest first; only the run `run_id` unless it is 0.
  std::vector<JournalRun> SelectRuns(int64_t run_id);
  bool FlushSaved(const JournalRun& run, const std::vector<JournalChange>& changes);
  // Flushes everything written to the file system `folder` is on. False
  // with errno set.
  bool SyncFileSystemOf(const std::string& folder) const;
  bool AddInTransaction(JournalRun* run, const std::vector<JournalChange>& changes);
  bool SettleInTransaction(const JournalRun& run, const SettledChanges& settled);
  bool RenumberInTransaction(const JournalRun& run, const std::vector<Renumbered>& renumbered);
  void RemoveSaved(const JournalRun& run, const SettledChanges& settled);
  bool Fail();

  sqlite3* db_;  // owned
  std::string folder_;
  std::string error_;  // the last failure
  // The newest run folder this journal made, and a descriptor on it opened
  // before anything was saved there: syncfs reports only the write errors
  // that happened after the descriptor it is given was opened.
  std::string made_folder_;
  int made_folder_fd_ = -1;
};

}  // namespace host
