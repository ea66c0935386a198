// Replacing a file's content in one step, relative to what was read. The new
// content takes the file's owner, mode and extended attributes and is on
// disk before it gets any name; just before the rename the file's name must
// still refer, without following links, to the very file that was read,
// unchanged; the rename is atomic. So a crash, a kill or a full disk at any
// moment leaves either the whole old content or the whole new one, and
// another program's change, or a link swapped in, is never written over.
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "platform/handles.hpp"
#include "platform/host_bridge.hpp"
#include "platform/internal.hpp"

namespace platform::internal {

namespace {

constexpr int kLinkAttempts = 64;

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// The path with every symbolic link resolved; the path itself when the
// file does not exist yet.
std::string RealPath(const std::string& path) {
  char real[PATH_MAX];
  if (realpath(path.c_str(), real)) return real;
  return path;
}

// The file that is to be replaced, as it was when it was read.
struct WhatWasRead {
  bool exists = false;
  std::string target;  // real path at read time; its name is never resolved again
  int fd = -1;         // open on the file that was read
  struct stat state {};
  UniqueFd own;  // when no handle of the caller's was reading it
};

// The caller's open read handle for the name tells what was read; without
// one the file is taken as it is now.
bool FindWhatWasRead(const std::string& replaced, WhatWasRead* read) {
  if (const FileObject* reader = FindOpenReader(replaced)) {
    read->exists = true;
    read->target = reader->read_target;
    read->fd = reader->fd.get();
    read->state = reader->read_state;
    return true;
  }
  read->target = RealPath(replaced);
  read->own = UniqueFd(open(read->target.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (!read->own.valid() || fstat(read->own.get(), &read->state) != 0) return false;
  read->exists = true;
  read->fd = read->own.get();
  return true;
}

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The name, not followed, still refers to the file that was read, and
// nobody has written to it, truncated it, renamed it or changed what it
// carries since.
bool StillAsRead(int folder, const std::string& base, const struct stat& read) {
  struct stat now;
  if (fstatat(folder, base.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0) return false;
  return now.st_dev == read.st_dev && now.st_ino == read.st_ino && now.st_size == read.st_size &&
         SameTime(now.st_mtim, read.st_mtim) && SameTime(now.st_ctim, read.st_ctim);
}

// A list of extended attribute names, each ending in a NUL.
bool ListAttributes(int fd, std::string* names) {
  ssize_t size = flistxattr(fd, nullptr, 0);
  if (size < 0) return errno == ENOTSUP;  // a file system without any
  names->resize(static_cast<size_t>(size));
  size = flistxattr(fd, names->data(), names->size());
  if (size < 0) return false;
  names->resize(static_cast<size_t>(size));
  return true;
}

template <typename Visit>
bool EachName(const std::string& names, Visit visit) {
  for (size_t at = 0; at < names.size(); at += strlen(names.c_str() + at) + 1)
    if (!visit(names.c_str() + at)) return false;
  return true;
}

bool HasName(const std::string& names, const char* name) {
  return !EachName(names, [name](const char* listed) { return strcmp(listed, name) != 0; });
}

// Every extended attribute the caller may read, ACLs included; one the new
// file got from its folder's defaults and the file lacks is removed.
bool CopyAttributes(int from, int to) {
  std::string wanted, inherited;
  if (!ListAttributes(from, &wanted) || !ListAttributes(to, &inherited)) return false;
  bool removed = EachName(inherited, [&](const char* name) {
    return HasName(wanted, name) || fremovexattr(to, name) == 0;
  });
  return removed && EachName(wanted, [&](const char* name) {
    ssize_t length = fgetxattr(from, name, nullptr, 0);
    if (length < 0) return false;
    std::string value(static_cast<size_t>(length), '\0');
    length = fgetxattr(from, name, value.data(), value.size());
    return length >= 0 && fsetxattr(to, name, value.data(), static_cast<size_t>(length), 0) == 0;
  });
}

// Owner first (a change of owner clears the set-id bits), then the mode,
// then the extended attributes.
bool CarryOver(const WhatWasRead& read, int to) {
  struct stat mine;
  if (fstat(to, &mine) != 0) return false;
  const bool same_owner = mine.st_uid == read.state.st_uid && mine.st_gid == read.state.st_gid;
  return (same_owner || fchown(to, read.state.st_uid, read.state.st_gid) == 0) &&
         fchmod(to, read.state.st_mode & 07777) == 0 && CopyAttributes(read.fd, to);
}

// Holds back every signal that can be held back for its lifetime.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &previous_);
  }
  ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t previous_;
};

// Gives an unnamed file a hidden, unique name in the folder.
bool LinkUnnamed(int fd, int folder, std::string* name) {
  static std::minstd_rand next(static_cast<unsigned>(getpid()) ^ static_cast<unsigned>(time(nullptr)));
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  for (int attempt = 0; attempt < kLinkAttempts; attempt++) {
    char candidate[32];
    std::snprintf(candidate, sizeof candidate, ".finderix-%08x", static_cast<unsigned>(next()));
    if (linkat(AT_FDCWD, self.c_str(), folder, candidate, AT_SYMLINK_FOLLOW) == 0) {
      *name = candidate;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

// The one moment the new content has a name of its own: linked under a
// hidden name and at once renamed over the file, with signals held back in
// between, so that only SIGKILL or a crash can fall into these two calls.
// `named_as` is empty for an unnamed file.
DWORD RenameOver(int fd, const std::string& named_as, int folder, const std::string& base) {
  SignalsHeld held;
  std::string link_name = named_as;
  if (named_as.empty() && !LinkUnnamed(fd, folder, &link_name)) return WindowsErrorFromErrno(errno);
  const int from_folder = named_as.empty() ? folder : AT_FDCWD;
  if (renameat(from_folder, link_name.c_str(), folder, base.c_str()) != 0) {
    const int saved = errno;
    if (named_as.empty()) unlinkat(folder, link_name.c_str(), 0);
    return WindowsErrorFromErrno(saved);
  }
  return ERROR_SUCCESS;
}

// Puts the content open as fd (unnamed, or named `named_as`) in the place
// of the file that was read (or of a new file), keeping the previous content
// under `backup` when that is not empty (never overwriting one). The file is
// untouched unless ERROR_SUCCESS comes back.
DWORD CommitOver(int fd, const std::string& named_as, const WhatWasRead& read,
                 const std::string& backup) {
  if (read.exists && !CarryOver(read, fd)) return ERROR_EA_ACCESS_DENIED;
  if (fsync(fd) != 0) return WindowsErrorFromErrno(errno);
  UniqueFd folder(open(FolderOf(read.target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder.valid()) return WindowsErrorFromErrno(errno);
  const std::string base = BaseOf(read.target);
  if (read.exists && !StillAsRead(folder.get(), base, read.state)) return ERROR_FILE_INVALID;
  PendingChange rewrite;
  rewrite.path = read.target;
  rewrite.old_content = read.exists ? read.fd : -1;
  rewrite.new_content = fd;
  rewrite.backup = backup;
  if (!NotifyAboutToCommit(rewrite)) return ERROR_WRITE_FAULT;
  if (!backup.empty() && linkat(folder.get(), base.c_str(), AT_FDCWD, backup.c_str(), 0) != 0)
    return WindowsErrorFromErrno(errno);
  const DWORD error = RenameOver(fd, named_as, folder.get(), base);
  if (error != ERROR_SUCCESS) {
    if (!backup.empty()) unlink(backup.c_str());
    return error;
  }
  if (fsync(folder.get()) != 0 && errno != EINVAL) errno = 0;  // some file systems cannot sync folders
  KeepAliasAfterReplacement(read.target);
  NotifyCommitted(read.target);
  return ERROR_SUCCESS;
}

}  // namespace
}  // namespace platform::internal

extern "C" BOOL WINAPI ReplaceFileA(LPCSTR replaced, LPCSTR replacement, LPCSTR backup, DWORD,
                                    LPVOID, LPVOID) {
  using namespace platform::internal;
  std::string replaced_path, replacement_path, backup_path;
  if (!replaced || !replacement || !ResolvePath(replaced, PathUse::kChange, &replaced_path) ||
      !ResolvePath(replacement, PathUse::kChange, &replacement_path))
    return FALSE;
  if (backup && *backup && !ResolvePath(backup, PathUse::kChange, &backup_path)) return FALSE;
  WhatWasRead read;
  if (!FindWhatWasRead(replaced_path, &read)) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  FileObject* scratch = FindOpenTemporary(replacement_path);
  UniqueFd own;
  if (scratch == nullptr) {
    own = UniqueFd(open(replacement_path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!own.valid()) {
      SetLastErrorFromErrno(errno);
      return FALSE;
    }
  }
  const int fd = scratch ? scratch->fd.get() : own.get();
  const std::string named_as = scratch && scratch->unnamed ? "" : replacement_path;
  const DWORD error = CommitOver(fd, named_as, read, backup_path);
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;  // a named scratch file is still removed when its handle closes
  }
  if (scratch) scratch->delete_on_close = scratch->unnamed = false;
  return TRUE;
}

namespace platform {

bool WriteFileSafely(const std::string& posix_path, const std::string& content,
                     std::string* error) {
  internal::WhatWasRead read;
  if (!internal::FindWhatWasRead(posix_path, &read)) read.target = internal::RealPath(posix_path);
  const std::string folder = internal::FolderOf(read.target);
  std::string temp = folder + "/.finderix-XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) {
    *error = "cannot create a temporary file in " + folder;
    return false;
  }
  size_t done = 0;
  while (done < content.size()) {
    ssize_t n = write(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  bool ok = done == content.size();
  if (ok && !read.exists) {
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
  }
  const DWORD code = ok ? internal::CommitOver(fd, temp, read, "") : ERROR_DISK_FULL;
  const int saved = errno;
  close(fd);
  if (code != ERROR_SUCCESS) {
    unlink(temp.c_str());
    *error = "cannot write " + posix_path + ": " +
             (code == ERROR_FILE_INVALID ? "another program changed it meanwhile"
                                         : std::strerror(saved));
  }
  return code == ERROR_SUCCESS;
}

}  // namespace platform
