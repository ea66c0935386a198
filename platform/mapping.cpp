// Memory maps: a read-only mapping of a whole file and read-only views of
// it. A large file is mapped: its mapping keeps its own descriptor, so it
// outlives the file handle as on Windows. A small file whose size cannot
// change under its handle (opened only to read, sharing no write) is read
// once into a buffer instead: for the many small files of a search, one read
// costs far less than a map, its page faults and the unmap's TLB flush, and
// nobody can tell the copy from a view. Views are remembered with their
// lengths (and the copy they show) so that UnmapViewOfFile undoes exactly
// what MapViewOfFile did.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>
#include <utility>

#include "platform/handles.hpp"
#include "platform/internal.hpp"

namespace platform::internal {
namespace {

constexpr DWORD kSecCommit = 0x08000000;  // committed pages: what a file mapping is anyway
constexpr DWORD kErrorInvalidAddress = 487;

// Files up to this size are read rather than mapped. A scan of a fresh map
// takes a page fault or more per 64 KiB, and in a virtual machine a trap
// for every page on top; a read into the reused buffer costs one copy. Past
// this size the buffer would hold too much memory per thread.
constexpr uint64_t kLargestCopiedFile = 16 << 20;

struct FreeBytes {
  void operator()(char* bytes) const { std::free(bytes); }
};
using Bytes = std::unique_ptr<char[], FreeBytes>;

// A buffer for the largest small file, in huge pages where the kernel
// offers them: it is touched 2 MiB at a time, a page fault each, rather
// than 4 KiB at a time.
Bytes NewCopyBuffer() {
  constexpr size_t kHugePage = 2 << 20;
  Bytes bytes(static_cast<char*>(std::aligned_alloc(kHugePage, kLargestCopiedFile)));
  if (!bytes) throw std::bad_alloc();
  madvise(bytes.get(), kLargestCopiedFile, MADV_HUGEPAGE);  // only a hint
  return bytes;
}

// The bytes of a small file, read when its mapping was created. The buffer
// goes back to its thread's spare when the last mapping or view showing it
// is gone, so a search reuses one buffer for every small file. It holds the
// largest small file from the start: a buffer grown file by file would be
// new memory each time, and every page of it a page fault. It is never
// cleared, as the read fills every byte a view shows.
class FileCopy {
 public:
  explicit FileCopy(size_t size) : bytes_(std::move(Spare())), size_(size) {
    if (!bytes_) bytes_ = NewCopyBuffer();
  }
  ~FileCopy() {
    if (!Spare()) Spare() = std::move(bytes_);
  }
  FileCopy(const FileCopy&) = delete;
  FileCopy& operator=(const FileCopy&) = delete;

  char* data() { return bytes_.get(); }
  size_t size() const { return size_; }

 private:
  static Bytes& Spare() {
    thread_local Bytes spare;
    return spare;
  }

  Bytes bytes_;
  size_t size_;
};

struct MappingObject : HandleObject {
  UniqueFd fd;                      // a mapped file's own descriptor
  std::shared_ptr<FileCopy> copy;  // or a small file's bytes
  uint64_t size = 0;
};

struct View {
  size_t length;
  std::shared_ptr<FileCopy> copy;  // null for a mapped view
  int count = 1;                   // views of one copy share its address
};

struct ViewTable {
  std::mutex lock;
  std::unordered_map<const void*, View> views;
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

// Reads the whole file; false when it is shorter now than the size its
// handle reports (it shrank meanwhile: ERROR_FILE_INVALID, the error for a
// file changed outside its handle) or cannot be read (errno).
bool ReadWhole(int fd, FileCopy& copy, DWORD* error) {
  size_t done = 0;
  while (done < copy.size()) {
    const ssize_t got = pread(fd, copy.data() + done, copy.size() - done, static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      *error = got == 0 ? ERROR_FILE_INVALID : WindowsErrorFromErrno(errno);
      return false;
    }
    done += static_cast<size_t>(got);
  }
  return true;
}

// The mapping's content: a copy for a small file whose size is fixed while
// its handle lives, else a descriptor of its own to map views from.
bool FillMapping(const FileObject& file, MappingObject* mapping) {
  if (file.size_at_open && mapping->size <= kLargestCopiedFile) {
    auto copy = std::make_shared<FileCopy>(static_cast<size_t>(mapping->size));
    DWORD error = 0;
    if (!ReadWhole(file.fd.get(), *copy, &error)) {
      SetLastError(error);
      return false;
    }
    mapping->copy = std::move(copy);
    return true;
  }
  mapping->fd = UniqueFd(fcntl(file.fd.get(), F_DUPFD_CLOEXEC, 0));
  if (!mapping->fd.valid()) SetLastErrorFromErrno(errno);
  return mapping->fd.valid();
}

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
  mapping->size = file_size;
  if (!FillMapping(*object, mapping.get())) return nullptr;
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
  ViewTable& table = Views();
  if (object->copy) {
    void* base = object->copy->data();
    std::lock_guard guard(table.lock);
    auto [view, added] = table.views.try_emplace(base, View{length, object->copy});
    if (!added) view->second.count++;
    return base;
  }
  void* base = mmap(nullptr, length, PROT_READ, MAP_SHARED, object->fd.get(), 0);
  if (base == MAP_FAILED) return Fail<void>(WindowsErrorFromErrno(errno));
  std::lock_guard guard(table.lock);
  table.views.try_emplace(base, View{length, nullptr});
  return base;
}

extern "C" BOOL WINAPI UnmapViewOfFile(LPCVOID base) {
  std::shared_ptr<FileCopy> released;  // freed after the lock is let go
  ViewTable& table = Views();
  std::lock_guard guard(table.lock);
  auto found = table.views.find(base);
  if (found == table.views.end()) {
    SetLastError(kErrorInvalidAddress);
    return FALSE;
  }
  View& view = found->second;
  if (!view.copy) munmap(const_cast<void*>(base), view.length);
  if (view.copy && --view.count > 0) return TRUE;
  released = std::move(view.copy);
  table.views.erase(found);
  return TRUE;
}
