// The Win32 registry calls: the process's one registry connection (opened at
// the first call, on the host's file or the default one), the table of open
// key handles, and the Windows argument and buffer contracts. Like Windows,
// every call returns its status and leaves the last error alone.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <filesystem>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/host_bridge.hpp"
#include "platform/registry_store.hpp"

using platform::internal::KeyId;
using platform::internal::kRootKeyId;
using platform::internal::RegistryStore;
using platform::internal::RegistryValue;
using Access = RegistryStore::Access;

// What an HKEY points to. It holds the key's id, nothing of SQLite, so a
// handle stays good across a reconnect, and a handle whose key was deleted
// (by this process or another) is told apart from one never opened.
struct HKEY__ {
  KeyId id;
};

namespace {

constexpr size_t kMaxKeyNameLength = 255;  // Windows' limit, and what a 256-byte buffer enumerates

// The registry may be called from any thread; one call runs at a time.
std::mutex registry_mutex;
// Guarded by registry_mutex:
std::string registry_file;                // empty: the default location
platform::RegistryWrites registry_writes = platform::RegistryWrites::kDurable;
std::unique_ptr<RegistryStore> registry;  // null until the first call succeeds in opening
LSTATUS refusal = ERROR_SUCCESS;          // why the file was found damaged, if it was
std::unordered_map<HKEY, std::unique_ptr<HKEY__>> open_keys;

// Every folder of `path` that is missing. Failure needs no report here: the
// database open that follows fails on the missing folder.
void MakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    mkdir(path.substr(0, slash).c_str(), 0700);
  }
  mkdir(path.c_str(), 0700);
}

// $XDG_CONFIG_HOME/finderix/registry.db, or ~/.config/finderix/registry.db;
// a relative XDG_CONFIG_HOME is ignored, as the XDG rules say. Empty when
// there is no home folder to put it in.
std::string DefaultRegistryFile() {
  std::string config;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') {
    config = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
      const passwd* user = getpwuid(getuid());
      home = user ? user->pw_dir : nullptr;
    }
    if (!home || !*home) return std::string();
    config = std::string(home) + "/.config";
  }
  std::string folder = config + "/finderix";
  MakeFolders(folder);
  return folder + "/registry.db";
}

bool IsDamage(LSTATUS code) { return code == ERROR_REGISTRY_CORRUPT || code == ERROR_BADDB; }

// The process's connection, opened on first use. A failed open is tried
// again at the next call, so a file that was locked or missing a moment ago
// does not leave the registry dead for the rest of the run; a file found
// damaged stays refused, without being checked again at every call.
LSTATUS Connect(RegistryStore** store) {
  if (refusal != ERROR_SUCCESS) return refusal;
  if (!registry) {
    std::string path = registry_file.empty() ? DefaultRegistryFile() : registry_file;
    if (path.empty()) return ERROR_CANTOPEN;
    if (LSTATUS code = RegistryStore::Open(path, registry_writes == platform::RegistryWrites::kDurable, &registry)) {
      if (IsDamage(code)) refusal = code;
      return code;
    }
  }
  *store = registry.get();
  return ERROR_SUCCESS;
}

std::optional<KeyId> KeyOf(HKEY key) {
  if (key == HKEY_CURRENT_USER) return kRootKeyId;
  auto open = open_keys.find(key);
  if (open == open_keys.end()) return std::nullopt;
  return open->second->id;
}

HKEY NewHandle(KeyId id) {
  auto handle = std::make_unique<HKEY__>(HKEY__{id});
  HKEY key = handle.get();
  open_keys.emplace(key, std::move(handle));
  return key;
}

// Every entry point runs here: one call at a time, and an allocation
// failure comes back as a status rather than an exception.
LSTATUS Serialized(const std::function<LSTATUS()>& call) {
  try {
    std::lock_guard lock(registry_mutex);
    return call();
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

using KeyBody = std::function<LSTATUS(RegistryStore& store, KeyId key)>;

// Runs `body` on the key behind `key` in one transaction, once the handle is
// known and its key still exists. Call under Serialized.
LSTATUS WithKey(HKEY key, Access access, const KeyBody& body) {
  std::optional<KeyId> id = KeyOf(key);
  if (!id) return ERROR_INVALID_HANDLE;
  RegistryStore* store = nullptr;
  if (LSTATUS code = Connect(&store)) return code;
  return store->Transact(access, [&]() -> LSTATUS {
    LSTATUS code = store->CheckKeyLives(*id);
    return code != ERROR_SUCCESS ? code : body(*store, *id);
  });
}

// Splits "a\b\c" into key names. A leading backslash is refused, as Windows
// does; other empty names (a trailing or doubled backslash) are skipped.
LSTATUS SplitKeyPath(const char* path, std::vector<std::string>* names) {
  names->clear();
  if (!path) return ERROR_SUCCESS;
  if (path[0] == '\\') return ERROR_BAD_PATHNAME;
  for (const char* start = path; *start;) {
    const char* end = std::strchr(start, '\\');
    if (!end) end = start + std::strlen(start);
    if (static_cast<size_t>(end - start) > kMaxKeyNameLength) return ERROR_INVALID_PARAMETER;
    if (end > start) names->emplace_back(start, end);
    start = *end ? end + 1 : end;
  }
  return ERROR_SUCCESS;
}

// Follows `names` down from `from`. With `created` null a missing key fails
// with ERROR_FILE_NOT_FOUND; otherwise missing keys are added, and *created
// tells whether the last one was new.
LSTATUS WalkPath(RegistryStore& store, KeyId from, const std::vector<std::string>& names,
                 KeyId* found, bool* created) {
  KeyId key = from;
  if (created) *created = false;
  for (const std::string& name : names) {
    std::optional<KeyId> child;
    if (LSTATUS code = store.FindSubkey(key, name, &child)) return code;
    if (child) {
      key = *child;
      continue;
    }
    if (!created) return ERROR_FILE_NOT_FOUND;
    if (LSTATUS code = store.AddSubkey(key, name, &key)) return code;
    *created = true;
  }
  *found = key;
  return ERROR_SUCCESS;
}

std::string ValueName(LPCSTR name) { return name ? std::string(name) : std::string(); }

// The Windows buffer contract: without a buffer the size is the answer; a
// short buffer gets ERROR_MORE_DATA with the size needed and stays untouched.
LSTATUS CopyValueOut(const RegistryValue& value, LPDWORD type, LPBYTE data, LPDWORD data_size) {
  DWORD needed = static_cast<DWORD>(value.data.size());
  if (type) *type = value.type;
  if (!data_size) return ERROR_SUCCESS;
  if (data && *data_size < needed) {
    *data_size = needed;
    return ERROR_MORE_DATA;
  }
  if (data && needed) std::memcpy(data, value.data.data(), needed);
  *data_size = needed;
  return ERROR_SUCCESS;
}

// Opens (or with `create`, creates) `sub_key` below `key`. Most calls find
// the key there already, so the path is first followed under a read lock
// only; that also lets a registry file we may only read be read.
LSTATUS OpenPath(HKEY key, LPCSTR sub_key, bool create, PHKEY result, LPDWORD disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  return Serialized([&]() -> LSTATUS {
    std::vector<std::string> names;
    if (LSTATUS code = SplitKeyPath(sub_key, &names)) return code;
    KeyId found = kRootKeyId;
    bool created = false;
    LSTATUS code = WithKey(key, Access::kRead, [&](RegistryStore& store, KeyId from) -> LSTATUS {
      return WalkPath(store, from, names, &found, nullptr);
    });
    if (code == ERROR_FILE_NOT_FOUND && create) {
      code = WithKey(key, Access::kWrite, [&](RegistryStore& store, KeyId from) -> LSTATUS {
        return WalkPath(store, from, names, &found, &created);
      });
    }
    if (code != ERROR_SUCCESS) return code;
    *result = NewHandle(found);
    if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
  });
}

}  // namespace

namespace platform {

void SetRegistryFile(const std::string& path, RegistryWrites writes) {
  std::lock_guard lock(registry_mutex);
  registry.reset();
  registry_writes = writes;
  refusal = ERROR_SUCCESS;
  // The file is opened lazily, perhaps after the current folder moved with
  // a panel: a relative name is fixed now.
  std::error_code ec;
  registry_file = path.empty() ? path : std::filesystem::absolute(path, ec).string();
  if (ec) registry_file = path;
  // Open handles name keys of the previous file; keeping them would let a
  // write land on an unrelated key of the new one.
  open_keys.clear();
}

void CloseRegistry() {
  std::lock_guard lock(registry_mutex);
  registry.reset();
  refusal = ERROR_SUCCESS;
}

LSTATUS CheckRegistryWritable() {
  return Serialized([]() -> LSTATUS {
    RegistryStore* store = nullptr;
    if (LSTATUS code = Connect(&store)) return code;
    return store->ProbeWrite();
  });
}

}  // namespace platform

extern "C" LSTATUS WINAPI RegCreateKeyExA(HKEY key, LPCSTR sub_key, DWORD /*reserved*/,
                                          LPSTR /*class_name*/, DWORD /*options*/,
                                          REGSAM /*sam*/, LPSECURITY_ATTRIBUTES /*sa*/,
                                          PHKEY result, LPDWORD disposition) {
  return OpenPath(key, sub_key, true, result, disposition);
}

extern "C" LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD /*options*/,
                                        REGSAM /*sam*/, PHKEY result) {
  return OpenPath(key, sub_key, false, result, nullptr);
}

extern "C" LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR value_name, LPDWORD reserved,
                                           LPDWORD type, LPBYTE data, LPDWORD data_size) {
  if (reserved || (data && !data_size)) return ERROR_INVALID_PARAMETER;
  return Serialized([&]() -> LSTATUS {
    std::optional<RegistryValue> value;
    LSTATUS code = WithKey(key, Access::kRead, [&](RegistryStore& store, KeyId id) -> LSTATUS {
      return store.GetValue(id, ValueName(value_name), &value);
    });
    if (code != ERROR_SUCCESS) return code;
    if (!value) return ERROR_FILE_NOT_FOUND;
    return CopyValueOut(*value, type, data, data_size);
  });
}

extern "C" LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR value_name, DWORD /*reserved*/,
                                         DWORD type, const BYTE* data, DWORD data_size) {
  if (!data && data_size) return ERROR_INVALID_PARAMETER;
  if (type == REG_DWORD && data_size != sizeof(DWORD)) return ERROR_INVALID_PARAMETER;
  return Serialized([&]() -> LSTATUS {
    return WithKey(key, Access::kWrite, [&](RegistryStore& store, KeyId id) -> LSTATUS {
      return store.PutValue(id, ValueName(value_name), type, data, data_size);
    });
  });
}

extern "C" LSTATUS WINAPI RegDeleteValueA(HKEY key, LPCSTR value_name) {
  return Serialized([&]() -> LSTATUS {
    return WithKey(key, Access::kWrite, [&](RegistryStore& store, KeyId id) -> LSTATUS {
      bool deleted = false;
      LSTATUS code = store.DeleteValue(id, ValueName(value_name), &deleted);
      return code != ERROR_SUCCESS || deleted ? code : ERROR_FILE_NOT_FOUND;
    });
  });
}

// Keys carry no class and no write time here: the class comes back empty and
// the time as zero.
extern "C" LSTATUS WINAPI RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD name_size,
                                        LPDWORD reserved, LPSTR class_name, LPDWORD class_size,
                                        FILETIME* last_write) {
  if (!name || !name_size || reserved || (class_name && !class_size)) {
    return ERROR_INVALID_PARAMETER;
  }
  return Serialized([&]() -> LSTATUS {
    std::optional<std::string> subkey;
    LSTATUS code = WithKey(key, Access::kRead, [&](RegistryStore& store, KeyId id) -> LSTATUS {
      return store.SubkeyName(id, index, &subkey);
    });
    if (code != ERROR_SUCCESS) return code;
    if (!subkey) return ERROR_NO_MORE_ITEMS;
    if (subkey->size() >= *name_size) return ERROR_MORE_DATA;
    std::memcpy(name, subkey->c_str(), subkey->size() + 1);
    *name_size = static_cast<DWORD>(subkey->size());
    if (class_name && *class_size) class_name[0] = '\0';
    if (class_size) *class_size = 0;
    if (last_write) *last_write = FILETIME{};
    return ERROR_SUCCESS;
  });
}

extern "C" LSTATUS WINAPI RegDeleteKeyA(HKEY key, LPCSTR sub_key) {
  if (!sub_key) return ERROR_INVALID_PARAMETER;
  return Serialized([&]() -> LSTATUS {
    std::vector<std::string> names;
    if (LSTATUS code = SplitKeyPath(sub_key, &names)) return code;
    return WithKey(key, Access::kWrite, [&](RegistryStore& store, KeyId from) -> LSTATUS {
      KeyId target = kRootKeyId;
      if (LSTATUS code = WalkPath(store, from, names, &target, nullptr)) return code;
      bool has_subkeys = false;
      if (LSTATUS code = store.HasSubkeys(target, &has_subkeys)) return code;
      if (target == kRootKeyId || has_subkeys) return ERROR_ACCESS_DENIED;
      return store.DeleteKey(target);
    });
  });
}

// Writes are on disk when their call returns, so closing only forgets the
// handle.
extern "C" LSTATUS WINAPI RegCloseKey(HKEY key) {
  if (key == HKEY_CURRENT_USER) return ERROR_SUCCESS;
  return Serialized([&]() -> LSTATUS {
    return open_keys.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
  });
}
