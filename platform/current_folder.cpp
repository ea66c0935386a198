// The current folder in module form, and full module paths. The process's
// own working folder is the current folder: the host sets it before each
// call into the module.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/host_bridge.hpp"
#include "platform/internal.hpp"

using namespace platform::internal;

extern "C" BOOL WINAPI SetCurrentDirectoryA(LPCSTR path) {
  std::string folder;
  if (!ResolvePath(path, PathUse::kRead, &folder)) return FALSE;
  if (chdir(folder.c_str()) == 0) return TRUE;
  struct stat st;
  // Windows names a file given as a folder apart from a missing folder.
  if (errno == ENOTDIR && stat(folder.c_str(), &st) == 0) {
    SetLastError(ERROR_DIRECTORY);
  } else {
    SetLastErrorForPath(errno, folder);
  }
  return FALSE;
}

extern "C" DWORD WINAPI GetFullPathNameA(LPCSTR name, DWORD size, LPSTR buffer, LPSTR* file_part) {
  std::string full;
  if (!FullModulePath(name, &full)) return 0;
  // A trailing separator is kept, as Windows keeps it; the name part is then empty.
  const char last = name[std::strlen(name) - 1];
  if ((last == '\\' || last == '/') && full.back() != '\\') full += '\\';
  const DWORD result = CopyPathOut(full, buffer, size);
  if (buffer != nullptr && result < size && file_part != nullptr) {
    const size_t name_start = full.find_last_of('\\') + 1;
    *file_part = name_start < full.size() ? buffer + name_start : nullptr;
  }
  return result;
}
