// Drives: there is one, C:, and it is the POSIX root.
#include <cctype>

#include "platform/win32.hpp"

extern "C" DWORD WINAPI GetLogicalDrives(void) { return 1u << ('C' - 'A'); }

extern "C" UINT WINAPI GetDriveTypeA(LPCSTR root) {
  // No root means the current folder's drive, which is always C:.
  if (root == nullptr) return DRIVE_FIXED;
  const bool is_c = std::toupper(static_cast<unsigned char>(root[0])) == 'C' && root[1] == ':';
  const bool is_root =
      is_c && (root[2] == '\0' || ((root[2] == '\\' || root[2] == '/') && root[3] == '\0'));
  return is_root ? DRIVE_FIXED : DRIVE_NO_ROOT_DIR;
}
