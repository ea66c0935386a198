// What the entry code and the commands exchange: the panel command codes,
// and what a file command reports back.
#pragma once

#include "sdk/plugin.hpp"

// Panel command codes: the file menu's indexes, also produced by the
// command line.
enum CommandCode {
  kFileSearch = 0,
  kFileReplace = 1,
  kSelectFiles = 3,
  kUnselectFiles = 4,
  kInvertSelection = 5,
  kRenameFiles = 7,
  kRenameSelected = 8,
};

// Result of a file command.
enum CommandResult {
  kCancelled = 0,   // cancelled or failed
  kNothingRun = 1,  // not a plain file panel, or an empty panel
  kDone = 2,        // done, no list to show
  kListReady = 3,   // the results panel is to be opened
};
