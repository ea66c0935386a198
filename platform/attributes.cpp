// What the module sees of one entry: its Windows attributes, times and
// size, as listings and GetFileAttributesA report them. Links show their
// target plus FILE_ATTRIBUTE_REPARSE_POINT; what is neither a folder nor a
// regular file shows as an empty file.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/dry_run_overlay.hpp"
#include "platform/internal.hpp"

namespace platform::internal {
namespace {

constexpr unsigned kStatxWanted = STATX_BASIC_STATS | STATX_BTIME;

bool StatxAt(int dir_fd, const char* path, int flags, struct statx* out) {
  return statx(dir_fd, path, flags | AT_NO_AUTOMOUNT, kStatxWanted, out) == 0;
}

FILETIME FromStatxTime(const statx_timestamp& time) {
  return FileTimeFromTimespec(timespec{time.tv_sec, static_cast<long>(time.tv_nsec)});
}

void TimesFromStatx(const struct statx& st, FILETIME* creation, FILETIME* access, FILETIME* write) {
  if (creation != nullptr) {
    *creation = FromStatxTime((st.stx_mask & STATX_BTIME) ? st.stx_btime : st.stx_ctime);
  }
  if (access != nullptr) *access = FromStatxTime(st.stx_atime);
  if (write != nullptr) *write = FromStatxTime(st.stx_mtime);
}

bool IsHiddenName(std::string_view name) {
  return !name.empty() && name[0] == '.' && name != "." && name != "..";
}

// A dangling link describes itself: not a folder, writable, size 0.
DWORD AttributesOf(const struct statx& target, bool is_link, std::string_view name) {
  DWORD attributes = S_ISDIR(target.stx_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if ((target.stx_mode & S_IWUSR) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  if (IsHiddenName(name)) attributes |= FILE_ATTRIBUTE_HIDDEN;
  if (is_link) attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
  return attributes;
}

}  // namespace

bool DescribeEntry(int dir_fd, const char* path, std::string_view name, WIN32_FIND_DATAA* record) {
  struct statx link;
  if (!StatxAt(dir_fd, path, AT_SYMLINK_NOFOLLOW, &link)) return false;
  const bool is_link = S_ISLNK(link.stx_mode);
  struct statx target = link;
  if (is_link && !StatxAt(dir_fd, path, 0, &target)) target = link;

  record->dwFileAttributes = AttributesOf(target, is_link, name);
  TimesFromStatx(target, &record->ftCreationTime, &record->ftLastAccessTime,
                 &record->ftLastWriteTime);
  const uint64_t size = S_ISREG(target.stx_mode) ? target.stx_size : 0;
  record->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  record->nFileSizeLow = static_cast<DWORD>(size);
  record->dwReserved0 = 0;
  record->dwReserved1 = 0;
  return true;
}

bool DescribeByType(unsigned char type, std::string_view name, WIN32_FIND_DATAA* record) {
  if (type != DT_DIR && type != DT_REG) return false;
  std::memset(record, 0, sizeof *record);
  record->dwFileAttributes = type == DT_DIR ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (IsHiddenName(name)) record->dwFileAttributes |= FILE_ATTRIBUTE_HIDDEN;
  return true;
}

}  // namespace platform::internal

namespace {

// The record a listing of the named entry's folder gives it, names aside;
// false with the last error set when there is none.
bool DescribeNamed(LPCSTR name, WIN32_FIND_DATAA* record) {
  using namespace platform::internal;
  std::string path;
  if (!ResolvePath(name, PathUse::kRead, &path)) return false;
  const std::string_view base = std::string_view(path).substr(path.find_last_of('/') + 1);
  if (!DescribeSeen(path, base, record)) {
    SetLastErrorForPath(errno, path);
    return false;
  }
  return true;
}

}  // namespace

extern "C" DWORD WINAPI GetFileAttributesA(LPCSTR name) {
  WIN32_FIND_DATAA record;
  return DescribeNamed(name, &record) ? record.dwFileAttributes : INVALID_FILE_ATTRIBUTES;
}

extern "C" BOOL WINAPI GetFileAttributesExA(LPCSTR name, GET_FILEEX_INFO_LEVELS level,
                                            LPVOID information) {
  if (name == nullptr || information == nullptr || level != GetFileExInfoStandard) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  WIN32_FIND_DATAA record;
  if (!DescribeNamed(name, &record)) return FALSE;
  auto* data = static_cast<LPWIN32_FILE_ATTRIBUTE_DATA>(information);
  data->dwFileAttributes = record.dwFileAttributes;
  data->ftCreationTime = record.ftCreationTime;
  data->ftLastAccessTime = record.ftLastAccessTime;
  data->ftLastWriteTime = record.ftLastWriteTime;
  data->nFileSizeHigh = record.nFileSizeHigh;
  data->nFileSizeLow = record.nFileSizeLow;
  return TRUE;
}
