// Copying and comparing file content in chunks of a fixed size, so a file
// of any size costs the same memory.
#include "host/core/file_copy.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace host {

namespace {

constexpr size_t kChunk = 1 << 20;

// Reads up to buffer->size() bytes at `offset`; the count, or -1.
ssize_t ReadAt(int fd, std::string* buffer, off_t offset) {
  for (;;) {
    const ssize_t got = pread(fd, buffer->data(), buffer->size(), offset);
    if (got >= 0 || errno != EINTR) return got;
  }
}

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t put = write(fd, data, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    data += put;
    size -= static_cast<size_t>(put);
  }
  return true;
}

}  // namespace

bool CopyToNewFile(int from, const std::string& to, CopyFlush flush) {
  const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) return false;
  std::string buffer(kChunk, '\0');
  bool ok = true;
  for (off_t offset = 0; ok;) {
    const ssize_t got = ReadAt(from, &buffer, offset);
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    ok = WriteAll(out, buffer.data(), static_cast<size_t>(got));
    offset += got;
  }
  ok = ok && (flush == CopyFlush::kByCaller || fsync(out) == 0);
  const int saved = errno;
  close(out);
  if (!ok) unlink(to.c_str());
  errno = saved;
  return ok;
}

bool SameContent(int a, int b) {
  std::string left(kChunk, '\0'), right(kChunk, '\0');
  for (off_t offset = 0;;) {
    const ssize_t got_left = ReadAt(a, &left, offset);
    const ssize_t got_right = ReadAt(b, &right, offset);
    if (got_left < 0 || got_left != got_right) return false;
    if (got_left == 0) return true;
    if (left.compare(0, static_cast<size_t>(got_left), right, 0, static_cast<size_t>(got_right)) != 0)
      return false;
    offset += got_left;
  }
}

bool FlushFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool flushed = fsync(fd) == 0 || errno == EINVAL;
  close(fd);
  return flushed;
}

}  // namespace host
