// Aliases for on-disk names the module cannot spell: a name code page 866
// cannot hold exactly, or one holding a character Windows forbids in a name,
// is shown as its lossy text plus "~N" before the extension, the way Windows
// shows short names. The aliases of a folder live in one table per folder
// (keyed by the folder's identity) for the life of the process. An alias is
// never handed to a second entry, and it names its entry by identity (device,
// inode and birth time, without following links), so a stale alias finds
// nothing rather than whatever now reads the same.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <tuple>

#include "platform/handles.hpp"
#include "platform/host_bridge.hpp"
#include "platform/internal.hpp"

namespace platform::internal {
namespace {

constexpr char kLossyChar = '?';

// Device and inode, and the birth time where the file system keeps one: a
// file system may give a deleted file's inode number to the next new file.
struct Identity {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t birth_seconds = 0;
  uint32_t birth_nanoseconds = 0;
  auto operator<=>(const Identity&) const = default;
};

struct AliasedEntry {
  std::string real;  // on-disk name
  Identity identity;
};

struct FolderAliases {
  std::map<std::string, AliasedEntry> by_alias;  // never shrinks: no alias is reused
  std::map<std::string, std::string> alias_of;   // on-disk name -> its latest alias
  std::map<std::string, unsigned> last_number;   // lossy text -> highest number handed out
};

std::mutex g_mutex;
std::map<Identity, FolderAliases> g_folders;  // guarded by g_mutex

bool IdentityAt(int dir_fd, const char* name, Identity* identity) {
  struct statx st;
  const int flags = *name == '\0' ? AT_EMPTY_PATH : AT_SYMLINK_NOFOLLOW;
  if (statx(dir_fd, name, flags, STATX_INO | STATX_BTIME, &st) != 0) return false;
  *identity = {makedev(st.stx_dev_major, st.stx_dev_minor), st.stx_ino, 0, 0};
  if (st.stx_mask & STATX_BTIME) {
    identity->birth_seconds = st.stx_btime.tv_sec;
    identity->birth_nanoseconds = st.stx_btime.tv_nsec;
  }
  return true;
}

// Control characters: C0 and DEL. C1 characters are not in code page 866,
// so they are lossy already.
bool IsForbiddenByte(unsigned char c) {
  return c < 0x20 || c == 0x7F || ForbiddenInName(static_cast<char>(c));
}

// "name~N.ext": the number goes before the extension, which leading dots
// do not start.
std::string Numbered(const std::string& lossy, unsigned number) {
  size_t dot = lossy.find_last_of('.');
  if (dot == std::string::npos || dot < lossy.find_first_not_of('.')) dot = lossy.size();
  return lossy.substr(0, dot) + "~" + std::to_string(number) + lossy.substr(dot);
}

bool TakenOnDisk(int dir_fd, const std::string& alias) {
  struct stat st;
  return fstatat(dir_fd, OemToUtf8(alias).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

std::string AssignAlias(FolderAliases& folder, int dir_fd, const std::string& real,
                        const Identity& identity) {
  const auto known = folder.alias_of.find(real);
  if (known != folder.alias_of.end() &&
      folder.by_alias.at(known->second).identity == identity) {
    return known->second;
  }
  const std::string lossy = LossyName(real);
  unsigned& number = folder.last_number[lossy];
  std::string alias;
  do {
    alias = Numbered(lossy, ++number);
  } while (folder.by_alias.contains(alias) || TakenOnDisk(dir_fd, alias));
  folder.by_alias[alias] = {real, identity};
  folder.alias_of[real] = alias;
  return alias;
}

// Gives every entry of the folder that needs one an alias, in listing
// order, so an alias read before this process listed the folder (a path
// the host was given) still finds its entry.
void AliasWholeFolder(FolderAliases& folder, int dir_fd) {
  DirStream stream(UniqueFd(dup(dir_fd)));
  while (const char* name = stream.Next()) {
    const std::string real(name);
    Identity identity;
    if (real == "." || real == ".." || !NeedsAlias(real)) continue;
    if (IdentityAt(dir_fd, name, &identity)) AssignAlias(folder, dir_fd, real, identity);
  }
}

UniqueFd OpenFolder(const std::string& folder) {
  return UniqueFd(open(folder.empty() ? "/" : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

}  // namespace

bool ForbiddenInName(char c) {
  return std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
}

bool NeedsAlias(const std::string& real) {
  bool ascii = true;
  for (char c : real) {
    if (IsForbiddenByte(static_cast<unsigned char>(c))) return true;
    ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  }
  // Code page 866 holds printable ASCII as it is: most names need no
  // conversion to learn that.
  return !ascii && OemToUtf8(Utf8ToOem(real)) != real;
}

std::string LossyName(const std::string& real) {
  std::string lossy = Utf8ToOem(real);
  for (char& c : lossy) {
    if (IsForbiddenByte(static_cast<unsigned char>(c))) c = kLossyChar;
  }
  return lossy;
}

std::string ModuleNameAt(int dir_fd, const std::string& real) {
  if (!NeedsAlias(real)) return Utf8ToOem(real);
  Identity folder_identity;
  Identity identity;
  if (!IdentityAt(dir_fd, "", &folder_identity) || !IdentityAt(dir_fd, real.c_str(), &identity)) {
    // "~0" is never handed out, so a name that cannot be examined resolves
    // to nothing.
    return Numbered(LossyName(real), 0);
  }
  std::lock_guard lock(g_mutex);
  return AssignAlias(g_folders[folder_identity], dir_fd, real, identity);
}

std::string ModuleNameIn(const std::string& folder, const std::string& real) {
  if (!NeedsAlias(real)) return Utf8ToOem(real);
  UniqueFd fd = OpenFolder(folder);
  return ModuleNameAt(fd.valid() ? fd.get() : -1, real);
}

AliasLookup FindAliased(const std::string& folder, const std::string& alias, std::string* real) {
  UniqueFd fd = OpenFolder(folder);
  Identity folder_identity;
  if (!fd.valid() || !IdentityAt(fd.get(), "", &folder_identity)) return AliasLookup::kNotAlias;
  AliasedEntry entry;
  {
    std::lock_guard lock(g_mutex);
    FolderAliases& aliases = g_folders[folder_identity];
    if (!aliases.by_alias.contains(alias)) AliasWholeFolder(aliases, fd.get());
    const auto found = aliases.by_alias.find(alias);
    if (found == aliases.by_alias.end()) return AliasLookup::kNotAlias;
    entry = found->second;
  }
  Identity now;
  if (!IdentityAt(fd.get(), entry.real.c_str(), &now) || now != entry.identity) {
    return AliasLookup::kStale;
  }
  *real = entry.real;
  return AliasLookup::kFound;
}

void KeepAliasAfterReplacement(const std::string& posix_path) {
  const size_t slash = posix_path.find_last_of('/');
  if (slash == std::string::npos) return;
  const std::string real = posix_path.substr(slash + 1);
  if (!NeedsAlias(real)) return;
  UniqueFd fd = OpenFolder(posix_path.substr(0, slash));
  Identity folder_identity;
  Identity identity;
  if (!fd.valid() || !IdentityAt(fd.get(), "", &folder_identity) ||
      !IdentityAt(fd.get(), real.c_str(), &identity)) {
    return;
  }
  std::lock_guard lock(g_mutex);
  FolderAliases& aliases = g_folders[folder_identity];
  const auto known = aliases.alias_of.find(real);
  if (known != aliases.alias_of.end()) aliases.by_alias.at(known->second).identity = identity;
}

}  // namespace platform::internal
