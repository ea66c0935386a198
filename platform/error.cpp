// The calling thread's last error, and the errno-to-Windows translation that
// every platform call goes through.
#include <cerrno>

#include "platform/internal.hpp"

namespace {
thread_local DWORD last_error = ERROR_SUCCESS;
}

extern "C" DWORD WINAPI GetLastError(void) { return last_error; }

extern "C" void WINAPI SetLastError(DWORD code) { last_error = code; }

namespace platform::internal {

DWORD WindowsErrorFromErrno(int error) {
  switch (error) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
    case ENXIO:
    case ENODEV: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case EFBIG: return ERROR_HANDLE_DISK_FULL;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case EBADF: return ERROR_INVALID_HANDLE;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case EBUSY: return ERROR_BUSY;
    case ELOOP: return ERROR_CANTOPEN;
    case EAGAIN: return ERROR_SHARING_VIOLATION;
    case EIO: return ERROR_IO_DEVICE;
    case ENOTSUP: return ERROR_NOT_SUPPORTED;
    default: return ERROR_GEN_FAILURE;
  }
}

DWORD SetLastErrorFromErrno(int error) {
  DWORD code = WindowsErrorFromErrno(error);
  SetLastError(code);
  return code;
}

}  // namespace platform::internal
