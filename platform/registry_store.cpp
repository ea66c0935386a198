// The registry database on SQLite: the schema, the checks made before the
// file is trusted, and the few statements the registry calls need, each
// prepared once per connection.
//
// The file keeps SQLite's rollback journal (journal_mode DELETE) rather than
// WAL: the registry is small and written rarely, a rollback journal keeps it
// one self-contained file that can be copied or backed up while nobody
// writes, and it needs no shared-memory file beside it, so a registry on a
// network or read-only location still works. With synchronous=FULL every
// committed call is on disk when it returns. Writers begin IMMEDIATE and wait
// on the busy timeout, so two processes writing at once take turns instead
// of failing.
#include "platform/registry_store.hpp"

#include <sqlite3.h>

namespace platform::internal {

namespace {

constexpr int kBusyTimeoutMs = 10000;
constexpr sqlite3_int64 kApplicationId = 0x46445258;  // "FDRX" in the file header
constexpr sqlite3_int64 kSchemaVersion = 1;

// Key ids are never reused (AUTOINCREMENT), so they record the creation
// order and a handle to a deleted key can never land on a newer one.
constexpr const char kSchemaTables[] = R"sql(
CREATE TABLE keys(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  parent INTEGER REFERENCES keys(id),
  name TEXT NOT NULL COLLATE NOCASE,
  UNIQUE(parent, name));
CREATE TABLE key_values(
  key_id INTEGER NOT NULL REFERENCES keys(id) ON DELETE CASCADE,
  name TEXT NOT NULL COLLATE NOCASE,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  PRIMARY KEY(key_id, name)) WITHOUT ROWID;
INSERT INTO keys(id, parent, name) VALUES(1, NULL, '');
)sql";

struct StatementFinalizer {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using StatementPtr = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// The one place where an SQLite result becomes a registry status.
LSTATUS StatusFromSqlite(int result) {
  switch (result & 0xff) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE: return ERROR_SUCCESS;
    case SQLITE_NOTADB: return ERROR_BADDB;
    case SQLITE_CORRUPT: return ERROR_REGISTRY_CORRUPT;
    case SQLITE_CANTOPEN: return ERROR_CANTOPEN;
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH: return ERROR_ACCESS_DENIED;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return ERROR_BUSY;
    case SQLITE_NOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_FULL: return ERROR_DISK_FULL;
    case SQLITE_TOOBIG: return ERROR_INVALID_PARAMETER;
    default: return ERROR_REGISTRY_IO_FAILED;
  }
}

// One execution of a prepared statement. It is reset on destruction, so no
// statement keeps a lock or a bound buffer past the call that ran it. Bound
// text and blobs are not copied: they must outlive this object.
class Execution {
 public:
  explicit Execution(sqlite3_stmt* statement) : statement_(statement) {}
  ~Execution() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
  }
  Execution(const Execution&) = delete;
  Execution& operator=(const Execution&) = delete;

  Execution& Int(int index, sqlite3_int64 value) {
    Keep(sqlite3_bind_int64(statement_, index, value));
    return *this;
  }
  Execution& Text(int index, const std::string& text) {
    Keep(sqlite3_bind_text64(statement_, index, text.data(), text.size(), SQLITE_STATIC,
                             SQLITE_UTF8));
    return *this;
  }
  Execution& Blob(int index, const BYTE* data, DWORD size) {
    static const BYTE kEmpty = 0;  // a null pointer would bind NULL, not an empty blob
    Keep(sqlite3_bind_blob64(statement_, index, size ? data : &kEmpty, size, SQLITE_STATIC));
    return *this;
  }

  // Steps once; *row tells whether a row came.
  LSTATUS Next(bool* row) {
    int result = bind_result_ != SQLITE_OK ? bind_result_ : sqlite3_step(statement_);
    *row = result == SQLITE_ROW;
    return *row || result == SQLITE_DONE ? ERROR_SUCCESS : StatusFromSqlite(result);
  }
  LSTATUS Run() {
    bool row;
    return Next(&row);
  }

  sqlite3_int64 ColumnInt(int column) const { return sqlite3_column_int64(statement_, column); }
  std::string ColumnText(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return text ? std::string(text, sqlite3_column_bytes(statement_, column)) : std::string();
  }
  std::vector<BYTE> ColumnBlob(int column) const {
    const auto* data = static_cast<const BYTE*>(sqlite3_column_blob(statement_, column));
    return data ? std::vector<BYTE>(data, data + sqlite3_column_bytes(statement_, column))
                : std::vector<BYTE>();
  }

 private:
  void Keep(int result) {
    if (bind_result_ == SQLITE_OK) bind_result_ = result;
  }

  sqlite3_stmt* statement_;
  int bind_result_ = SQLITE_OK;  // the first binding that failed, reported by Next
};

// The SQL here is fixed, so a statement that does not compile ("no such
// column") means the file holds tables of another shape.
LSTATUS Prepare(sqlite3* db, const char* sql, StatementPtr* statement) {
  sqlite3_stmt* raw = nullptr;
  int result = sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
  statement->reset(raw);
  return result == SQLITE_ERROR ? ERROR_BADDB : StatusFromSqlite(result);
}

// The one-row answer of a query or pragma.
LSTATUS QueryInt(sqlite3* db, const char* sql, sqlite3_int64* value) {
  StatementPtr statement;
  if (LSTATUS code = Prepare(db, sql, &statement)) return code;
  Execution query(statement.get());
  bool row;
  if (LSTATUS code = query.Next(&row)) return code;
  if (!row) return ERROR_REGISTRY_CORRUPT;
  *value = query.ColumnInt(0);
  return ERROR_SUCCESS;
}

// The full check, once per connection: quick_check passes an index that no
// longer matches its table, and a write through such an index (a key found
// missing and added twice) makes the damage worse. The file is small, so
// reading all of it costs little.
LSTATUS CheckIntegrity(sqlite3* db) {
  StatementPtr statement;
  if (LSTATUS code = Prepare(db, "PRAGMA integrity_check", &statement)) return code;
  Execution check(statement.get());
  bool row;
  if (LSTATUS code = check.Next(&row)) return code;
  return row && check.ColumnText(0) == "ok" ? ERROR_SUCCESS : ERROR_REGISTRY_CORRUPT;
}

LSTATUS Execute(sqlite3* db, const std::string& sql) {
  return StatusFromSqlite(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr));
}

LSTATUS CountTables(sqlite3* db, sqlite3_int64* count) {
  return QueryInt(db, "SELECT count(*) FROM sqlite_schema", count);
}

// Fills an empty file. Another process may be doing the same at this moment,
// so the file is looked at again under the write lock.
LSTATUS CreateSchema(sqlite3* db) {
  if (LSTATUS code = Execute(db, "BEGIN IMMEDIATE")) return code;
  sqlite3_int64 tables = 0;
  LSTATUS code = CountTables(db, &tables);
  if (code == ERROR_SUCCESS && tables == 0) {
    code = Execute(db, std::string(kSchemaTables) +
                           "PRAGMA application_id = " + std::to_string(kApplicationId) + ";" +
                           "PRAGMA user_version = " + std::to_string(kSchemaVersion) + ";");
  }
  if (code == ERROR_SUCCESS) code = Execute(db, "COMMIT");
  if (!sqlite3_get_autocommit(db)) Execute(db, "ROLLBACK");
  return code;
}

// A file with tables must be a registry of this schema; anything else is
// someone else's database and is refused untouched.
LSTATUS EnsureSchema(sqlite3* db) {
  sqlite3_int64 tables = 0;
  if (LSTATUS code = CountTables(db, &tables)) return code;
  if (tables == 0) {
    if (LSTATUS code = CreateSchema(db)) return code;
  }
  sqlite3_int64 application = 0;
  sqlite3_int64 version = 0;
  if (LSTATUS code = QueryInt(db, "PRAGMA application_id", &application)) return code;
  if (LSTATUS code = QueryInt(db, "PRAGMA user_version", &version)) return code;
  return application == kApplicationId && version == kSchemaVersion ? ERROR_SUCCESS
                                                                      : ERROR_BADDB;
}

}  // namespace

struct RegistryStore::Statements {
  StatementPtr begin_read, begin_write, commit, rollback;
  StatementPtr key_lives, find_subkey, add_subkey, has_subkeys, subkey_at, delete_key;
  StatementPtr get_value, put_value, delete_value;

  static LSTATUS PrepareAll(sqlite3* db, std::unique_ptr<Statements>* prepared) {
    struct Text {
      StatementPtr Statements::*member;
      const char* sql;
    };
    static constexpr Text kTexts[] = {
        {&Statements::begin_read, "BEGIN"},
        {&Statements::begin_write, "BEGIN IMMEDIATE"},
        {&Statements::commit, "COMMIT"},
        {&Statements::rollback, "ROLLBACK"},
        {&Statements::key_lives, "SELECT 1 FROM keys WHERE id = ?1"},
        {&Statements::find_subkey, "SELECT id FROM keys WHERE parent = ?1 AND name = ?2"},
        {&Statements::add_subkey, "INSERT INTO keys(parent, name) VALUES(?1, ?2)"},
        {&Statements::has_subkeys, "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1"},
        // Windows orders subkeys by their upper-case names, which puts
        // "_" after the letters; NOCASE folds to lower case and would not.
        {&Statements::subkey_at,
         "SELECT name FROM keys WHERE parent = ?1 ORDER BY upper(name) LIMIT 1 OFFSET ?2"},
        {&Statements::delete_key, "DELETE FROM keys WHERE id = ?1"},
        {&Statements::get_value,
         "SELECT type, data FROM key_values WHERE key_id = ?1 AND name = ?2"},
        {&Statements::put_value,
         "INSERT INTO key_values(key_id, name, type, data) VALUES(?1, ?2, ?3, ?4) "
         "ON CONFLICT(key_id, name) DO UPDATE SET type = excluded.type, data = excluded.data"},
        {&Statements::delete_value, "DELETE FROM key_values WHERE key_id = ?1 AND name = ?2"},
    };
    auto statements = std::make_unique<Statements>();
    for (const Text& text : kTexts) {
      if (LSTATUS code = Prepare(db, text.sql, &((*statements).*text.member))) return code;
    }
    *prepared = std::move(statements);
    return ERROR_SUCCESS;
  }
};

void RegistryStore::DatabaseCloser::operator()(sqlite3* db) const { sqlite3_close_v2(db); }

RegistryStore::RegistryStore(DatabasePtr db, std::unique_ptr<Statements> statements)
    : db_(std::move(db)), statements_(std::move(statements)) {}

RegistryStore::~RegistryStore() = default;

LSTATUS RegistryStore::Open(const std::string& path, bool durable,
                            std::unique_ptr<RegistryStore>* store) {
  sqlite3* raw = nullptr;
  int result = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                               nullptr);
  DatabasePtr db(raw);  // closed on every way out, even when the open failed
  if (result != SQLITE_OK) return StatusFromSqlite(result);
  sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
  // Nothing may write before the file has been found sound.
  if (LSTATUS code = CheckIntegrity(db.get())) return code;
  // A scratch file is thrown away after one run, so a crash cannot leave it
  // half written for anyone: its journal stays in memory, which spares a
  // journal file made and removed for every call that writes.
  if (LSTATUS code = Execute(db.get(), durable ? "PRAGMA synchronous = FULL;"
                                                 "PRAGMA journal_mode = DELETE;"
                                               : "PRAGMA synchronous = OFF;"
                                                 "PRAGMA journal_mode = MEMORY;")) {
    return code;
  }
  if (LSTATUS code = Execute(db.get(), "PRAGMA foreign_keys = ON;")) return code;
  if (LSTATUS code = EnsureSchema(db.get())) return code;
  std::unique_ptr<Statements> statements;
  if (LSTATUS code = Statements::PrepareAll(db.get(), &statements)) return code;
  std::unique_ptr<RegistryStore> opened(new RegistryStore(std::move(db), std::move(statements)));
  LSTATUS code = opened->CheckKeyLives(kRootKeyId);
  if (code == ERROR_KEY_DELETED) return ERROR_REGISTRY_CORRUPT;
  if (code != ERROR_SUCCESS) return code;
  *store = std::move(opened);
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::Transact(Access access, const std::function<LSTATUS()>& body) {
  sqlite3_stmt* begin =
      access == Access::kWrite ? statements_->begin_write.get() : statements_->begin_read.get();
  if (LSTATUS code = Execution(begin).Run()) return code;
  // Whatever happens below, including an exception out of body, the
  // transaction ends here: committed on success, rolled back otherwise.
  struct RollbackUnlessCommitted {
    RegistryStore* store;
    ~RollbackUnlessCommitted() {
      if (!sqlite3_get_autocommit(store->db_.get())) {
        Execution(store->statements_->rollback.get()).Run();
      }
    }
  } guard{this};
  LSTATUS code = body();
  if (code != ERROR_SUCCESS) return code;
  return Execution(statements_->commit.get()).Run();
}

LSTATUS RegistryStore::ProbeWrite() {
  // A body that does not succeed rolls the transaction back.
  LSTATUS code = Transact(Access::kWrite, [&]() -> LSTATUS {
    const BYTE zero = 0;
    LSTATUS probe = PutValue(kRootKeyId, "FinderixWriteProbe", REG_BINARY, &zero, 1);
    return probe != ERROR_SUCCESS ? probe : ERROR_CANCELLED;
  });
  return code == ERROR_CANCELLED ? ERROR_SUCCESS : code;
}

LSTATUS RegistryStore::CheckKeyLives(KeyId key) {
  Execution query(statements_->key_lives.get());
  bool row;
  if (LSTATUS code = query.Int(1, key).Next(&row)) return code;
  return row ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

LSTATUS RegistryStore::FindSubkey(KeyId parent, const std::string& name,
                                  std::optional<KeyId>* child) {
  Execution query(statements_->find_subkey.get());
  bool row;
  if (LSTATUS code = query.Int(1, parent).Text(2, name).Next(&row)) return code;
  *child = row ? std::optional<KeyId>(query.ColumnInt(0)) : std::nullopt;
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::AddSubkey(KeyId parent, const std::string& name, KeyId* child) {
  if (LSTATUS code = Execution(statements_->add_subkey.get()).Int(1, parent).Text(2, name).Run()) {
    return code;
  }
  *child = sqlite3_last_insert_rowid(db_.get());
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::HasSubkeys(KeyId key, bool* has) {
  return Execution(statements_->has_subkeys.get()).Int(1, key).Next(has);
}

LSTATUS RegistryStore::SubkeyName(KeyId parent, DWORD index, std::optional<std::string>* name) {
  Execution query(statements_->subkey_at.get());
  bool row;
  if (LSTATUS code = query.Int(1, parent).Int(2, index).Next(&row)) return code;
  *name = row ? std::optional<std::string>(query.ColumnText(0)) : std::nullopt;
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::DeleteKey(KeyId key) {
  return Execution(statements_->delete_key.get()).Int(1, key).Run();
}

LSTATUS RegistryStore::GetValue(KeyId key, const std::string& name,
                                std::optional<RegistryValue>* value) {
  Execution query(statements_->get_value.get());
  bool row;
  if (LSTATUS code = query.Int(1, key).Text(2, name).Next(&row)) return code;
  if (!row) {
    value->reset();
    return ERROR_SUCCESS;
  }
  *value = RegistryValue{static_cast<DWORD>(query.ColumnInt(0)), query.ColumnBlob(1)};
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::PutValue(KeyId key, const std::string& name, DWORD type, const BYTE* data,
                                DWORD size) {
  return Execution(statements_->put_value.get())
      .Int(1, key)
      .Text(2, name)
      .Int(3, type)
      .Blob(4, data, size)
      .Run();
}

LSTATUS RegistryStore::DeleteValue(KeyId key, const std::string& name, bool* deleted) {
  if (LSTATUS code = Execution(statements_->delete_value.get()).Int(1, key).Text(2, name).Run()) {
    return code;
  }
  *deleted = sqlite3_changes(db_.get()) > 0;
  return ERROR_SUCCESS;
}

}  // namespace platform::internal
