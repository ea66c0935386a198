// Calls on an open file handle: reading, writing, its size and its final
// path. Sizes are 64-bit.
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "platform/dry_run_overlay.hpp"
#include "platform/handles.hpp"
#include "platform/host_bridge.hpp"
#include "platform/internal.hpp"

namespace platform::internal {
namespace {

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

BOOL FailFromErrno() {
  SetLastErrorFromErrno(errno);
  return FALSE;
}

// The file behind a handle that was opened with `access`; otherwise nullptr
// with the Windows error.
FileObject* FileWithAccess(HANDLE handle, DWORD access) {
  FileObject* file = HandleAs<FileObject>(handle);
  if (file != nullptr && (file->access & access) != access) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  return file;
}

// Repeats `step` (read or write) over short transfers until `size` bytes
// have moved, the step reports 0 (end of file), or it fails.
template <typename Step>
bool TransferAll(size_t size, size_t* done, Step step) {
  *done = 0;
  while (*done < size) {
    const ssize_t moved = step(*done, size - *done);
    if (moved < 0 && errno == EINTR) continue;
    if (moved < 0) return false;
    if (moved == 0) break;
    *done += static_cast<size_t>(moved);
  }
  return true;
}

bool FileSize(FileObject* file, LARGE_INTEGER* size) {
  uint64_t bytes = 0;
  if (!FileSizeOf(*file, &bytes)) return FailFromErrno();
  size->QuadPart = static_cast<LONGLONG>(bytes);
  return true;
}

bool FinalPathOf(FileObject* file, std::string* path) {
  return RealPathOfDescriptor(file->fd.get(), file->path, path) || FailFromErrno();
}

}  // namespace

}  // namespace platform::internal

using namespace platform::internal;

extern "C" BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD to_read, LPDWORD read,
                                LPOVERLAPPED ov) {
  if (read != nullptr) *read = 0;
  FileObject* object = FileWithAccess(file, GENERIC_READ);
  if (object == nullptr) return FALSE;
  if (ov != nullptr) return Fail(ERROR_INVALID_PARAMETER);
  char* bytes = static_cast<char*>(buffer);
  size_t done = 0;
  const bool ok = TransferAll(to_read, &done, [&](size_t offset, size_t count) {
    return ::read(object->fd.get(), bytes + offset, count);
  });
  if (read != nullptr) *read = static_cast<DWORD>(done);
  return ok ? TRUE : FailFromErrno();
}

extern "C" BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD to_write, LPDWORD written,
                                 LPOVERLAPPED ov) {
  if (written != nullptr) *written = 0;
  FileObject* object = FileWithAccess(file, GENERIC_WRITE);
  if (object == nullptr) return FALSE;
  if (ov != nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const char* bytes = static_cast<const char*>(buffer);
  size_t done = 0;
  const bool ok = TransferAll(to_write, &done, [&](size_t offset, size_t count) {
    return ::write(object->fd.get(), bytes + offset, count);
  });
  if (written != nullptr) *written = static_cast<DWORD>(done);
  if (!ok) return FailFromErrno();
  // A regular file takes no bytes only when the disk has no room left.
  return done == to_write ? TRUE : Fail(ERROR_DISK_FULL);
}

extern "C" BOOL WINAPI GetFileSizeEx(HANDLE file, PLARGE_INTEGER size) {
  FileObject* object = HandleAs<FileObject>(file);
  if (object == nullptr) return FALSE;
  if (size == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  return FileSize(object, size) ? TRUE : FALSE;
}

extern "C" DWORD WINAPI GetFinalPathNameByHandleA(HANDLE file, LPSTR buffer, DWORD size,
                                                  DWORD /*flags*/) {
  FileObject* object = HandleAs<FileObject>(file);
  std::string path;
  if (object == nullptr || !FinalPathOf(object, &path)) return 0;
  return CopyPathOut(platform::ToModulePath(path), buffer, size);
}

extern "C" BOOL WINAPI GetFileInformationByHandle(HANDLE file,
                                                  LPBY_HANDLE_FILE_INFORMATION information) {
  FileObject* object = HandleAs<FileObject>(file);
  if (object == nullptr) return FALSE;
  if (information == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  struct stat st;
  if (fstat(object->fd.get(), &st) != 0) return FailFromErrno();
  ShowAsCommitted(&st);  // a dry run's rewritten file, as it would be
  const auto device = static_cast<uint64_t>(st.st_dev);
  const auto index = static_cast<uint64_t>(st.st_ino);
  const auto size = static_cast<uint64_t>(st.st_size);
  *information = {};
  information->dwFileAttributes =
      (st.st_mode & S_IWUSR) ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
  information->ftCreationTime = FileTimeFromTimespec(st.st_ctim);
  information->ftLastAccessTime = FileTimeFromTimespec(st.st_atim);
  information->ftLastWriteTime = FileTimeFromTimespec(st.st_mtim);
  // Device numbers fit 32 bits in practice; folding keeps any two apart
  // that differ only above them.
  information->dwVolumeSerialNumber = static_cast<DWORD>(device ^ (device >> 32));
  information->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  information->nFileSizeLow = static_cast<DWORD>(size);
  information->nNumberOfLinks = static_cast<DWORD>(st.st_nlink);
  information->nFileIndexHigh = static_cast<DWORD>(index >> 32);
  information->nFileIndexLow = static_cast<DWORD>(index);
  return TRUE;
}
