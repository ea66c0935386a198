// The undo journal's file and folders. Transactions are begun IMMEDIATE and
// synchronous is FULL, so a change recorded is on disk before the caller
// goes on to make it; a file that fails the quick integrity check is
// refused, never rewritten. Saved content is flushed before the changes
// that name it are written: a link to an old inode needs only its folder
// flushed, copies need their bytes too, which one flush of the whole file
// system gives for a batch of copies (it also writes out whatever else is
// pending there). That flush goes through a descriptor opened before the
// copies, so that a copy's failed write-back is reported.
#include "host/core/undo_journal.hpp"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "host/core/file_copy.hpp"

namespace host {

namespace {

namespace fs = std::filesystem;

constexpr const char* kFileName = "journal.db";
constexpr const char* kSavedFolder = "saved";
constexpr int kBusyMilliseconds = 10000;

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS runs(id INTEGER PRIMARY KEY AUTOINCREMENT, started INTEGER,"
    " folder TEXT, command TEXT, store TEXT);"
    "CREATE TABLE IF NOT EXISTS changes(run INTEGER, seq INTEGER, kind INTEGER, path TEXT,"
    " new_path TEXT, saved TEXT, saved_is_link INTEGER, backup TEXT, made INTEGER DEFAULT 0,"
    " b_dev, b_ino, b_mode, b_uid, b_gid, b_size, b_atime, b_atime_ns, b_mtime, b_mtime_ns,"
    " a_dev, a_ino, a_mode, a_uid, a_gid, a_size, a_atime, a_atime_ns, a_mtime, a_mtime_ns,"
    " PRIMARY KEY(run, seq));";

constexpr int kIdentityColumns = 10;

// One prepared statement; binds count from 1, columns from 0.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool ok() const { return stmt_ != nullptr; }
  Statement& Bind(int64_t value) {
    sqlite3_bind_int64(stmt_, ++bound_, value);
    return *this;
  }
  Statement& Bind(const std::string& text) {
    sqlite3_bind_text(stmt_, ++bound_, text.data(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
    return *this;
  }
  Statement& Bind(const FileIdentity& id) {
    for (int64_t value : {static_cast<int64_t>(id.device), static_cast<int64_t>(id.inode),
                          int64_t{id.mode}, int64_t{id.owner}, int64_t{id.group}, id.size,
                          int64_t{id.accessed.tv_sec}, int64_t{id.accessed.tv_nsec},
                          int64_t{id.modified.tv_sec}, int64_t{id.modified.tv_nsec}})
      Bind(value);
    return *this;
  }
  // Ready to be run again with new values.
  void Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    bound_ = 0;
  }
  // SQLITE_ROW, SQLITE_DONE or an error code.
  int Step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }
  bool Run() { return Step() == SQLITE_DONE; }
  int64_t Int(int column) const { return sqlite3_column_int64(stmt_, column); }
  std::string Text(int column) const {
    const unsigned char* text = sqlite3_column_text(stmt_, column);
    return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
  }
  FileIdentity Identity(int first) const {
    FileIdentity id;
    id.device = static_cast<uint64_t>(Int(first));
    id.inode = static_cast<uint64_t>(Int(first + 1));
    id.mode = static_cast<uint32_t>(Int(first + 2));
    id.owner = static_cast<uint32_t>(Int(first + 3));
    id.group = static_cast<uint32_t>(Int(first + 4));
    id.size = Int(first + 5);
    id.accessed = {static_cast<time_t>(Int(first + 6)), static_cast<long>(Int(first + 7))};
    id.modified = {static_cast<time_t>(Int(first + 8)), static_cast<long>(Int(first + 9))};
    return id;
  }

 private:
  sqlite3_stmt* stmt_ = nullptr;
  int bound_ = 0;
};

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Bytes a run's saved content holds on disk.
int64_t FolderBytes(const std::string& folder) {
  std::error_code error;
  int64_t bytes = 0;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    const uintmax_t size = entry.is_regular_file(error) ? entry.file_size(error) : 0;
    if (!error) bytes += static_cast<int64_t>(size);
  }
  return bytes;
}

// Empty when SQLite finds the file sound, else what it found.
std::string QuickCheck(sqlite3* db) {
  Statement check(db, "PRAGMA quick_check");
  if (check.Step() != SQLITE_ROW) return sqlite3_errmsg(db);
  const std::string verdict = check.Text(0);
  return verdict == "ok" ? "" : verdict;
}

}  // namespace

FileIdentity FileIdentity::Of(const struct stat& st) {
  return {.device = st.st_dev, .inode = st.st_ino, .mode = st.st_mode, .owner = st.st_uid,
          .group = st.st_gid, .size = st.st_size, .accessed = st.st_atim,
          .modified = st.st_mtim};
}

bool FileIdentity::SameInode(const struct stat& st) const {
  return st.st_dev == device && st.st_ino == inode;
}

bool FileIdentity::Unchanged(const struct stat& st) const {
  return SameInode(st) && st.st_size == size && st.st_mode == mode &&
         SameTime(st.st_mtim, modified);
}

std::string UndoJournal::DefaultFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state && state[0] == '/') return std::string(state) + "/finderix";
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/.local/state/finderix";
}

std::unique_ptr<UndoJournal> UndoJournal::Open(const std::string& folder, bool create,
                                               std::string* error) {
  const std::string file = folder + "/" + kFileName;
  std::error_code fs_error;
  if (!create && !fs::exists(file, fs_error)) {
    *error = "no undo journal in " + folder + ": no replace or rename has been recorded";
    return nullptr;
  }
  if (create) fs::create_directories(fs::path(folder) / kSavedFolder, fs_error);
  sqlite3* db = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
  if (sqlite3_open_v2(file.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    *error = "cannot open the undo journal " + file + ": " + sqlite3_errmsg(db);
    sqlite3_close(db);
    return nullptr;
  }
  std::unique_ptr<UndoJournal> journal(new UndoJournal(db, folder));
  sqlite3_busy_timeout(db, kBusyMilliseconds);
  if (std::string damage = QuickCheck(db); !damage.empty()) {
    *error = "the undo journal " + file + " is damaged (" + damage +
             "); move it away to start a new one";
    return nullptr;
  }
  if (!journal->Execute("PRAGMA journal_mode=WAL") ||
      !journal->Execute("PRAGMA synchronous=FULL") || !journal->Execute(kSchema)) {
    *error = "cannot use the undo journal " + file + ": " + journal->error();
    return nullptr;
  }
  return journal;
}

UndoJournal::~UndoJournal() {
  if (made_folder_fd_ >= 0) close(made_folder_fd_);
  sqlite3_close(db_);
}

bool UndoJournal::Fail() {
  error_ = sqlite3_errmsg(db_);
  return false;
}

bool UndoJournal::Execute(const char* sql) {
  return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK || Fail();
}

bool UndoJournal::InTransaction(const std::function<bool()>& body) {
  if (!Execute("BEGIN IMMEDIATE")) return false;
  if (body() && Execute("COMMIT")) return true;
  Fail();
  Execute("ROLLBACK");
  return false;
}

std::string UndoJournal::RunFolder(const JournalRun& run) const {
  return folder_ + "/" + kSavedFolder + "/" + run.store;
}

std::string UndoJournal::SavedPath(const JournalRun& run, const std::string& saved) const {
  return RunFolder(run) + "/" + saved;
}

bool UndoJournal::MakeRunFolder(JournalRun* run) {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  run->started = now.tv_sec;
  run->store = std::to_string(now.tv_sec) + "." + std::to_string(now.tv_nsec) + "-" +
               std::to_string(getpid());
  const std::string parent = folder_ + "/" + kSavedFolder;
  std::error_code error;
  fs::create_directories(parent, error);
  if (mkdir(RunFolder(*run).c_str(), 0700) != 0) return false;
  if (made_folder_fd_ >= 0) close(made_folder_fd_);
  made_folder_ = RunFolder(*run);
  made_folder_fd_ = open(made_folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  return made_folder_fd_ >= 0 && FlushFolder(parent);
}

bool UndoJournal::SettleInTransaction(const JournalRun& run, const SettledChanges& settled) {
  Statement mark(db_, "UPDATE changes SET made=1 WHERE run=? AND seq=?");
  for (int64_t seq : settled.made) {
    mark.Reset();
    if (!mark.Bind(run.id).Bind(seq).Run()) return Fail();
  }
  Statement drop(db_, "DELETE FROM changes WHERE run=? AND seq=?");
  for (int64_t seq : settled.failed) {
    drop.Reset();
    if (!drop.Bind(run.id).Bind(seq).Run()) return Fail();
  }
  return true;
}

// The saved content of failed changes goes once they have left the
// journal; a crash before leaves an unnamed file behind, never a change
// without its content.
void UndoJournal::RemoveSaved(const JournalRun& run, const SettledChanges& settled) {
  for (int64_t seq : settled.failed) unlink(SavedPath(run, std::to_string(seq)).c_str());
}

bool UndoJournal::Settle(const JournalRun& run, const SettledChanges& settled) {
  if (!InTransaction([&] { return SettleInTransaction(run, settled); })) return false;
  RemoveSaved(run, settled);
  return true;
}

bool UndoJournal::SyncFileSystemOf(const std::string& folder) const {
  if (folder == made_folder_) return syncfs(made_folder_fd_) == 0;
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = syncfs(fd) == 0;
  close(fd);
  return synced;
}

bool UndoJournal::FlushSaved(const JournalRun& run, const std::vector<JournalChange>& changes) {
  const auto saves = [](const JournalChange& change) { return !change.saved.empty(); };
  const auto copies = [](const JournalChange& change) {
    return !change.saved.empty() && !change.saved_is_link;
  };
  if (std::none_of(changes.begin(), changes.end(), saves)) return true;
  const std::string folder = RunFolder(run);
  const bool flushed = std::any_of(changes.begin(), changes.end(), copies)
                           ? SyncFileSystemOf(folder)
                           : FlushFolder(folder);
  if (flushed) return true;
  error_ = "cannot flush " + RunFolder(run) + ": " + std::strerror(errno);
  return false;
}

bool UndoJournal::AddInTransaction(JournalRun* run, const std::vector<JournalChange>& changes) {
  if (run->id == 0) {
    Statement add(db_, "INSERT INTO runs(started, folder, command, store) VALUES(?,?,?,?)");
    if (!add.Bind(run->started).Bind(run->folder).Bind(run->command).Bind(run->store).Run())
      return Fail();
    run->id = sqlite3_last_insert_rowid(db_);
  }
  Statement add(db_,
                "INSERT INTO changes VALUES(?,?,?,?,?,?,?,?,0,"
                "?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
  for (const JournalChange& change : changes) {
    add.Reset();
    if (!add.Bind(run->id).Bind(change.seq).Bind(static_cast<int64_t>(change.kind))
             .Bind(change.path).Bind(change.new_path).Bind(change.saved)
             .Bind(int64_t{change.saved_is_link}).Bind(change.backup).Bind(change.before)
             .Bind(change.after).Run())
      return Fail();
  }
  return true;
}

bool UndoJournal::Record(JournalRun* run, const std::vector<JournalChange>& changes,
                         const SettledChanges& settled) {
  if (!FlushSaved(*run, changes)) return false;
  const bool first = run->id == 0;
  if (!InTransaction([&] {
        return AddInTransaction(run, changes) && SettleInTransaction(*run, settled);
      })) {
    if (first) run->id = 0;
    return false;
  }
  RemoveSaved(*run, settled);
  return true;
}

bool UndoJournal::Drop(int64_t run_id) {
  std::optional<JournalRun> run = Find(run_id);
  if (!run) return true;
  Statement changes(db_, "DELETE FROM changes WHERE run=?");
  Statement runs(db_, "DELETE FROM runs WHERE id=?");
  if (!InTransaction([&] { return changes.Bind(run_id).Run() && runs.Bind(run_id).Run(); }))
    return false;
  std::error_code error;
  if (!run->store.empty()) fs::remove_all(RunFolder(*run), error);
  return true;
}

bool UndoJournal::RenumberInTransaction(const JournalRun& run,
                                        const std::vector<Renumbered>& renumbered) {
  Statement before(
      db_, "UPDATE changes SET b_dev=?, b_ino=? WHERE run=? AND seq<? AND b_dev=? AND b_ino=?");
  Statement after(
      db_, "UPDATE changes SET a_dev=?, a_ino=? WHERE run=? AND seq<? AND a_dev=? AND a_ino=?");
  for (const Renumbered& entry : renumbered) {
    for (Statement* renumber : {&before, &after}) {
      renumber->Reset();
      if (!renumber->Bind(static_cast<int64_t>(entry.new_device))
               .Bind(static_cast<int64_t>(entry.new_inode)).Bind(run.id).Bind(entry.before_seq)
               .Bind(static_cast<int64_t>(entry.device)).Bind(static_cast<int64_t>(entry.inode))
               .Run())
        return Fail();
    }
  }
  return true;
}

bool UndoJournal::Forget(const JournalRun& run, const std::vector<int64_t>& seqs,
                         const std::vector<Renumbered>& renumbered) {
  const SettledChanges taken_back{.made = {}, .failed = seqs};  // leave as failed ones do
  if (!InTransaction([&] {
        return SettleInTransaction(run, taken_back) && RenumberInTransaction(run, renumbered);
      }))
    return false;
  RemoveSaved(run, taken_back);
  return true;
}

void UndoJournal::Prune() {
  size_t kept = 0;
  int64_t bytes = 0;
  for (const JournalRun& run : Runs()) {
    bytes += FolderBytes(RunFolder(run));
    if (kept == 0 || (kept < kKeptRuns && bytes <= kKeptBytes)) {
      kept++;
    } else {
      Drop(run.id);
    }
  }
}

std::vector<JournalRun> UndoJournal::SelectRuns(int64_t run_id) {
  std::vector<JournalRun> runs;
  Statement list(db_,
                 "SELECT id, started, folder, command, store,"
                 " (SELECT count(*) FROM changes WHERE run=id AND made=1 AND kind!=3)"
                 " FROM runs WHERE ? IN (0, id) ORDER BY id DESC");
  list.Bind(run_id);
  while (list.Step() == SQLITE_ROW) {
    JournalRun run{.id = list.Int(0), .started = list.Int(1), .folder = list.Text(2),
                   .command = list.Text(3), .store = list.Text(4), .files = list.Int(5)};
    runs.push_back(std::move(run));
  }
  return runs;
}

std::vector<JournalRun> UndoJournal::Runs() { return SelectRuns(0); }

std::optional<JournalRun> UndoJournal::Find(int64_t run_id) {
  std::vector<JournalRun> runs = run_id != 0 ? SelectRuns(run_id) : std::vector<JournalRun>();
  if (runs.empty()) return std::nullopt;
  return std::move(runs.front());
}

std::vector<JournalChange> UndoJournal::Changes(int64_t run_id) {
  std::vector<JournalChange> changes;
  Statement list(db_,
                 "SELECT seq, kind, path, new_path, saved, saved_is_link, backup,"
                 " b_dev, b_ino, b_mode, b_uid, b_gid, b_size, b_atime, b_atime_ns, b_mtime,"
                 " b_mtime_ns, a_dev, a_ino, a_mode, a_uid, a_gid, a_size, a_atime, a_atime_ns,"
                 " a_mtime, a_mtime_ns FROM changes WHERE run=? ORDER BY seq");
  list.Bind(run_id);
  while (list.Step() == SQLITE_ROW) {
    changes.push_back({.seq = list.Int(0), .kind = static_cast<JournalChange::Kind>(list.Int(1)),
                       .path = list.Text(2), .new_path = list.Text(3), .saved = list.Text(4),
                       .saved_is_link = list.Int(5) != 0, .before = list.Identity(7),
                       .after = list.Identity(7 + kIdentityColumns), .backup = list.Text(6)});
  }
  return changes;
}

}  // namespace host
