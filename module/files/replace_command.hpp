// The file replace command and its dialog.
#pragma once

#include "module/files/walk.hpp"

// Returns a CommandResult: 0 the dialog was left or a bad pattern, 1 not a
// plain file panel (or nothing to walk), 2 done without a results panel,
// 3 the rewritten files are ready for the results panel.
int ReplaceFilesCommand(ResultList& results, int show_dialog);

int FileReplaceDialog();
