// Taking back one recorded run: each rewritten file gets its old content,
// mode and times, each moved entry its old name, each replaced entry its
// place, newest change first. Each step is one rename, so a kill at any
// moment leaves every file whole, and running it again finishes the rest;
// the folders are flushed once at the end, before the run may be dropped.
#pragma once

#include <string>
#include <vector>

#include "host/core/undo_journal.hpp"

namespace host::cli {

struct RestoreOutcome {
  std::vector<std::string> restored;       // paths given back what they held
  std::vector<std::string> changed_since;  // changed again after the run: left alone
  std::vector<std::string> failed;         // "PATH: reason"
};

// Takes back `run`. False with a reason, and nothing changed, when the
// journal has lost the saved content of a change that still needs it.
bool TakeBackRun(UndoJournal& journal, const JournalRun& run, RestoreOutcome* outcome,
                 std::string* error);

}  // namespace host::cli
