// Lookups in a dry run's view: opening, describing and listing entries as
// they would be had the recorded changes been made. A rewritten file opens
// on its new content (a fresh file in memory that identifies as the file
// the commit would have put in place, by any of its names); a moved entry
// is found under its new name and described from where it lies on disk.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/dry_run_overlay.hpp"
#include "platform/host_bridge.hpp"
#include "platform/internal.hpp"

namespace platform::internal {
namespace {

std::string ChildOf(const std::string& folder, const std::string& name) {
  return (folder == "/" ? folder : folder + "/") + name;
}

// A file in memory holding `content`, positioned at its start.
UniqueFd ContentInMemory(const std::string& content) {
  UniqueFd fd = OpenDryRunScratch();
  size_t done = 0;
  while (fd.valid() && done < content.size()) {
    const ssize_t n = write(fd.get(), content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return UniqueFd();
    done += static_cast<size_t>(n);
  }
  if (fd.valid() && lseek(fd.get(), 0, SEEK_SET) != 0) return UniqueFd();
  return fd;
}

void SetSize(WIN32_FIND_DATAA* record, uint64_t size) {
  record->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  record->nFileSizeLow = static_cast<DWORD>(size);
}

}  // namespace

bool DescribeSeen(const std::string& path, std::string_view name, WIN32_FIND_DATAA* record) {
  std::string on_disk;
  if (!SeenOnDisk(path, &on_disk)) return false;
  if (!DescribeEntry(AT_FDCWD, on_disk.c_str(), name, record)) return false;
  if (const auto rewrite = SeenContent(path)) SetSize(record, rewrite->content->size());
  return true;
}

bool OpenSeen(const std::string& path, int open_flags, bool only_reads, UniqueFd* fd) {
  if (!only_reads) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  if (const auto rewrite = SeenContent(path)) {
    *fd = ContentInMemory(*rewrite->content);
    if (!fd->valid()) {
      SetLastErrorFromErrno(errno);
      return false;
    }
    NoteOpenedOnRewrite(fd->get(), *rewrite);
    return true;
  }
  std::string on_disk;
  if (!SeenOnDisk(path, &on_disk)) return false;
  *fd = UniqueFd(open(on_disk.c_str(), open_flags));
  return fd->valid() || SetLastErrorForPath(errno, path) == 0;
}

void ListSeen(const std::string& folder, int folder_fd,
              const std::function<void(const std::string&, WIN32_FIND_DATAA&)>& take) {
  std::string folder_on_disk;
  if (!SeenOnDisk(folder, &folder_on_disk)) return;
  WIN32_FIND_DATAA record;
  // The folder's own entries that are still where the disk has them...
  DirStream stream(UniqueFd(dup(folder_fd)));
  while (const char* entry_name = stream.Next()) {
    const std::string name = entry_name;
    std::string on_disk;
    if (name == "." || name == ".." || !SeenOnDisk(ChildOf(folder, name), &on_disk) ||
        on_disk != ChildOf(folder_on_disk, name) ||
        !DescribeEntry(folder_fd, entry_name, name, &record))
      continue;
    if (const auto rewrite = SeenContent(ChildOf(folder, name)))
      SetSize(&record, rewrite->content->size());
    std::string module_name = ModuleNameAt(folder_fd, name);
    take(module_name, record);
  }
  // ...then those the run moved in, under the names it gave them.
  for (const auto& [name, on_disk] : SeenMovedInto(folder)) {
    if (on_disk == ChildOf(folder_on_disk, name) || !DescribeSeen(ChildOf(folder, name), name, &record))
      continue;
    std::string module_name = Utf8ToOem(name);
    take(module_name, record);
  }
}

}  // namespace platform::internal
