// Renaming one entry by pattern: the per-entry work shared by the rename of
// a scope and the rename of the panel's selected items.
#pragma once

#include "module/files/walk.hpp"

// -1 when a rename command starts; the index of the entry being handled,
// counted over every entry offered, matched or not.
extern int RenameFileIndex;

// Replaces the first match in the entry's bare name (again and again with
// FRepeating), asking as the settings say; adds the entry, under its new
// name, to the results when it got one.
void RenameFileCallback(WIN32_FIND_DATAA& entry, ResultList& results);
