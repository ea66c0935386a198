// The two rename commands: over the scope of FSearchIn, and over the items
// selected in the active panel.
#pragma once

#include "module/files/walk.hpp"

// Result codes as for the file replace: 0 left or a bad pattern, 1 not a
// plain file panel (or nothing to walk), 2 done, 3 the renamed entries are
// ready for the results panel.
int RenameFilesCommand(ResultList& results);
// 0 left, 1 not a plain file panel, 2 done.
int RenameSelectedCommand(ResultList& results);
