// Which file a replace reads, by identity rather than by name, and the
// files the running command has already rewritten: a file reached by a
// second name (a symbolic link, say) is rewritten at most once.
#pragma once

#include <cstdint>

#include "sdk/plugin.hpp"

struct FileIdentity {
  uint32_t volume = 0;
  uint64_t index = 0;
  uint32_t links = 0;  // the number of hard links
};

// The identity of the file an open handle reads; false when it cannot be
// told.
bool IdentifyFile(HANDLE file, FileIdentity* identity);

bool RewrittenInThisRun(const FileIdentity& identity);
void RememberRewritten(const FileIdentity& identity);
