// Renaming one entry by pattern: the per-entry work shared by the rename of
// a scope and the rename of the panel's selected items.
#pragma once

#include "module/files/walk.hpp"

// Replaces the first match in the entry's bare name (again and again with
// FRepeating), asking as the settings say; adds the entry, under its new
// name, to the results when it got one. Counts the entry in
// CurrentRun.entry_index, matched or not.
void RenameFileCallback(WIN32_FIND_DATAA& entry, ResultList& results);
