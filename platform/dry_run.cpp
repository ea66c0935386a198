// The dry run's record: the names the run moved (where each now lies on
// disk, or that it is gone), the new content of each rewritten file, and
// the changes in the order they were made. Names are kept as the module
// would see them after the changes; a moved folder takes the names recorded
// beneath it along. The disk itself is never written while a run is on.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <tuple>
#include <utility>

#include "platform/dry_run.hpp"
#include "platform/dry_run_overlay.hpp"
#include "platform/internal.hpp"

namespace platform::internal {
namespace {

// Where a name leads: a path on disk, or nothing (moved or replaced away).
using Seen = std::optional<std::string>;
using FileKey = std::pair<dev_t, ino_t>;

struct Overlay {
  std::mutex lock;  // committers may record from several threads
  std::map<std::string, Seen> names;  // by path in the run's view
  std::map<std::string, SeenRewrite> contents;  // by path in the run's view
  // Files opened on a rewrite's content, each to the identity of the file
  // that rewrite would commit. Memory files' numbers are not reused soon.
  std::map<FileKey, FileKey> opened_on;
  std::vector<PlannedChange> changes;
};

std::atomic<bool> g_active{false};

Overlay& State() {
  static Overlay overlay;
  return overlay;
}

std::string ParentOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == 0 || slash == std::string::npos ? std::string("/") : path.substr(0, slash);
}

// The path on disk behind a path of the run's view, found through the
// nearest name the run recorded at or above it; nullopt when that name is
// gone, with `gone_is_last` telling whether it was the path itself.
std::optional<std::string> Translate(const Overlay& overlay, const std::string& path,
                                     bool* gone_is_last = nullptr) {
  for (std::string prefix = path; prefix.size() > 1; prefix = ParentOf(prefix)) {
    const auto found = overlay.names.find(prefix);
    if (found == overlay.names.end()) continue;
    if (gone_is_last != nullptr) *gone_is_last = prefix == path;
    if (!found->second) return std::nullopt;
    return *found->second + path.substr(prefix.size());
  }
  return path;
}

// True when the run's view holds an entry at `path`.
bool PresentInView(const Overlay& overlay, const std::string& path, struct stat* state) {
  const std::optional<std::string> on_disk = Translate(overlay, path);
  return on_disk && lstat(on_disk->c_str(), state) == 0;
}

// Moves every record beneath `from` to the same place beneath `to`.
template <typename Map>
void CarryBeneath(Map& map, const std::string& from, const std::string& to) {
  const std::string prefix = from + "/";
  std::vector<typename Map::value_type> carried;
  for (auto at = map.lower_bound(prefix); at != map.end() && at->first.starts_with(prefix);) {
    carried.emplace_back(to + at->first.substr(from.size()), at->second);
    at = map.erase(at);
  }
  for (auto& [path, value] : carried) map.insert_or_assign(path, value);
}

// Windows replaces neither a folder nor a read-only file.
bool MayReplace(const struct stat& target) {
  return !S_ISDIR(target.st_mode) && !(S_ISREG(target.st_mode) && !(target.st_mode & S_IWUSR));
}

// What MoveFileExA would answer for this move in the run's view; 0 when it
// would succeed.
DWORD MoveRefusal(const Overlay& overlay, const std::string& from, const std::string& to,
                  bool replace, std::string* on_disk) {
  bool gone_is_last = true;
  const std::optional<std::string> source = Translate(overlay, from, &gone_is_last);
  if (!source) return gone_is_last ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
  struct stat state;
  if (lstat(source->c_str(), &state) != 0) return WindowsErrorFromErrno(errno);
  *on_disk = *source;
  struct stat folder, target;
  if (!PresentInView(overlay, ParentOf(to), &folder) || !S_ISDIR(folder.st_mode))
    return ERROR_PATH_NOT_FOUND;
  if (!PresentInView(overlay, to, &target)) return 0;
  if (!replace) return ERROR_ALREADY_EXISTS;
  if (!MayReplace(target)) return ERROR_ACCESS_DENIED;
  return S_ISDIR(state.st_mode) ? ERROR_ACCESS_DENIED : 0;  // a folder over a file
}

bool ReadWhole(int fd, std::string* content) {
  struct stat state;
  if (fstat(fd, &state) != 0) return false;
  content->resize(static_cast<size_t>(state.st_size));
  size_t done = 0;
  while (done < content->size()) {
    const ssize_t n = pread(fd, content->data() + done, content->size() - done,
                            static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool DryRunActive() { return g_active.load(std::memory_order_acquire); }

bool SeenOnDisk(const std::string& path, std::string* on_disk) {
  if (!DryRunActive()) {
    *on_disk = path;
    return true;
  }
  Overlay& overlay = State();
  std::lock_guard guard(overlay.lock);
  bool gone_is_last = true;
  std::optional<std::string> found = Translate(overlay, path, &gone_is_last);
  if (!found) {
    SetLastError(gone_is_last ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    errno = ENOENT;
    return false;
  }
  *on_disk = std::move(*found);
  return true;
}

std::optional<SeenRewrite> SeenContent(const std::string& path) {
  if (!DryRunActive()) return std::nullopt;
  Overlay& overlay = State();
  std::lock_guard guard(overlay.lock);
  if (overlay.contents.empty()) return std::nullopt;
  if (const auto found = overlay.contents.find(path); found != overlay.contents.end())
    return found->second;
  // A name the run gave (a backup, a move) names what lies on disk; any
  // other name may reach a rewritten file through a symbolic link.
  const std::optional<std::string> on_disk = Translate(overlay, path);
  if (!on_disk || overlay.names.contains(path)) return std::nullopt;
  std::unique_ptr<char, decltype(&std::free)> target(realpath(on_disk->c_str(), nullptr), &std::free);
  const auto found = target ? overlay.contents.find(target.get()) : overlay.contents.end();
  if (found == overlay.contents.end()) return std::nullopt;
  return found->second;
}

void NoteOpenedOnRewrite(int fd, const SeenRewrite& rewrite) {
  struct stat opened;
  if (fstat(fd, &opened) != 0) return;
  Overlay& overlay = State();
  std::lock_guard guard(overlay.lock);
  overlay.opened_on[{opened.st_dev, opened.st_ino}] = {rewrite.device, rewrite.inode};
}

void ShowAsCommitted(struct stat* state) {
  if (!DryRunActive()) return;
  Overlay& overlay = State();
  std::lock_guard guard(overlay.lock);
  const auto found = overlay.opened_on.find({state->st_dev, state->st_ino});
  if (found != overlay.opened_on.end()) std::tie(state->st_dev, state->st_ino) = found->second;
}

std::vector<std::pair<std::string, std::string>> SeenMovedInto(const std::string& folder) {
  std::vector<std::pair<std::string, std::string>> entries;
  Overlay& overlay = State();
  std::lock_guard guard(overlay.lock);
  const std::string prefix = folder == "/" ? folder : folder + "/";
  for (auto at = overlay.names.lower_bound(prefix);
       at != overlay.names.end() && at->first.starts_with(prefix); ++at) {
    const std::string name = at->first.substr(prefix.size());
    if (at->second && name.find('/') == std::string::npos) entries.emplace_back(name, *at->second);
  }
  return entries;
}

UniqueFd OpenDryRunScratch() { return UniqueFd(memfd_create("finderix-dry-run", MFD_CLOEXEC)); }

DWORD RecordRewrite(int content_fd, const std::string& target, const std::string& backup) {
  auto content = std::make_shared<std::string>();
  struct stat scratch;
  if (fstat(content_fd, &scratch) != 0 || !ReadWhole(content_fd, content.get()))
    return WindowsErrorFromErrno(errno);
  Overlay& overlay = State();
  {
    std::lock_guard guard(overlay.lock);
    struct stat taken;
    if (!backup.empty() && PresentInView(overlay, backup, &taken)) return ERROR_ALREADY_EXISTS;
    overlay.contents[target] = {content, scratch.st_dev, scratch.st_ino};
    overlay.changes.push_back({PlannedChange::Kind::kRewrite, target, target, content});
    if (!backup.empty()) {
      // The backup keeps the old content, which stays on disk under the
      // file's own name.
      overlay.names[backup] = target;
      overlay.changes.push_back({PlannedChange::Kind::kBackup, target, backup, nullptr});
    }
  }
  NotifyCommitted(target);
  return ERROR_SUCCESS;
}

BOOL RecordMove(const std::string& from, const std::string& to, bool replace) {
  Overlay& overlay = State();
  {
    std::lock_guard guard(overlay.lock);
    std::string on_disk;
    if (const DWORD refusal = MoveRefusal(overlay, from, to, replace, &on_disk)) {
      SetLastError(refusal);
      return FALSE;
    }
    CarryBeneath(overlay.names, from, to);
    CarryBeneath(overlay.contents, from, to);
    if (auto content = overlay.contents.extract(from)) {
      overlay.contents.insert_or_assign(to, content.mapped());
    } else {
      overlay.contents.erase(to);
    }
    overlay.names[to] = on_disk;
    overlay.names[from] = std::nullopt;
    overlay.changes.push_back({PlannedChange::Kind::kMove, on_disk, to, nullptr});
  }
  NotifyCommitted(to);
  return TRUE;
}

}  // namespace platform::internal

namespace platform {

void BeginDryRun() {
  internal::Overlay& overlay = internal::State();
  std::lock_guard guard(overlay.lock);
  overlay.names.clear();
  overlay.contents.clear();
  overlay.opened_on.clear();
  overlay.changes.clear();
  internal::g_active.store(true, std::memory_order_release);
}

std::vector<PlannedChange> EndDryRun() {
  internal::Overlay& overlay = internal::State();
  std::lock_guard guard(overlay.lock);
  internal::g_active.store(false, std::memory_order_release);
  std::vector<PlannedChange> changes = std::move(overlay.changes);
  overlay.names.clear();
  overlay.contents.clear();
  overlay.opened_on.clear();
  overlay.changes.clear();
  return changes;
}

}  // namespace platform
