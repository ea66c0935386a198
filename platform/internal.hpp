// Helpers shared by the platform's source files, never seen by the module
// or the host.
#pragma once

#include <ctime>

#include <array>
#include <string>
#include <string_view>
#include <utility>

#include "platform/host_bridge.hpp"
#include "platform/win32.hpp"

namespace platform::internal {

// The one place where an errno value becomes a Windows error code; sets the
// last error and returns the code it set.
DWORD SetLastErrorFromErrno(int error);

// Maps an errno value to the Windows code without setting anything.
DWORD WindowsErrorFromErrno(int error);

// ---------------------------------------------------------------------------
// Code pages
// ---------------------------------------------------------------------------
constexpr UINT kAnsiCodePage = 1251;
constexpr UINT kOemCodePage = 866;
constexpr char32_t kReplacementChar = 0xFFFD;

// A single-byte code page, read from iconv once. Every byte has a
// character: one the page leaves undefined stands for the code point of the
// same value, as Windows treats 0x98 in code page 1251.
class SingleBytePage {
 public:
  explicit SingleBytePage(const char* iconv_name);
  SingleBytePage(const SingleBytePage&) = delete;
  SingleBytePage& operator=(const SingleBytePage&) = delete;

  WCHAR ToWide(unsigned char byte) const { return to_wide_[byte]; }
  // False when the page has no byte for the character.
  bool FromWide(char32_t c, unsigned char* byte) const;

 private:
  std::array<WCHAR, 256> to_wide_;
  std::array<std::pair<char32_t, unsigned char>, 256> by_char_;  // sorted by character
};

// The page behind a Windows code page number (CP_ACP and CP_OEMCP
// included), or nullptr when it is not a single-byte page known here.
const SingleBytePage* FindSingleBytePage(UINT code_page);
const SingleBytePage& AnsiPage();
const SingleBytePage& OemPage();

// One character decoded from the start of a non-empty UTF-8 text. An
// ill-formed sequence decodes as U+FFFD covering its maximal invalid part,
// so decoding always advances.
struct Utf8Char {
  char32_t code;
  size_t length;  // bytes consumed, at least 1
  bool valid;
};
Utf8Char DecodeUtf8(std::string_view text);
// Appends c in UTF-8; surrogates and values beyond U+10FFFF become U+FFFD.
void AppendUtf8(char32_t c, std::string* out);

// ---------------------------------------------------------------------------
// Times
// ---------------------------------------------------------------------------
// File times count 100 ns since 1601-01-01 UTC. Instants before 1601 clamp
// to 1601.
FILETIME FileTimeFromTimespec(const timespec& time);

// ---------------------------------------------------------------------------
// Paths
// ---------------------------------------------------------------------------
// What a resolved path is used for. An existing entry listed under an alias
// may be read, rewritten, moved and deleted through it, but nothing is
// created under a name the module cannot spell.
enum class PathUse { kRead, kChange };

// Resolves a module path (absolute "C:\...", or relative to the current
// folder) to the absolute POSIX path it names, each alias to its own entry.
// False with the last error set: ERROR_FILENAME_EXCED_RANGE,
// ERROR_PATH_NOT_FOUND (another drive, or a folder name matching no entry),
// ERROR_FILE_NOT_FOUND (a last name with "?" that is no live alias),
// ERROR_INVALID_NAME (a character Windows forbids in a name, or for kChange
// a last name with "?" that is no alias).
bool ResolvePath(const char* module_path, PathUse use, std::string* posix_path);

// The absolute module form of a module path, with "." and ".." folded, the
// way GetFullPathNameA shows it; the disk is not looked at.
bool FullModulePath(const char* module_path, std::string* full_path);

// Sets the last error for a call on posix_path that failed with errno
// `error`: a missing entry whose folder is missing too is
// ERROR_PATH_NOT_FOUND, as Windows tells the two apart.
DWORD SetLastErrorForPath(int error, const std::string& posix_path);

// Windows' contract for returning a path: when it fits, text and terminator
// are copied and the length without terminator is returned; otherwise the
// size needed with the terminator is returned and the buffer left alone.
DWORD CopyPathOut(const std::string& text, char* buffer, DWORD size);

// ---------------------------------------------------------------------------
// Aliases
// ---------------------------------------------------------------------------
// The characters Windows refuses in a name, besides control characters.
bool ForbiddenInName(char c);

// True when an on-disk name is shown to the module under an alias: code
// page 866 cannot hold it exactly, or it holds a character Windows forbids.
bool NeedsAlias(const std::string& real);

// The name in code page 866 with "?" for every character that cannot be
// shown; never a separator, never "." or "..".
std::string LossyName(const std::string& real);

// The module's name for the entry `real` of a folder (given open, or by
// its POSIX path): the name itself in code page 866, or its alias, unique in
// the folder and always holding "?".
std::string ModuleNameAt(int dir_fd, const std::string& real);
std::string ModuleNameIn(const std::string& folder, const std::string& real);

enum class AliasLookup { kNotAlias, kFound, kStale };
// The on-disk name behind an alias of `folder`; kStale when the entry the
// alias was given to is gone.
AliasLookup FindAliased(const std::string& folder, const std::string& alias, std::string* real);

// A replacement gives the file a new inode under the same name; its alias
// follows it.
void KeepAliasAfterReplacement(const std::string& posix_path);

// Asks the host's change observer, if any, whether a change may be made.
bool NotifyAboutToCommit(const PendingChange& change);
// Tells the host's change observer, if any, that the changes announced
// since the last call are about to be made; false refuses them all.
bool NotifyReadyToCommit();
// Whether a host observes changes at all (so that what only it needs is
// prepared only for it).
bool HasChangeObserver();

// Tells the host's change observer, if any, that `posix_path` was changed.
void NotifyCommitted(const std::string& posix_path);

// ---------------------------------------------------------------------------
// Entries
// ---------------------------------------------------------------------------
// Fills the attributes, times and size of the entry at `path` (relative to
// dir_fd) as a listing shows them, leaving the names alone; `name` is its
// on-disk name, which decides whether it is hidden. False with errno set
// when the entry cannot be examined.
bool DescribeEntry(int dir_fd, const char* path, std::string_view name,
                   WIN32_FIND_DATAA* record);

// The record of a names-only listing for an entry whose listed type
// (a dirent d_type) is a plain folder or regular file: the directory and
// hidden attributes, no times, size 0. False for any other type (a link,
// or DT_UNKNOWN where the file system does not tell), which needs
// DescribeEntry.
bool DescribeByType(unsigned char type, std::string_view name, WIN32_FIND_DATAA* record);

// The path an open descriptor names now, with every link resolved; the
// path it was opened by when /proc cannot say. False with errno set.
bool RealPathOfDescriptor(int fd, const std::string& opened_by, std::string* path);

// The same for a file just opened by `opened_by`. Opened plainly (its last
// name no link, and no other name to it), a file's real path is its
// folder's real path and its name; the folder's is remembered per thread
// for a moment.
bool RealPathOfOpened(int fd, const std::string& opened_by, bool opened_plainly,
                      std::string* path);

}  // namespace platform::internal
