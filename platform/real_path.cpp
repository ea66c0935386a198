// The path with no link in it by which an open file is reached: asked of
// the kernel once per folder, not once per file, since a search opens
// thousands of files in a row from the same folder.
#include <time.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "platform/internal.hpp"

namespace platform::internal {
namespace {

// The folder of the last file this thread opened plainly (see
// RealPathOfOpened), that folder's real path, and when it was learned.
struct KnownFolder {
  std::string as_named;
  std::string real;
  long long learned_ns = 0;
};
thread_local KnownFolder LastFolder;

// A link on the folder's path may be pointed elsewhere at any time, so what
// was learned is trusted only for the files read soon after, such as those
// of one folder during a walk, never from one command to the next.
constexpr long long kTrustedNs = 1000000000;

long long NowNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);  // read without a system call
  return now.tv_sec * 1000000000LL + now.tv_nsec;
}

}  // namespace

bool RealPathOfDescriptor(int fd, const std::string& opened_by, std::string* path) {
  // The kernel names an open file by a path with no link in it: one
  // readlink, where resolving the path would read every name of it. A file
  // no longer reachable shows as "... (deleted)" or without a leading "/".
  char named[PATH_MAX];
  const std::string by_descriptor = "/proc/self/fd/" + std::to_string(fd);
  const ssize_t length = readlink(by_descriptor.c_str(), named, sizeof named);
  const std::string_view kernel_name(named, length > 0 ? static_cast<size_t>(length) : 0);
  if (length > 0 && static_cast<size_t>(length) < sizeof named && kernel_name[0] == '/' &&
      !kernel_name.ends_with(" (deleted)")) {
    *path = kernel_name;
    return true;
  }
  std::unique_ptr<char, decltype(&std::free)> resolved(realpath(by_descriptor.c_str(), nullptr),
                                                       &std::free);
  if (!resolved) resolved.reset(realpath(opened_by.c_str(), nullptr));
  if (!resolved) return false;
  *path = resolved.get();
  return true;
}

bool RealPathOfOpened(int fd, const std::string& opened_by, bool opened_plainly,
                      std::string* path) {
  const size_t slash = opened_by.rfind('/');
  if (!opened_plainly || slash == std::string::npos)
    return RealPathOfDescriptor(fd, opened_by, path);
  const std::string_view folder(opened_by.data(), slash);
  const std::string_view name = std::string_view(opened_by).substr(slash);  // with its '/'
  const long long now = NowNs();
  if (!LastFolder.as_named.empty() && folder == LastFolder.as_named &&
      now - LastFolder.learned_ns < kTrustedNs) {
    // Should the folder have moved since, this names no file or another
    // file than the one opened (a file with one name has one place), and a
    // replace checks that before it writes.
    path->assign(LastFolder.real).append(name);
    return true;
  }
  if (!RealPathOfDescriptor(fd, opened_by, path)) return false;
  if (std::string_view(*path).ends_with(name)) {
    LastFolder.as_named.assign(folder);
    LastFolder.real.assign(*path, 0, path->size() - name.size());
    LastFolder.learned_ns = now;
  }
  return true;
}

}  // namespace platform::internal
