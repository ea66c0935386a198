// Where the editor's view goes when the search or the replace moves the
// cursor to a match: the top line by EShowPosition and its offset, the left
// column by ERightSideOffset.
#pragma once

#include "module/editor/search_engine.hpp"

// The top screen line that shows `line` as EShowPosition asks, kept within
// the text.
int TopLineFor(int line, int window_height, int total_lines);
// The left screen column that shows byte `column` of `line`: 0 while the
// column fits, else the cursor stands ERightSideOffset columns left of the
// right edge.
int LeftColumnFor(int line, int column, int window_width);
// Selects a match and puts the cursor at its end (forward) or its start
// (backward), so that the next search in that direction starts behind it.
void ShowFoundMatch(const EditorSearchRange& match);
