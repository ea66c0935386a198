// Moving folder entries. MoveFileA never replaces what is already at the
// target, in one step (renameat2 RENAME_NOREPLACE, or a scheme that cannot
// replace where the file system lacks it); MoveFileExA replaces atomically
// when asked. A read-only file is never replaced, as on Windows.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/dry_run_overlay.hpp"
#include "platform/handles.hpp"
#include "platform/internal.hpp"

namespace platform::internal {
namespace {

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

bool IsReadOnlyFile(const struct stat& st) {
  return S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR);
}

std::string FolderOf(const std::string& posix_path) {
  const size_t slash = posix_path.find_last_of('/');
  return slash == 0 ? std::string("/") : posix_path.substr(0, slash);
}

// Moves a folder without replacing: an empty placeholder is created under
// the new name (which fails if anything is there) and then replaced by the
// folder in one rename.
int MoveFolderByPlaceholder(const std::string& from, const std::string& to) {
  if (mkdir(to.c_str(), 0700) != 0) return -1;
  if (rename(from.c_str(), to.c_str()) == 0) return 0;
  const int error = errno;
  rmdir(to.c_str());
  errno = error;
  return -1;
}

// Moves a file without replacing: a second link fails if the name is taken.
int MoveFileByLink(const std::string& from, const std::string& to) {
  if (link(from.c_str(), to.c_str()) != 0) return -1;
  if (unlink(from.c_str()) == 0) return 0;
  const int error = errno;
  unlink(to.c_str());
  errno = error;
  return -1;
}

int RenameNoReplace(const std::string& from, const std::string& to, bool is_folder) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return -1;
  return is_folder ? MoveFolderByPlaceholder(from, to) : MoveFileByLink(from, to);
}

// Windows replaces neither a folder nor a read-only file.
bool MayReplace(const std::string& target) {
  struct stat st;
  return lstat(target.c_str(), &st) != 0 || (!S_ISDIR(st.st_mode) && !IsReadOnlyFile(st));
}

bool FlushFolder(const std::string& folder) {
  UniqueFd fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return fd.valid() && fsync(fd.get()) == 0;
}

BOOL MoveEntry(LPCSTR existing, LPCSTR new_name, DWORD flags) {
  std::string from;
  std::string to;
  if (!ResolvePath(existing, PathUse::kChange, &from) ||
      !ResolvePath(new_name, PathUse::kChange, &to)) {
    return FALSE;
  }
  if (DryRunActive()) return RecordMove(from, to, (flags & MOVEFILE_REPLACE_EXISTING) != 0);
  struct stat source;
  if (lstat(from.c_str(), &source) != 0) {
    SetLastErrorForPath(errno, from);
    return FALSE;
  }
  const bool replace = (flags & MOVEFILE_REPLACE_EXISTING) != 0;
  if (replace && !MayReplace(to)) return Fail(ERROR_ACCESS_DENIED);
  PendingChange move;
  move.kind = PendingChange::Kind::kMove;
  move.path = from;
  move.new_path = to;
  move.replaces = replace;
  if (!NotifyAboutToCommit(move) || !NotifyReadyToCommit()) return Fail(ERROR_WRITE_FAULT);
  const int moved = replace ? rename(from.c_str(), to.c_str())
                            : RenameNoReplace(from, to, S_ISDIR(source.st_mode));
  if (moved != 0) {
    // The source was there, so a missing entry is the target's folder.
    if (errno == ENOENT) return Fail(ERROR_PATH_NOT_FOUND);
    if (!replace && (errno == EEXIST || errno == ENOTEMPTY)) return Fail(ERROR_ALREADY_EXISTS);
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  if (replace) KeepAliasAfterReplacement(to);
  NotifyCommitted(to);
  if ((flags & MOVEFILE_WRITE_THROUGH) && !FlushFolder(FolderOf(to))) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  return TRUE;
}

}  // namespace
}  // namespace platform::internal

using namespace platform::internal;

extern "C" BOOL WINAPI MoveFileA(LPCSTR existing, LPCSTR new_name) {
  return MoveEntry(existing, new_name, 0);
}

extern "C" BOOL WINAPI MoveFileExA(LPCSTR existing, LPCSTR new_name, DWORD flags) {
  constexpr DWORD kKnownFlags =
      MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH;
  if (new_name == nullptr || (flags & ~kKnownFlags) != 0) return Fail(ERROR_INVALID_PARAMETER);
  return MoveEntry(existing, new_name, flags);
}
