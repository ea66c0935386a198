// The editor search's progress counter: "line/total" on the host's status
// row, drawn through the Text service only when the search has moved more
// than 25 lines past the last drawn line or gone back before it.
#pragma once

// The line last drawn; survives from one search to the next.
extern int LastShownLine;

void ShowProgress(int line, int total_lines, int window_width);
