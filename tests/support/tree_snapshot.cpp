// Snapshots of folder trees, read with lstat so a link is never followed.
#include "tests/support/tree_snapshot.hpp"

#include <sys/stat.h>

#include <filesystem>

#include "tests/support/temp_folder.hpp"

std::ostream& operator<<(std::ostream& out, const EntrySnapshot& entry) {
  return out << (entry.folder ? "folder" : "file") << " mode " << std::oct << entry.mode
             << std::dec << " mtime " << entry.modified_ns << " " << entry.content.size() << " bytes";
}

TreeSnapshot SnapshotOf(const std::string& root) {
  TreeSnapshot tree;
  for (const auto& item : std::filesystem::recursive_directory_iterator(root)) {
    struct stat st;
    if (lstat(item.path().c_str(), &st) != 0) continue;
    EntrySnapshot entry;
    entry.folder = S_ISDIR(st.st_mode);
    entry.mode = st.st_mode & 07777;
    if (!entry.folder) {
      entry.content = ReadText(item.path().string());
      entry.modified_ns = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
    }
    tree[std::filesystem::relative(item.path(), root).string()] = entry;
  }
  return tree;
}
