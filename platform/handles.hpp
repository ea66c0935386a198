// The objects behind the module's HANDLE values: open files, folder
// listings and file mappings. A HANDLE is the address of one of these
// objects, valid only while the handle table holds it, so a stale or foreign
// handle is refused with ERROR_INVALID_HANDLE instead of being dereferenced.
#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/win32.hpp"

namespace platform::internal {

// Owns one file descriptor.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      Close();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { Close(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Gives up ownership, for a descriptor another owner takes over.
  int release() { return std::exchange(fd_, -1); }

 private:
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  int fd_ = -1;
};

// Owns one open folder and reads its entries, many per system call, from
// where the descriptor stands. Not DIR: fdopendir spends three system calls
// learning what every caller here already knows.
class DirStream {
 public:
  DirStream() = default;
  explicit DirStream(UniqueFd folder) : fd_(std::move(folder)) {}

  bool valid() const { return fd_.valid(); }
  int fd() const { return fd_.get(); }
  // The next entry's name, "." and ".." included; nullptr at the end or on
  // a read error (errno says which).
  const char* Next();
  // The listed type (a dirent d_type) of the entry Next returned last;
  // DT_UNKNOWN where the file system does not tell.
  unsigned char type() const { return type_; }
  void reset() { *this = DirStream(); }

 private:
  UniqueFd fd_;
  std::unique_ptr<char[]> buffer_;
  size_t filled_ = 0;
  size_t at_ = 0;
  unsigned char type_ = 0;
};

class HandleObject {
 public:
  virtual ~HandleObject() = default;
};

struct FileObject : HandleObject {
  ~FileObject() override;

  UniqueFd fd;
  DWORD access = 0;  // GENERIC_READ / GENERIC_WRITE as asked for at open
  std::string path;  // POSIX path at open time, for when /proc is missing
  // FILE_FLAG_DELETE_ON_CLOSE: the file goes when the handle closes. Where
  // the file system allows, such a file has no name at all until it is
  // committed with ReplaceFileA, so a killed process leaves nothing behind.
  bool delete_on_close = false;
  bool unnamed = false;  // created without a name; `path` is the name it will take
  // A file opened only for reading remembers what it was at open: its real
  // path then and its state (identity, size, times). ReplaceFileA commits
  // relative to this, never to what the name resolves to later.
  std::string read_target;  // empty for any other handle
  struct stat read_state {};
  // The size the open saw, for a handle opened to read that shares no write:
  // on Windows nothing can change that file's size while the handle lives,
  // so its size questions and mappings answer from here without another
  // fstat. (Here another program still can; the fault guard covers reads
  // of pages that vanish.)
  std::optional<uint64_t> size_at_open;
};

// The file's size as fstat gives it now (false with errno set on failure).
bool FileSizeNow(const FileObject& file, uint64_t* size);
// The size kept from the open where there is one, else the size now.
bool FileSizeOf(const FileObject& file, uint64_t* size);

// The table takes ownership; the returned handle is the object's address.
HANDLE RegisterHandle(std::unique_ptr<HandleObject> object);
// The object behind a live handle, or nullptr. The pointer stays valid until
// the handle is closed.
HandleObject* FindHandleObject(HANDLE handle);
// Removes a live handle from the table and hands its object back.
std::unique_ptr<HandleObject> TakeHandleObject(HANDLE handle);

// The open delete-on-close file that was created under (or for) a path.
FileObject* FindOpenTemporary(const std::string& path);
// An open handle that only reads the file opened under a path, or nullptr.
FileObject* FindOpenReader(const std::string& path);

// The object behind a live handle of type T; otherwise nullptr with
// ERROR_INVALID_HANDLE, as Windows answers a handle of the wrong kind.
template <class T>
T* HandleAs(HANDLE handle) {
  T* typed = dynamic_cast<T*>(FindHandleObject(handle));
  if (typed == nullptr) SetLastError(ERROR_INVALID_HANDLE);
  return typed;
}

}  // namespace platform::internal
