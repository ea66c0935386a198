// The program's --undo and --history: taking back a recorded replace or
// rename run, and listing the runs the journal keeps.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace host::cli {

// Takes back run `run_id` (the newest when unset) of the journal in
// `state_folder`, prints each path restored on `out` and each one left
// alone (with where its old content or name can be found), and the
// summary, on `err`; what was taken back then leaves the journal, and the
// run with it once nothing is left.
// Returns the program's exit status.
int RunUndo(const std::string& state_folder, std::optional<int64_t> run_id, std::FILE* out,
            std::FILE* err);

// Lists the kept runs, newest first: number, when, files, folder, command.
int ShowHistory(const std::string& state_folder, std::FILE* out, std::FILE* err);

}  // namespace host::cli
