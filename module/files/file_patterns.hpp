// The patterns every file command compiles from the settings before it
// runs: the search text (for the pattern modes) and the mask list (in
// pattern mode).
#pragma once

#include "module/match/pattern.hpp"

// FText compiled in the three pattern modes of FSearchAs (line, window of
// lines, whole file); empty otherwise.
extern SearchPattern TextPattern;

// Compiles TextPattern and MaskPattern from the settings; 0 after a bad
// pattern (its error box has been shown).
int PreparePatterns();
// Only MaskPattern, for the commands that look at names alone.
int PrepareMaskPattern();

// Releases the file commands' compiled patterns at unload.
void ReleaseFileState();
