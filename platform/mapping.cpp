// Memory maps: a read-only mapping of a whole file and read-only views of
// it. The mapping keeps its own descriptor, so it outlives the file handle
// as on Windows; views are remembered with their lengths so that
// UnmapViewOfFile undoes exactly what MapViewOfFile did.
#include <fcntl.h>
#include <sys/mman.h>

#include <cerrno>
#include <cstdint>
#include <mutex>
#include <unordered_map>

#include "platform/handles.hpp"
#include "platform/internal.hpp"

namespace platform::internal {
namespace {

constexpr DWORD kSecCommit = 0x08000000;  // committed pages: what a file mapping is anyway
constexpr DWORD kErrorInvalidAddress = 487;

struct MappingObject : HandleObject {
  UniqueFd fd;
  uint64_t size = 0;
};

struct ViewTable {
  std::mutex lock;
  std::unordered_map<const void*, size_t> lengths;
};

ViewTable& Views() {
  static ViewTable views;
  return views;
}

template <typename T>
T* Fail(DWORD error) {
  SetLastError(error);
  return nullptr;
}

uint64_t Join(DWORD high, DWORD low) { return (static_cast<uint64_t>(high) << 32) | low; }

}  // namespace
}  // namespace platform::internal

using namespace platform::internal;

extern "C" HANDLE WINAPI CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES /*sa*/,
                                            DWORD protect, DWORD size_high, DWORD size_low,
                                            LPCSTR name) {
  FileObject* object = HandleAs<FileObject>(file);
  if (object == nullptr) return nullptr;
  if ((protect & ~kSecCommit) != PAGE_READONLY || name != nullptr) {
    return Fail<void>(ERROR_INVALID_PARAMETER);
  }
  if ((object->access & GENERIC_READ) == 0) return Fail<void>(ERROR_ACCESS_DENIED);
  const uint64_t wanted = Join(size_high, size_low);
  // The size kept from the open serves unless the caller names another or
  // it is zero; then the file as it is now decides.
  uint64_t file_size = 0;
  const bool kept_serves =
      FileSizeOf(*object, &file_size) && file_size != 0 && (wanted == 0 || wanted == file_size);
  if (!kept_serves && !FileSizeNow(*object, &file_size))
    return Fail<void>(WindowsErrorFromErrno(errno));
  // As on Windows, an empty file has nothing to map.
  if (file_size == 0) return Fail<void>(ERROR_FILE_INVALID);
  if (wanted != 0 && wanted != file_size) return Fail<void>(ERROR_INVALID_PARAMETER);
  auto mapping = std::make_unique<MappingObject>();
  mapping->fd = UniqueFd(fcntl(object->fd.get(), F_DUPFD_CLOEXEC, 0));
  if (!mapping->fd.valid()) return Fail<void>(WindowsErrorFromErrno(errno));
  mapping->size = file_size;
  return RegisterHandle(std::move(mapping));
}

extern "C" LPVOID WINAPI MapViewOfFile(HANDLE mapping, DWORD access, DWORD offset_high,
                                       DWORD offset_low, SIZE_T bytes) {
  MappingObject* object = HandleAs<MappingObject>(mapping);
  if (object == nullptr) return nullptr;
  if (access != FILE_MAP_READ || Join(offset_high, offset_low) != 0) {
    return Fail<void>(ERROR_INVALID_PARAMETER);
  }
  if (bytes > object->size) return Fail<void>(ERROR_ACCESS_DENIED);
  const size_t length = bytes != 0 ? bytes : object->size;
  void* base = mmap(nullptr, length, PROT_READ, MAP_SHARED, object->fd.get(), 0);
  if (base == MAP_FAILED) return Fail<void>(WindowsErrorFromErrno(errno));
  ViewTable& views = Views();
  std::lock_guard guard(views.lock);
  views.lengths[base] = length;
  return base;
}

extern "C" BOOL WINAPI UnmapViewOfFile(LPCVOID base) {
  ViewTable& views = Views();
  std::lock_guard guard(views.lock);
  auto found = views.lengths.find(base);
  if (found == views.lengths.end()) {
    SetLastError(kErrorInvalidAddress);
    return FALSE;
  }
  munmap(const_cast<void*>(base), found->second);
  views.lengths.erase(found);
  return TRUE;
}
