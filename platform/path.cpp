// Module paths and POSIX paths. Drive C: is the POSIX root; the module's
// text is code page 866 while names on disk are UTF-8. A path is first
// folded as text ("." and ".." removed, as Windows does before touching the
// disk), then each name is turned into the on-disk name it stands for; a
// name the module cannot spell travels as its alias.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/handles.hpp"
#include "platform/host_bridge.hpp"
#include "platform/internal.hpp"

namespace platform::internal {
namespace {

constexpr char kLossyChar = '?';

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// One name of a path: its module text and, once known, its on-disk name.
struct PathPart {
  std::string oem;
  std::string real;  // empty until resolved
};

std::vector<std::string_view> SplitNames(std::string_view text, bool (*is_separator)(char)) {
  std::vector<std::string_view> names;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || is_separator(text[i])) {
      if (i > start) names.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return names;
}

bool IsSlash(char c) { return c == '/'; }

std::string CurrentPosixFolder() {
  std::unique_ptr<char, decltype(&std::free)> cwd(getcwd(nullptr, 0), &std::free);
  return cwd ? std::string(cwd.get()) : std::string();
}

bool CurrentFolderParts(std::vector<PathPart>* parts) {
  std::string cwd = CurrentPosixFolder();
  if (cwd.empty()) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  std::string folder;
  for (std::string_view name : SplitNames(cwd, IsSlash)) {
    const std::string real(name);
    parts->push_back({ModuleNameIn(folder, real), real});
    folder += "/" + real;
  }
  return true;
}

size_t ModuleLength(const std::vector<PathPart>& parts) {
  size_t length = 2;  // "C:"
  for (const PathPart& part : parts) length += 1 + part.oem.size();
  return parts.empty() ? 3 : length;
}

// Parses a module path into the absolute list of its names, "." and ".."
// folded; names taken from the current folder come with their on-disk form.
bool FoldedParts(const char* module_path, std::vector<PathPart>* parts) {
  if (module_path == nullptr || *module_path == '\0') {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  std::string_view rest(module_path);
  if (rest.size() >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  const bool has_drive =
      rest.size() >= 2 && rest[1] == ':' && std::isalpha(static_cast<unsigned char>(rest[0]));
  if (has_drive) {
    if (std::toupper(static_cast<unsigned char>(rest[0])) != 'C') {
      SetLastError(ERROR_PATH_NOT_FOUND);
      return false;
    }
    rest.remove_prefix(2);
  } else if (rest.size() >= 2 && IsSeparator(rest[0]) && IsSeparator(rest[1])) {
    SetLastError(ERROR_PATH_NOT_FOUND);  // a network share: there are none
    return false;
  }
  // "C:name" is relative to the current folder, which is always on C:.
  const bool absolute = !rest.empty() && IsSeparator(rest[0]);
  if (!absolute && !CurrentFolderParts(parts)) return false;
  for (std::string_view name : SplitNames(rest, IsSeparator)) {
    if (name == ".") continue;
    if (name == "..") {
      if (!parts->empty()) parts->pop_back();
      continue;
    }
    parts->push_back({std::string(name), std::string()});
  }
  if (ModuleLength(*parts) >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  return true;
}

std::string ChildPath(const std::string& folder, const std::string& name) {
  return folder + "/" + name;  // folder "" is the root
}

// Turns the module text of one name into its on-disk name; 0, or the error
// to report. Only an alias holds "?", and it names its own entry or nothing.
DWORD FindOnDisk(const std::string& folder, const std::string& oem, PathUse use, bool last,
                 std::string* real) {
  const DWORD missing = last ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
  bool alias = false;
  for (char c : oem) {
    if (c == kLossyChar) {
      alias = true;
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || ForbiddenInName(c)) {
      return ERROR_INVALID_NAME;
    }
  }
  if (!alias) {
    *real = OemToUtf8(oem);
    return 0;
  }
  switch (FindAliased(folder, oem, real)) {
    case AliasLookup::kFound:
      return 0;
    case AliasLookup::kStale:
      return missing;
    case AliasLookup::kNotAlias:
      break;
  }
  return use == PathUse::kChange && last ? ERROR_INVALID_NAME : missing;
}

bool FailResolving(DWORD code) {
  SetLastError(code);
  return false;
}

// The folder of an absolute path ("C:\...\", with its separator) whose
// on-disk form follows from its text alone: no alias ("?") and no "." or
// ".." in it. Empty for any other path.
std::string_view PlainAbsoluteFolder(std::string_view path) {
  if (path.size() < 3 || (path[0] != 'C' && path[0] != 'c') || path[1] != ':' ||
      !IsSeparator(path[2]) || path.size() >= MAX_PATH)
    return {};
  size_t last = path.size();
  while (last > 0 && !IsSeparator(path[last - 1])) last--;
  const std::string_view folder = path.substr(0, last);
  if (folder.find(kLossyChar) != std::string_view::npos) return {};
  for (std::string_view name : SplitNames(folder.substr(2), IsSeparator))
    if (name == "." || name == "..") return {};
  return folder;
}

// The last folder resolved on this thread: a walk resolves every file of a
// folder, one after another, against the same folder. Only folders whose
// on-disk form follows from their text are kept, so it never goes stale.
struct ResolvedFolder {
  std::string module_text;
  std::string posix;
};
thread_local ResolvedFolder LastFolder;

// The name of a path that names an entry of the last folder; empty when
// it names anything else.
std::string_view NameInLastFolder(std::string_view path) {
  // The remembered folder passed PlainAbsoluteFolder; the same text needs
  // no second look, which matters as it comes once per file of a walk.
  const std::string_view folder = LastFolder.module_text;
  if (folder.empty() || path.size() >= MAX_PATH || !path.starts_with(folder)) return {};
  const std::string_view name = path.substr(folder.size());
  const bool in_folder = std::find_if(name.begin(), name.end(), IsSeparator) == name.end();
  if (!in_folder || name == "." || name == "..") return {};
  return name;
}

bool ResolveInLastFolder(std::string_view name, PathUse use, std::string* posix_path) {
  std::string real;
  const DWORD error = FindOnDisk(LastFolder.posix, std::string(name), use, true, &real);
  if (error != 0) return FailResolving(error);
  *posix_path = ChildPath(LastFolder.posix, real);
  return true;
}

void RememberFolder(std::string_view path, const std::string& posix_path) {
  const std::string_view folder = PlainAbsoluteFolder(path);
  if (folder.empty() || folder.size() == path.size()) return;
  LastFolder.module_text = folder;
  LastFolder.posix = posix_path.substr(0, posix_path.rfind('/'));
}

bool ResolveFromTheRoot(const char* module_path, PathUse use, std::string* posix_path);

}  // namespace

bool ResolvePath(const char* module_path, PathUse use, std::string* posix_path) {
  const std::string_view path = module_path ? module_path : "";
  const std::string_view name = NameInLastFolder(path);
  if (!name.empty()) return ResolveInLastFolder(name, use, posix_path);
  if (!ResolveFromTheRoot(module_path, use, posix_path)) return false;
  RememberFolder(path, *posix_path);
  return true;
}

namespace {

bool ResolveFromTheRoot(const char* module_path, PathUse use, std::string* posix_path) {
  std::vector<PathPart> parts;
  if (!FoldedParts(module_path, &parts)) return false;
  std::string path;
  for (size_t i = 0; i < parts.size(); ++i) {
    const bool last = i + 1 == parts.size();
    std::string real = parts[i].real;
    if (real.empty()) {
      const DWORD error = FindOnDisk(path, parts[i].oem, use, last, &real);
      if (error != 0) return FailResolving(error);
    }
    path = ChildPath(path, real);
  }
  *posix_path = path.empty() ? "/" : path;
  return true;
}

}  // namespace

bool FullModulePath(const char* module_path, std::string* full_path) {
  std::vector<PathPart> parts;
  if (!FoldedParts(module_path, &parts)) return false;
  std::string full = "C:";
  for (const PathPart& part : parts) full += "\\" + part.oem;
  if (parts.empty()) full += "\\";
  *full_path = full;
  return true;
}

DWORD SetLastErrorForPath(int error, const std::string& posix_path) {
  if (error == ENOENT) {
    const size_t slash = posix_path.find_last_of('/');
    const std::string folder =
        slash == 0 || slash == std::string::npos ? std::string("/") : posix_path.substr(0, slash);
    struct stat st;
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      SetLastError(ERROR_PATH_NOT_FOUND);
      return ERROR_PATH_NOT_FOUND;
    }
  }
  return SetLastErrorFromErrno(error);
}

DWORD CopyPathOut(const std::string& text, char* buffer, DWORD size) {
  if (buffer == nullptr || size <= text.size()) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

}  // namespace platform::internal

namespace platform {

bool ToPosixPath(const char* module_path, std::string* posix_path) {
  return internal::ResolvePath(module_path, internal::PathUse::kRead, posix_path);
}

std::string ToModulePath(const std::string& posix_path) {
  std::string absolute = posix_path;
  if (absolute.empty() || absolute[0] != '/') {
    absolute = internal::CurrentPosixFolder() + "/" + absolute;
  }
  std::string module_path = "C:";
  std::string folder;
  for (std::string_view name : internal::SplitNames(absolute, internal::IsSlash)) {
    const std::string real(name);
    module_path += '\\';  // not + "\\": a false -Wrestrict in g++ 12
    module_path += internal::ModuleNameIn(folder, real);
    folder += "/" + real;
  }
  if (module_path.size() == 2) module_path += "\\";
  return module_path;
}

}  // namespace platform
