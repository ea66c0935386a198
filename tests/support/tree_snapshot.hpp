// What a folder tree holds, to compare before and after: every entry's
// relative path, type, content, permission bits and modification time (not
// the access time, which reading changes). Equal snapshots mean byte for
// byte the same tree.
#pragma once

#include <map>
#include <ostream>
#include <string>

struct EntrySnapshot {
  bool folder = false;
  std::string content;
  unsigned mode = 0;  // permission bits
  long long modified_ns = 0;
  bool operator==(const EntrySnapshot&) const = default;
};
std::ostream& operator<<(std::ostream& out, const EntrySnapshot& entry);

using TreeSnapshot = std::map<std::string, EntrySnapshot>;

// Folders are taken without times: adding and removing entries changes them.
TreeSnapshot SnapshotOf(const std::string& root);
