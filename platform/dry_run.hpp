// A dry run, for the host: while one is on, the platform records the
// changes it would commit for the module (new content for a file, a backup
// of the old content, an entry moved to a new name) instead of making
// them, and answers every later call as if they had been made, so the
// module runs exactly as it would, questions included, and cannot tell.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace platform {

// One change a dry run recorded. Paths are absolute POSIX paths.
struct PlannedChange {
  enum class Kind {
    kRewrite,  // `path` would get `content`
    kBackup,   // `path`'s old content would stay under `to`
    kMove,     // the entry now on disk at `path` would be named `to`
  };
  Kind kind;
  std::string path;  // on disk, as it is now
  std::string to;
  std::shared_ptr<const std::string> content;  // kRewrite only
};

// Starts recording; a dry run already on starts afresh.
void BeginDryRun();

// Ends the dry run and hands back what it recorded, in the order the
// changes would have been made.
std::vector<PlannedChange> EndDryRun();

}  // namespace platform
