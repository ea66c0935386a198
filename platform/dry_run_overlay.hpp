// The dry run's side of the platform's file calls: where each call that
// would change the disk hands its change to the overlay instead, and where
// each lookup asks the overlay what the disk would hold. Without a dry run
// every lookup answers with the disk itself.
#pragma once

#include <sys/stat.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/handles.hpp"
#include "platform/win32.hpp"

namespace platform::internal {

bool DryRunActive();

// Where the entry that a resolved path names lies on disk in the dry run's
// view: the path itself unless the run moved it (or a folder above it).
// False, with ERROR_FILE_NOT_FOUND (or ERROR_PATH_NOT_FOUND for a folder
// on the way), when the run moved or replaced it away.
bool SeenOnDisk(const std::string& path, std::string* on_disk);

// A recorded rewrite as later lookups see it: the new content, and the
// identity the file would have once committed, which is the scratch
// file's the content was written to (the commit renames it over the file).
struct SeenRewrite {
  std::shared_ptr<const std::string> content;
  dev_t device = 0;
  ino_t inode = 0;
};

// The recorded rewrite of the file at `path` (or of the file a symbolic
// link there leads to), or nothing.
std::optional<SeenRewrite> SeenContent(const std::string& path);

// Notes that `fd` was opened on the content of `rewrite`, for
// ShowAsCommitted.
void NoteOpenedOnRewrite(int fd, const SeenRewrite& rewrite);

// Gives `state`, the state of an open file, the identity of the committed
// file when the file is one that OpenSeen opened on a rewrite's content: a
// caller that remembers which files it rewrote, by identity, then knows
// the file again under any of its names, as after a real commit.
void ShowAsCommitted(struct stat* state);

// The entries the run moved into `folder` under a name, each as its name
// and where it lies on disk; an entry moved onto a name the disk holds
// too is among them.
std::vector<std::pair<std::string, std::string>> SeenMovedInto(const std::string& folder);

// Describes the entry at `path` as a listing shows it (see DescribeEntry),
// with the size a recorded rewrite gave it; false with errno set.
bool DescribeSeen(const std::string& path, std::string_view name, WIN32_FIND_DATAA* record);

// Opens what `path` holds in the dry run's view, for reading only: a file
// the run rewrote opens on its new content. Anything that would write or
// create is refused with ERROR_ACCESS_DENIED. False with the last error set.
bool OpenSeen(const std::string& path, int open_flags, bool only_reads, UniqueFd* fd);

// Hands each entry of `folder` (open as folder_fd, found on disk through
// SeenOnDisk) to `take` as the dry run sees it, with its module name;
// "." and ".." are not included.
void ListSeen(const std::string& folder, int folder_fd,
              const std::function<void(const std::string&, WIN32_FIND_DATAA&)>& take);

// A scratch file for new content that lives only in memory.
UniqueFd OpenDryRunScratch();

// Instead of putting the content open as content_fd in the place of
// `target` (keeping the old content as `backup` unless that is empty):
// the change is recorded. ERROR_ALREADY_EXISTS when the backup's name is
// taken, as the commit itself would fail.
DWORD RecordRewrite(int content_fd, const std::string& target, const std::string& backup);

// Instead of moving an entry: the move is checked as MoveFileExA checks it
// (a missing source, a taken target without `replace`, a folder or a
// read-only file as the target) and recorded.
BOOL RecordMove(const std::string& from, const std::string& to, bool replace);

}  // namespace platform::internal
