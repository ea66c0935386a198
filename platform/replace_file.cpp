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

#include "platform/dry_run_overlay.hpp"
#include "platform/handles.hpp"
#include "platform/host_bridge.hpp"
#include "platform/internal.hpp"
#include "platform/replace_commit.hpp"

namespace platform::internal {

namespace {

constexpr int kLinkAttempts = 64;

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

bool NamesInode(const std::string& path, const struct stat& file) {
  struct stat now;
  return fstatat(AT_FDCWD, path.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
         now.st_dev == file.st_dev && now.st_ino == file.st_ino;
}

// The caller's open read handle for the name tells what was read; without
// one the file is taken as it is now.
bool FindWhatWasRead(const std::string& replaced, WhatWasRead* read) {
  if (const FileObject* reader = FindOpenReader(replaced)) {
    read->exists = true;
    read->target = reader->read_target;
    read->fd = reader->fd.get();
    read->state = reader->read_state;
    // A reader's real path may come from its folder's, as learned at an
    // earlier read there; should the folder have moved since, it names
    // another file or none, and the name as given says where the file is.
    if (!NamesInode(read->target, read->state)) read->target = RealPath(replaced);
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

// The same file, and nobody has written to it or truncated it since.
bool SameContentAsRead(const struct stat& now, const struct stat& read) {
  return now.st_dev == read.st_dev && now.st_ino == read.st_ino && now.st_size == read.st_size &&
         SameTime(now.st_mtim, read.st_mtim);
}

// The name, not followed, still refers to the file that was read, and
// nobody has written to it, truncated it, renamed it or changed what it
// carries since.
bool StillAsRead(int folder, const std::string& base, const struct stat& read) {
  struct stat now;
  if (fstatat(folder, base.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0) return false;
  return SameContentAsRead(now, read) && SameTime(now.st_ctim, read.st_ctim);
}

bool ChangedSinceRead(const PreparedReplace& prepared, int folder) {
  return prepared.replaced_exists &&
         !StillAsRead(folder, BaseOf(prepared.target), prepared.read_state);
}

// A list of extended attribute names, each ending in a NUL.
bool ListAttributes(int fd, std::string* names) {
  ssize_t size = flistxattr(fd, nullptr, 0);
  if (size < 0) return errno == ENOTSUP;  // a file system without any
  names->clear();
  if (size == 0) return true;  // the common case costs one call
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

// Flushes the replacement, commits it and flushes its folder.
DWORD CommitNow(PreparedReplace* prepared) {
  if (fsync(prepared->content) != 0) return WindowsErrorFromErrno(errno);
  UniqueFd folder(open(FolderOf(prepared->target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder.valid()) return WindowsErrorFromErrno(errno);
  const DWORD error = CommitRewrite(prepared, folder.get());
  if (error == ERROR_SUCCESS) fsync(folder.get());  // some file systems cannot sync folders
  return error;
}

// Takes over the owner, mode and attributes of what was read, and notes
// what the commit is to check.
DWORD PrepareFrom(const WhatWasRead& read, PreparedReplace* prepared) {
  if (read.exists && !CarryOver(read, prepared->content)) return ERROR_EA_ACCESS_DENIED;
  prepared->replaced_exists = read.exists;
  prepared->target = read.target;
  prepared->read_state = read.state;
  return ERROR_SUCCESS;
}

// The replacement's content: an open scratch file's descriptor (taken from
// its handle when asked), or the named file opened now.
DWORD FindReplacement(const std::string& path, bool take_content, PreparedReplace* prepared) {
  FileObject* scratch = FindOpenTemporary(path);
  if (scratch == nullptr) {
    prepared->owned = UniqueFd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!prepared->owned.valid()) return WindowsErrorFromErrno(errno);
    prepared->content = prepared->owned.get();
    prepared->named_as = path;
    return ERROR_SUCCESS;
  }
  prepared->content = scratch->fd.get();
  prepared->named_as = scratch->unnamed ? "" : path;
  if (!take_content) {
    prepared->borrowed_from = scratch;
    return ERROR_SUCCESS;
  }
  prepared->owned = std::move(scratch->fd);
  prepared->remove_on_failure = scratch->delete_on_close && !scratch->unnamed;
  scratch->delete_on_close = scratch->unnamed = false;
  return ERROR_SUCCESS;
}

// Tells the host's observer what is about to be replaced, so that it can
// keep the old content (for undo) or refuse. The old content is opened by
// the name that was just checked to still be what was read: the reader's
// own descriptor may be closed by now when commits are queued.
DWORD TellObserver(const PreparedReplace& prepared, int folder, const std::string& base) {
  UniqueFd old;
  if (prepared.replaced_exists) {
    old = UniqueFd(openat(folder, base.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!old.valid()) return WindowsErrorFromErrno(errno);
  }
  PendingChange rewrite;
  rewrite.path = prepared.target;
  rewrite.old_content = old.valid() ? old.get() : -1;
  rewrite.new_content = prepared.content;
  rewrite.backup = prepared.backup;
  return NotifyAboutToCommit(rewrite) ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

// The observer may have linked the old inode to keep it, which adds a name
// and changes its ctime: from here on the commit expects the file as it is
// now. Any other change of ctime (a new mode, owner or attribute set by
// another program meanwhile) is a change the commit must not overwrite.
DWORD ExpectAfterObserver(int folder, const std::string& base, struct stat* expected) {
  struct stat now;
  if (fstatat(folder, base.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0) return ERROR_FILE_INVALID;
  const bool kept_by_a_link = now.st_nlink == expected->st_nlink + 1;
  if (!SameContentAsRead(now, *expected) ||
      (!SameTime(now.st_ctim, expected->st_ctim) && !kept_by_a_link))
    return ERROR_FILE_INVALID;
  expected->st_ctim = now.st_ctim;
  return ERROR_SUCCESS;
}

}  // namespace

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

DWORD PrepareReplace(const char* replaced, const char* replacement, const char* backup,
                     bool take_content, PreparedReplace* prepared) {
  if (!replaced || !replacement) return ERROR_INVALID_PARAMETER;
  std::string replaced_path, replacement_path;
  if (!ResolvePath(replaced, PathUse::kChange, &replaced_path) ||
      !ResolvePath(replacement, PathUse::kChange, &replacement_path))
    return GetLastError();
  if (backup && *backup && !ResolvePath(backup, PathUse::kChange, &prepared->backup))
    return GetLastError();
  WhatWasRead read;
  if (!FindWhatWasRead(replaced_path, &read)) return WindowsErrorFromErrno(errno);
  const DWORD error = FindReplacement(replacement_path, take_content, prepared);
  return error != ERROR_SUCCESS ? error : PrepareFrom(read, prepared);
}

DWORD AnnounceRewrite(PreparedReplace* prepared, int folder) {
  if (ChangedSinceRead(*prepared, folder)) return ERROR_FILE_INVALID;
  if (!HasChangeObserver()) return ERROR_SUCCESS;
  const std::string base = BaseOf(prepared->target);
  if (const DWORD refused = TellObserver(*prepared, folder, base); refused != ERROR_SUCCESS)
    return refused;
  return prepared->replaced_exists ? ExpectAfterObserver(folder, base, &prepared->read_state)
                                   : ERROR_SUCCESS;
}

DWORD FinishRewrite(const PreparedReplace& prepared, int folder) {
  if (ChangedSinceRead(prepared, folder)) return ERROR_FILE_INVALID;
  const std::string base = BaseOf(prepared.target);
  const std::string& backup = prepared.backup;
  if (!backup.empty() && linkat(folder, base.c_str(), AT_FDCWD, backup.c_str(), 0) != 0)
    return WindowsErrorFromErrno(errno);
  const DWORD error = RenameOver(prepared.content, prepared.named_as, folder, base);
  if (error != ERROR_SUCCESS) {
    if (!backup.empty()) unlink(backup.c_str());
    return error;
  }
  KeepAliasAfterReplacement(prepared.target);
  NotifyCommitted(prepared.target);
  return ERROR_SUCCESS;
}

DWORD CommitRewrite(PreparedReplace* prepared, int folder) {
  if (DryRunActive()) {
    if (ChangedSinceRead(*prepared, folder)) return ERROR_FILE_INVALID;
    return RecordRewrite(prepared->content, prepared->target, prepared->backup);
  }
  DWORD error = AnnounceRewrite(prepared, folder);
  // Even after a failed check: the observer may have kept something.
  if (!NotifyReadyToCommit() && error == ERROR_SUCCESS) error = ERROR_WRITE_FAULT;
  return error == ERROR_SUCCESS ? FinishRewrite(*prepared, folder) : error;
}

void DropReplacement(const PreparedReplace& prepared) {
  if (prepared.remove_on_failure) unlink(prepared.named_as.c_str());
}

}  // namespace platform::internal

extern "C" BOOL WINAPI ReplaceFileA(LPCSTR replaced, LPCSTR replacement, LPCSTR backup, DWORD,
                                    LPVOID, LPVOID) {
  using namespace platform::internal;
  PreparedReplace prepared;
  DWORD error = PrepareReplace(replaced, replacement, backup, false, &prepared);
  if (error == ERROR_SUCCESS) error = CommitNow(&prepared);
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;  // a named scratch file is still removed when its handle closes
  }
  if (FileObject* scratch = prepared.borrowed_from) scratch->delete_on_close = scratch->unnamed = false;
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
  internal::PreparedReplace prepared;
  prepared.content = fd;
  prepared.named_as = temp;
  DWORD code = ok ? internal::PrepareFrom(read, &prepared) : ERROR_DISK_FULL;
  if (code == ERROR_SUCCESS) code = internal::CommitNow(&prepared);
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
