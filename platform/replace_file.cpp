// Replacing a file's content in one step. The new content is complete and on
// disk before the rename, and the rename is atomic, so a crash, a kill or a
// full disk at any moment leaves either the whole old content or the whole
// new one.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>

#include "platform/handles.hpp"
#include "platform/host_bridge.hpp"
#include "platform/internal.hpp"

namespace platform::internal {

namespace {

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool SyncFolder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = fsync(fd) == 0 || errno == EINVAL;  // some file systems cannot sync folders
  close(fd);
  return ok;
}

// The path with every symbolic link resolved; the path itself when the
// file does not exist yet.
std::string RealPath(const std::string& path) {
  char real[PATH_MAX];
  if (realpath(path.c_str(), real)) return real;
  return path;
}

}  // namespace

bool CommitReplacement(int fd, const std::string& replacement, const std::string& replaced,
                       const std::string& backup) {
  struct stat original;
  if (stat(replaced.c_str(), &original) == 0) {
    if (fchmod(fd, original.st_mode & 07777) != 0) return false;
    // Keeping the owner needs privileges; without them the file keeps ours.
    if (fchown(fd, original.st_uid, original.st_gid) != 0) errno = 0;
  }
  if (fsync(fd) != 0) return false;
  bool backed_up = false;
  if (!backup.empty()) {
    if (link(replaced.c_str(), backup.c_str()) != 0) return false;
    backed_up = true;
  }
  if (rename(replacement.c_str(), replaced.c_str()) != 0) {
    int saved = errno;
    if (backed_up) unlink(backup.c_str());
    errno = saved;
    return false;
  }
  SyncFolder(FolderOf(replaced));
  KeepAliasAfterReplacement(replaced);
  NotifyCommitted(replaced);
  return true;
}

}  // namespace platform::internal

namespace {

using platform::internal::PathUse;
using platform::internal::ResolvePath;

// Gives an unnamed scratch file its name, then commits it like any other.
BOOL CommitTemporary(platform::internal::FileObject& file, const std::string& replaced,
                     const std::string& backup) {
  if (file.unnamed) {
    std::string self = "/proc/self/fd/" + std::to_string(file.fd.get());
    if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, file.path.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      platform::internal::SetLastErrorFromErrno(errno);
      return FALSE;
    }
    file.unnamed = false;
  }
  if (!platform::internal::CommitReplacement(file.fd.get(), file.path, replaced, backup)) {
    platform::internal::SetLastErrorFromErrno(errno);
    return FALSE;  // still named: closing the handle removes it
  }
  file.delete_on_close = false;
  return TRUE;
}

}  // namespace

extern "C" BOOL WINAPI ReplaceFileA(LPCSTR replaced, LPCSTR replacement, LPCSTR backup, DWORD,
                                    LPVOID, LPVOID) {
  std::string replaced_path, replacement_path, backup_path;
  if (!replaced || !replacement || !ResolvePath(replaced, PathUse::kChange, &replaced_path) ||
      !ResolvePath(replacement, PathUse::kChange, &replacement_path))
    return FALSE;
  if (backup && *backup && !ResolvePath(backup, PathUse::kChange, &backup_path)) return FALSE;
  replaced_path = platform::internal::RealPath(replaced_path);
  if (platform::internal::FileObject* open_file =
          platform::internal::FindOpenTemporary(replacement_path))
    return CommitTemporary(*open_file, replaced_path, backup_path);
  int fd = open(replacement_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    platform::internal::SetLastErrorFromErrno(errno);
    return FALSE;
  }
  bool ok = platform::internal::CommitReplacement(fd, replacement_path, replaced_path, backup_path);
  int saved = errno;
  close(fd);
  if (!ok) {
    platform::internal::SetLastErrorFromErrno(saved);
    return FALSE;
  }
  return TRUE;
}

namespace platform {

bool WriteFileSafely(const std::string& posix_path, const std::string& content,
                     std::string* error) {
  const std::string target = internal::RealPath(posix_path);
  const std::string folder = internal::FolderOf(target);
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
  if (ok) {
    struct stat existing;
    if (stat(target.c_str(), &existing) != 0) {
      mode_t mask = umask(0);
      umask(mask);
      fchmod(fd, 0666 & ~mask);
    }
    ok = internal::CommitReplacement(fd, temp, target, "");
  }
  int saved = errno;
  close(fd);
  if (!ok) {
    unlink(temp.c_str());
    *error = "cannot write " + posix_path + ": " + std::strerror(saved);
  }
  return ok;
}

}  // namespace platform
