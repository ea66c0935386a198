// The patterns every file command compiles from the settings before it
// runs: the search text (for the pattern modes, or as a list of words) and
// the mask list (in pattern mode). Made on the host's thread before a walk
// and only read while it runs, so a search's worker threads share them.
#pragma once

#include <string>
#include <vector>

#include "module/match/pattern.hpp"

// FText compiled in the three pattern modes of FSearchAs (line, window of
// lines, whole file); empty otherwise.
extern SearchPattern TextPattern;

// In the plain-text mode, whether a UTF-8 file's view is searched when its
// bytes do not hold FText (see Utf8ViewMayAddMatches).
extern bool PlainTextNeedsUtf8View;

// One word of FText in the two word-list modes.
struct SearchWord {
  char sign = 0;         // '+' required, '-' excluded, 0 optional
  std::string text;      // without its sign; may be empty
  SearchPattern pattern; // the text compiled, in the pattern-word mode
  bool needs_utf8_view = true;  // see Utf8ViewMayAddMatches
};
// FText split into words (see TakeWord) in the two word-list modes, up to
// its first empty word; empty otherwise.
extern std::vector<SearchWord> SearchWords;

// Compiles TextPattern, SearchWords and MaskPattern from the settings; 0
// after a bad pattern (its error box has been shown).
int PreparePatterns();
// Only MaskPattern, for the commands that look at names alone.
int PrepareMaskPattern();

// Releases the file commands' compiled patterns at unload.
void ReleaseFileState();
