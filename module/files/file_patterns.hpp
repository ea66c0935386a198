// The patterns every file command compiles from the settings before it
// runs: the search text (for the pattern modes) and the mask list (in
// pattern mode).
#pragma once

#include "module/match/pattern.hpp"

// FText compiled when FSearchAs is 1, 2 or 3; empty otherwise.
extern SearchPattern TextPattern;

// Compiles TextPattern and MaskPattern from the settings; 0 after a bad
// pattern (its error box has been shown).
int PreparePatterns();
// Only MaskPattern, for the commands that look at names alone.
int PrepareMaskPattern();

// Releases the file side's state at unload: the patterns, the character-set
// tables and the preset lists (which save themselves).
void ReleaseFileState();
