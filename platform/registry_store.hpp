// The registry database: one SQLite file holding HKEY_CURRENT_USER as a tree
// of keys with their values. Only the registry functions use it; they speak
// in key ids and Windows status codes, never in SQLite types.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32.hpp"

struct sqlite3;
struct sqlite3_stmt;

namespace platform::internal {

using KeyId = std::int64_t;
inline constexpr KeyId kRootKeyId = 1;  // HKEY_CURRENT_USER

struct RegistryValue {
  DWORD type;
  std::vector<BYTE> data;
};

class RegistryStore {
 public:
  enum class Access { kRead, kWrite };

  // Opens the database at `path`, creating the file and the schema when the
  // file is missing or empty. A file that is not a registry database, or is
  // damaged (checked whole, once), is refused and left as it is.
  // durable: every committed call is on disk when it returns.
  static LSTATUS Open(const std::string& path, bool durable, std::unique_ptr<RegistryStore>* store);

  ~RegistryStore();
  RegistryStore(const RegistryStore&) = delete;
  RegistryStore& operator=(const RegistryStore&) = delete;

  // Runs `body` in one transaction, committed only when it returns
  // ERROR_SUCCESS. A write transaction holds the write lock from its start,
  // so two processes never both read and then fail to upgrade.
  LSTATUS Transact(Access access, const std::function<LSTATUS()>& body);

  // Whether a write would succeed now: one is made and rolled back, so
  // nothing of it ever reaches the file or another process.
  LSTATUS ProbeWrite();

  // The operations below run inside Transact. Names compare without regard
  // to ASCII case.
  LSTATUS CheckKeyLives(KeyId key);  // ERROR_KEY_DELETED when it is gone
  LSTATUS FindSubkey(KeyId parent, const std::string& name, std::optional<KeyId>* child);
  LSTATUS AddSubkey(KeyId parent, const std::string& name, KeyId* child);
  LSTATUS HasSubkeys(KeyId key, bool* has);
  // The index-th subkey in case-insensitive name order; nullopt past the end.
  LSTATUS SubkeyName(KeyId parent, DWORD index, std::optional<std::string>* name);
  LSTATUS DeleteKey(KeyId key);  // with its values; the caller checks for subkeys
  LSTATUS GetValue(KeyId key, const std::string& name, std::optional<RegistryValue>* value);
  LSTATUS PutValue(KeyId key, const std::string& name, DWORD type, const BYTE* data,
                   DWORD size);
  LSTATUS DeleteValue(KeyId key, const std::string& name, bool* deleted);

 private:
  struct DatabaseCloser {
    void operator()(sqlite3* db) const;
  };
  using DatabasePtr = std::unique_ptr<sqlite3, DatabaseCloser>;
  struct Statements;

  RegistryStore(DatabasePtr db, std::unique_ptr<Statements> statements);

  DatabasePtr db_;
  std::unique_ptr<Statements> statements_;  // prepared on db_, so finalized before it closes
};

}  // namespace platform::internal
