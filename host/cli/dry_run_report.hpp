// What a dry run prints on standard output: the diffs of the files a
// replace would rewrite and the new names a rename would give.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/dry_run.hpp"

namespace host::cli {

// Prints a unified diff for each rewritten file, and the creation of each
// backup, with paths "a/…" and "b/…" relative to `base`, so that
// `patch -p1` run in `base` gives the files the run would have given;
// then one "OLD -> NEW" line per moved entry, in the order of its first
// move, with the name its last move gave it (absolute paths, shown
// escaped). An entry moved back to its own name is left out.
void PrintPlannedChanges(const std::vector<platform::PlannedChange>& changes,
                         const std::string& base, std::FILE* out);

}  // namespace host::cli
