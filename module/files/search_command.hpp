// The file search: its dialog, the per-file callback, and the command.
#pragma once

#include "module/files/walk.hpp"

// Returns a CommandResult: 0 cancelled or a bad pattern, 1 not a plain file
// panel (or an empty selection scope), 2 nothing found (box shown), 3 the
// result list is ready.
int SearchFilesCommand(ResultList& results, int show_dialog);

// The dialog loop; 1 when accepted and the patterns compiled.
int FileSearchDialog();
