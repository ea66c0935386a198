// Folder listings: FindFirstFileA, FindNextFileA and FindClose. Names are
// matched in their module form (aliases included), so "*" and "?" see what
// the module will see. As on Windows, a name is listed even where the path
// it makes is too long to open: the caller learns of it and can say so.
// A listing streams from the folder rather than reading it whole, and the
// mount points of kernel pseudo file systems list as empty folders: a walk
// must not wander through /proc or /sys.
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include "platform/dry_run_overlay.hpp"
#include "platform/handles.hpp"
#include "platform/host_bridge.hpp"
#include "platform/internal.hpp"

namespace platform::internal {
namespace {

struct FindObject : HandleObject {
  std::deque<WIN32_FIND_DATAA> ready;  // records decided before the stream
  DirStream stream;                    // the rest of the folder, or null
  std::string pattern;                 // module text of the last component
  bool names_only = false;             // FIND_FIRST_EX_NAMES_ONLY
};

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool Glob(std::string_view pattern, std::string_view name) {
  size_t p = 0;
  size_t n = 0;
  size_t star = std::string_view::npos;
  size_t star_name = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      star_name = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || FoldAscii(pattern[p]) == FoldAscii(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++star_name;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// As on Windows, a final ".*" also matches a name without any dot, so "*.*"
// lists every name and "readme.*" finds "readme".
bool MatchesPattern(std::string_view pattern, std::string_view name) {
  if (Glob(pattern, name)) return true;
  return pattern.ends_with(".*") && name.find('.') == std::string_view::npos &&
         Glob(pattern.substr(0, pattern.size() - 2), name);
}

bool HasWildcard(std::string_view text) {
  return text.find_first_of("*?") != std::string_view::npos;
}

// devtmpfs reports tmpfs's magic number; only the mount table tells them apart.
bool IsDevtmpfs(dev_t device) {
  std::ifstream mounts("/proc/self/mountinfo");
  const std::string wanted = std::to_string(major(device)) + ":" + std::to_string(minor(device));
  for (std::string line; std::getline(mounts, line);) {
    std::istringstream fields(line);
    std::string id, parent, numbers;
    fields >> id >> parent >> numbers;
    const size_t separator = line.find(" - ");
    if (numbers == wanted && separator != std::string::npos &&
        line.compare(separator + 3, 9, "devtmpfs ") == 0) {
      return true;
    }
  }
  return false;
}

// Magic numbers the kernel headers do not name.
constexpr unsigned long kMqueueMagic = 0x19800202;
constexpr unsigned long kFusectlMagic = 0x65735543;
constexpr unsigned long kConfigfsMagic = 0x62656570;

bool IsKernelPseudoFileSystem(int dir_fd) {
  static constexpr unsigned long kPseudoTypes[] = {
      PROC_SUPER_MAGIC,    SYSFS_MAGIC,   DEVPTS_SUPER_MAGIC, CGROUP_SUPER_MAGIC,
      CGROUP2_SUPER_MAGIC, DEBUGFS_MAGIC, TRACEFS_MAGIC,      SECURITYFS_MAGIC,
      PSTOREFS_MAGIC,      BPF_FS_MAGIC,  kMqueueMagic,       HUGETLBFS_MAGIC,
      kFusectlMagic,       kConfigfsMagic};
  struct statfs fs;
  if (fstatfs(dir_fd, &fs) != 0) return false;
  const auto type = static_cast<unsigned long>(fs.f_type);
  if (std::find(std::begin(kPseudoTypes), std::end(kPseudoTypes), type) != std::end(kPseudoTypes)) {
    return true;
  }
  struct stat st;
  return type == TMPFS_MAGIC && fstat(dir_fd, &st) == 0 && IsDevtmpfs(st.st_dev);
}

void SetName(WIN32_FIND_DATAA* record, const std::string& module_name) {
  std::memset(record->cFileName, 0, sizeof record->cFileName);
  std::memset(record->cAlternateFileName, 0, sizeof record->cAlternateFileName);
  module_name.copy(record->cFileName, sizeof record->cFileName - 1);
}

// Describes the entry and names it; false when it vanished meanwhile. A
// names-only listing takes a plain folder or file for what its listed type
// says, which saves a system call per entry.
bool MakeRecord(bool names_only, int dir_fd, const char* on_disk, unsigned char type,
                const std::string& module_name, WIN32_FIND_DATAA* record) {
  if (!(names_only && DescribeByType(type, on_disk, record)) &&
      !DescribeEntry(dir_fd, on_disk, on_disk, record)) {
    return false;
  }
  SetName(record, module_name);
  return true;
}

bool NextFromStream(FindObject* find, WIN32_FIND_DATAA* record) {
  while (const char* name = find->stream.Next()) {
    const std::string_view on_disk(name);
    if (on_disk == "." || on_disk == "..") continue;  // listed first, as Windows does
    const std::string module_name = ModuleNameAt(find->stream.fd(), name);
    if (!MatchesPattern(find->pattern, module_name)) continue;
    if (MakeRecord(find->names_only, find->stream.fd(), name, find->stream.type(), module_name,
                   record))
      return true;
  }
  find->stream.reset();
  return false;
}

bool NextRecord(FindObject* find, WIN32_FIND_DATAA* record) {
  if (!find->ready.empty()) {
    *record = find->ready.front();
    find->ready.pop_front();
    return true;
  }
  return find->stream.valid() && NextFromStream(find, record);
}

// The record of the one entry a plain path names.
bool StartSingle(const char* module_path, FindObject* find) {
  std::string path;
  if (!ResolvePath(module_path, PathUse::kRead, &path)) return false;
  if (path == "/") {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  const std::string on_disk = path.substr(path.find_last_of('/') + 1);
  WIN32_FIND_DATAA record;
  if (!DescribeSeen(path, on_disk, &record)) {
    SetLastErrorForPath(errno, path);
    return false;
  }
  SetName(&record, ModuleNameIn(path.substr(0, path.find_last_of('/')), on_disk));
  find->ready.push_back(record);
  return true;
}

bool StartListing(const std::string& folder_text, const std::string& pattern, FindObject* find) {
  std::string folder, on_disk;
  if (!ResolvePath(folder_text.empty() ? "." : folder_text.c_str(), PathUse::kRead, &folder) ||
      !SeenOnDisk(folder, &on_disk)) {
    if (GetLastError() == ERROR_FILE_NOT_FOUND) SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  UniqueFd fd(open(on_disk.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.valid()) {
    SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : WindowsErrorFromErrno(errno));
    return false;
  }
  find->pattern = pattern;
  // A drive's root has no "." and "..", every other folder has both.
  if (folder != "/") {
    for (const char* dots : {".", ".."}) {
      WIN32_FIND_DATAA record;
      if (MatchesPattern(pattern, dots) &&
          MakeRecord(find->names_only, fd.get(), dots, DT_DIR, dots, &record)) {
        find->ready.push_back(record);
      }
    }
  }
  if (IsKernelPseudoFileSystem(fd.get())) return true;
  if (DryRunActive()) {
    ListSeen(folder, fd.get(), [find](const std::string& name, WIN32_FIND_DATAA& record) {
      if (!MatchesPattern(find->pattern, name)) return;
      SetName(&record, name);
      find->ready.push_back(record);
    });
    return true;
  }
  find->stream = DirStream(std::move(fd));
  return true;
}

bool IsStaleAlias(const std::string& folder_text, const std::string& name) {
  std::string folder;
  std::string real;
  if (name.find('*') != std::string::npos ||
      !ResolvePath(folder_text.empty() ? "." : folder_text.c_str(), PathUse::kRead, &folder) ||
      FindAliased(folder, name, &real) != AliasLookup::kStale) {
    return false;
  }
  SetLastError(ERROR_FILE_NOT_FOUND);
  return true;
}

}  // namespace
}  // namespace platform::internal

using namespace platform::internal;

namespace {

HANDLE StartFind(LPCSTR pattern, LPWIN32_FIND_DATAA data, bool names_only) {
  if (pattern == nullptr || data == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const std::string text(pattern);
  if (text.size() >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return INVALID_HANDLE_VALUE;
  }
  const size_t separator = text.find_last_of("\\/");
  size_t last_start = separator == std::string::npos ? 0 : separator + 1;
  if (last_start == 0 && text.size() >= 2 && text[1] == ':') last_start = 2;  // "C:*.txt"
  const std::string folder_text = text.substr(0, last_start);
  const std::string last = text.substr(last_start);
  if (last.empty()) {
    SetLastError(text.empty() ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  auto find = std::make_unique<FindObject>();
  find->names_only = names_only;
  // A name with "?" but no "*" is most often an alias the module got from a
  // listing and now looks up again: the entry it names comes first, and an
  // alias whose entry is gone finds nothing rather than what the "?" match.
  const bool is_listing = HasWildcard(last);
  const bool found_single = last.find('*') == std::string::npos && StartSingle(pattern, find.get());
  if (!found_single && (!is_listing || IsStaleAlias(folder_text, last) ||
                        !StartListing(folder_text, last, find.get()))) {
    return INVALID_HANDLE_VALUE;
  }
  WIN32_FIND_DATAA record;
  if (!NextRecord(find.get(), &record)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  *data = record;
  return RegisterHandle(std::move(find));
}

}  // namespace

extern "C" HANDLE WINAPI FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
  return StartFind(pattern, data, false);
}

extern "C" HANDLE WINAPI FindFirstFileExA(LPCSTR pattern, FINDEX_INFO_LEVELS level, LPVOID data,
                                          FINDEX_SEARCH_OPS search, LPVOID filter, DWORD flags) {
  // Basic differs from Standard only by the short names, which are never
  // filled here.
  const bool known_level = level == FindExInfoStandard || level == FindExInfoBasic;
  if (!known_level || search != FindExSearchNameMatch || filter != nullptr ||
      (flags & ~(FIND_FIRST_EX_LARGE_FETCH | FIND_FIRST_EX_NAMES_ONLY)) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  return StartFind(pattern, static_cast<LPWIN32_FIND_DATAA>(data),
                   (flags & FIND_FIRST_EX_NAMES_ONLY) != 0);
}

extern "C" BOOL WINAPI FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA data) {
  FindObject* object = HandleAs<FindObject>(find);
  if (object == nullptr) return FALSE;
  WIN32_FIND_DATAA record;
  if (!NextRecord(object, &record)) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  *data = record;
  return TRUE;
}

extern "C" BOOL WINAPI FindClose(HANDLE find) {
  if (HandleAs<FindObject>(find) == nullptr) return FALSE;
  return CloseHandle(find);
}
