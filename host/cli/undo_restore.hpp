// Taking back one recorded run: each rewritten file gets its old content,
// mode and times, each moved entry its old name, each replaced entry its
// place, newest change first. Each step is one rename, so a kill at any
// moment leaves every file whole, and running it again finishes the rest;
// the folders are flushed once at the end, before the journal may forget
// what was taken back.
#pragma once

#include <string>
#include <vector>

#include "host/core/undo_journal.hpp"

namespace host::cli {

// An entry changed again after the run, left alone.
struct LeftAlone {
  std::string path;
  std::string old_content;  // where the journal keeps what it held before the run, or empty
  std::string old_name;     // a moved entry's name before the run, or empty
};

struct RestoreOutcome {
  std::vector<std::string> restored;     // paths given back what they held
  std::vector<LeftAlone> changed_since;
  std::vector<std::string> failed;       // "PATH: reason"
  // For the journal: the changes taken back (or found back already), and
  // the entries put back under new inodes that changes left may name.
  std::vector<int64_t> taken_back;
  std::vector<Renumbered> renumbered;

  bool AllTakenBack() const { return changed_since.empty() && failed.empty(); }
};

// Takes back `run`. False with a reason, and nothing changed, when the
// journal has lost the saved content of a change that still needs it.
bool TakeBackRun(UndoJournal& journal, const JournalRun& run, RestoreOutcome* outcome,
                 std::string* error);

// After TakeBackRun: the run leaves the journal when everything was taken
// back; otherwise only what was taken back leaves it, and what was not
// stays, with its old content, for a later undo of the run. False with
// the journal's reason.
bool KeepWhatIsLeft(UndoJournal& journal, const JournalRun& run, const RestoreOutcome& outcome);

}  // namespace host::cli
