// Opening and creating files: CreateFileA with Windows' dispositions and
// errors, and GetTempFileNameA, which creates through it. Only regular files
// open: everything is opened non-blocking and checked with one fstat first,
// so a FIFO or a device never makes the module wait. Truncation happens only
// after those checks, so a refused file is never emptied.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/dry_run_overlay.hpp"
#include "platform/handles.hpp"
#include "platform/internal.hpp"

namespace platform::internal {
namespace {

bool IsKnownDisposition(DWORD disposition) {
  return disposition >= CREATE_NEW && disposition <= TRUNCATE_EXISTING;
}

bool Truncates(DWORD disposition) {
  return disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
}

int OpenFlags(DWORD access, DWORD disposition, DWORD flags) {
  // Truncating needs a writable descriptor even when the module asked only
  // to read; the handle still refuses writes it did not ask for.
  const bool writes = (access & GENERIC_WRITE) != 0 || Truncates(disposition);
  const bool reads = (access & GENERIC_READ) != 0 || !writes;
  int open_flags = O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
  open_flags |= reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
  if (flags & FILE_FLAG_WRITE_THROUGH) open_flags |= O_DSYNC;
  return open_flags;
}

struct Opened {
  UniqueFd fd;
  bool existed = false;
  bool last_name_is_file = false;  // opened without following a link at the end
  struct stat state {};
};

// Opens or creates the file as the disposition says; on failure sets the
// Windows error.
bool OpenByDisposition(const std::string& path, int open_flags, DWORD disposition, Opened* opened) {
  constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask
  if (disposition == CREATE_NEW) {
    opened->fd = UniqueFd(open(path.c_str(), open_flags | O_CREAT | O_EXCL, kNewFileMode));
    if (!opened->fd.valid() && errno == EEXIST) {
      SetLastError(ERROR_FILE_EXISTS);
      return false;
    }
  } else {
    opened->fd = UniqueFd(open(path.c_str(), open_flags));
    opened->existed = opened->fd.valid();
    const bool creates = disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
    if (!opened->fd.valid() && errno == ENOENT && creates) {
      opened->fd = UniqueFd(open(path.c_str(), open_flags | O_CREAT | O_EXCL, kNewFileMode));
      // Lost a race with another creator, or the name is a dangling link:
      // open whatever is there now, creating a link's target.
      if (!opened->fd.valid() && errno == EEXIST) {
        opened->fd = UniqueFd(open(path.c_str(), open_flags | O_CREAT, kNewFileMode));
      }
    }
  }
  if (!opened->fd.valid()) {
    SetLastErrorForPath(errno, path);
    return false;
  }
  return true;
}

// A dry run opens only to read, and sees what the run has changed. A read
// first opens the name without following a last link: most names are none,
// and then the file's real path follows from its folder's.
bool OpenForCall(const std::string& path, int open_flags, DWORD disposition, bool only_reads,
                 Opened* opened) {
  if (DryRunActive()) {
    opened->existed = true;
    return OpenSeen(path, open_flags, only_reads, &opened->fd);
  }
  if (only_reads) {
    opened->fd = UniqueFd(open(path.c_str(), open_flags | O_NOFOLLOW));
    opened->existed = opened->last_name_is_file = opened->fd.valid();
    if (opened->existed) return true;
    if (errno != ELOOP) {
      SetLastErrorForPath(errno, path);
      return false;
    }
  }
  return OpenByDisposition(path, open_flags, disposition, opened);
}

// Refuses what is not a regular file, and an existing file its owner may not
// write when it would be changed: Windows' read-only attribute, which binds
// even an administrator.
bool CheckOpenedFile(Opened& opened, DWORD access, DWORD disposition) {
  struct stat& st = opened.state;
  if (fstat(opened.fd.get(), &st) != 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  const bool changes = (access & GENERIC_WRITE) != 0 || Truncates(disposition);
  const bool read_only = (st.st_mode & S_IWUSR) == 0;
  if (!S_ISREG(st.st_mode) || (opened.existed && changes && read_only)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  return true;
}

// O_NONBLOCK, which kept the open from hanging on a FIFO, stays set: only
// regular files get this far, and Linux ignores the flag for them.
bool FinishOpening(const Opened& opened, DWORD disposition) {
  if (opened.existed && Truncates(disposition) && ftruncate(opened.fd.get(), 0) != 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  return true;
}

// A new delete-on-close file: unnamed in its folder where the file system
// allows (O_TMPFILE), else created under its name and removed on close.
HANDLE CreateTemporary(std::unique_ptr<FileObject> file) {
  struct stat existing;
  if (lstat(file->path.c_str(), &existing) == 0) {
    SetLastError(ERROR_FILE_EXISTS);
    return INVALID_HANDLE_VALUE;
  }
  std::string folder = file->path.substr(0, file->path.rfind('/'));
  if (folder.empty()) folder.push_back('/');  // not = "/": a false -Wrestrict in g++ 12
  file->fd = DryRunActive() ? OpenDryRunScratch()
                            : UniqueFd(open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
  file->unnamed = file->fd.valid();
  if (!file->fd.valid() && !DryRunActive())
    file->fd = UniqueFd(open(file->path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (!file->fd.valid()) {
    SetLastErrorForPath(errno, file->path);
    return INVALID_HANDLE_VALUE;
  }
  file->access = GENERIC_READ | GENERIC_WRITE;
  file->delete_on_close = true;
  SetLastError(ERROR_SUCCESS);
  return RegisterHandle(std::move(file));
}

}  // namespace
}  // namespace platform::internal

extern "C" HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share,
                                     LPSECURITY_ATTRIBUTES /*sa*/, DWORD disposition, DWORD flags,
                                     HANDLE /*template_file*/) {
  using namespace platform::internal;
  if (!IsKnownDisposition(disposition) ||
      (disposition == TRUNCATE_EXISTING && (access & GENERIC_WRITE) == 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const bool only_reads = disposition == OPEN_EXISTING && (access & GENERIC_WRITE) == 0;
  auto file = std::make_unique<FileObject>();
  if (flags & FILE_FLAG_DELETE_ON_CLOSE) {
    if (disposition != CREATE_NEW) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
    }
    if (!ResolvePath(name, PathUse::kChange, &file->path)) return INVALID_HANDLE_VALUE;
    return CreateTemporary(std::move(file));
  }
  Opened opened;
  const int open_flags = OpenFlags(access, disposition, flags);
  if (!ResolvePath(name, only_reads ? PathUse::kRead : PathUse::kChange, &file->path) ||
      !OpenForCall(file->path, open_flags, disposition, only_reads, &opened) ||
      !CheckOpenedFile(opened, access, disposition) ||
      !FinishOpening(opened, disposition)) {
    return INVALID_HANDLE_VALUE;
  }
  file->fd = std::move(opened.fd);
  if (only_reads && (share & FILE_SHARE_WRITE) == 0)
    file->size_at_open = static_cast<uint64_t>(opened.state.st_size);
  file->access = access;
  const bool plainly = opened.last_name_is_file && opened.state.st_nlink == 1;
  if (only_reads && RealPathOfOpened(file->fd.get(), file->path, plainly, &file->read_target))
    file->read_state = opened.state;
  // Windows reports whether an "always" disposition met an existing file,
  // and clears the last error on every other success.
  const bool always = disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
  SetLastError(always && opened.existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return RegisterHandle(std::move(file));
}

extern "C" UINT WINAPI GetTempFileNameA(LPCSTR path, LPCSTR prefix, UINT unique, LPSTR temp_name) {
  if (path == nullptr || temp_name == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string stem = path;
  if (stem.empty() || (stem.back() != '\\' && stem.back() != '/')) stem += '\\';
  // Windows takes at most three characters of the prefix.
  if (prefix != nullptr) stem.append(prefix, strnlen(prefix, 3));
  auto name_for = [&stem](UINT number) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X.tmp", number);
    return stem + hex;
  };
  if (name_for(0xFFFF).size() >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return 0;
  }
  unique &= 0xFFFF;
  if (unique != 0) {
    std::strcpy(temp_name, name_for(unique).c_str());
    return unique;
  }
  // Start somewhere unlikely to be taken, then try each number once.
  const UINT start = static_cast<UINT>(getpid() ^ time(nullptr)) % 0xFFFF + 1;
  UINT number = start;
  do {
    const std::string name = name_for(number);
    HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      std::strcpy(temp_name, name.c_str());
      return number;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) return 0;
    number = number % 0xFFFF + 1;
  } while (number != start);
  return 0;
}
