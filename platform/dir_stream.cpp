// Reading a folder's entries straight from the kernel, a buffer at a time.
#include <dirent.h>

#include <cstddef>
#include <cstring>
#include <memory>

#include "platform/handles.hpp"

namespace platform::internal {

const char* DirStream::Next() {
  constexpr size_t kBufferSize = 32 * 1024;
  if (!fd_.valid()) return nullptr;
  if (at_ >= filled_) {
    if (!buffer_) buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
    const ssize_t got = getdents64(fd_.get(), buffer_.get(), kBufferSize);
    if (got <= 0) return nullptr;
    filled_ = static_cast<size_t>(got);
    at_ = 0;
  }
  const char* record = buffer_.get() + at_;
  unsigned short length;
  std::memcpy(&length, record + offsetof(struct dirent64, d_reclen), sizeof length);
  at_ += length;
  type_ = static_cast<unsigned char>(record[offsetof(struct dirent64, d_type)]);
  return record + offsetof(struct dirent64, d_name);
}

}  // namespace platform::internal
