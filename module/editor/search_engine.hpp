// The editor search engine: finds EText (plain text or the compiled editor
// pattern) in the editor's lines, one line at a time or over blocks of up
// to SeveralLines lines joined with LF, forwards or backwards, and maps the
// match back to lines and columns. The replace keeps the match it finds
// (its block and offset vector) to expand the template against.
#pragma once

#include <string>
#include <vector>

// Before a search: the lines searched (both inclusive), the first line from
// start_column, the last line up to the exclusive end_column (-1: the whole
// line). After a match: the match, its end exclusive; a match that ends
// with a line break ends at column 0 of the next line.
//
// A backward search takes the last match that ends by end_column, while
// the last line's text reaches to text_end_column (-1: its end), so that
// anchors and look-ahead see what follows the cursor or the previous
// match, as they do in a forward search. A selection's end is a real end:
// there both columns are the same.
struct EditorSearchRange {
  int start_line;
  int start_column;
  int end_line;
  int end_column;
  int text_end_column = -1;
};

// The block a kept match was found in, already in OEM, with the match's
// place in it.
struct EditorMatchBlock {
  std::string text;
  int offset = 0;
  int length = 0;
};

// Set by SearchRange with keep, until ReleaseMatch.
extern EditorMatchBlock MatchBlock;
// The offset vector of a kept pattern match, (captures + 1) * 3 ints;
// empty after a plain-text search.
extern std::vector<int> MatchVector;

// How a forward search starts: afresh, or right after a match the replace
// took (then an empty match at the very end of the text counts, as perl
// has it); after an empty match, a match at the same place must not be
// empty (a non-empty one is taken, as perl does).
enum class SearchStart { kFresh, kAfterMatch, kAfterEmptyMatch };

// Searches a block in the editor's character table for a match that starts
// at or after from and ends at or before to (-1: the block's end): forward
// the first one, backward the last. Pattern matches are counted from from
// the way a forward search steps through them, so a backward replace
// changes exactly what a forward one would. The whole block is the
// subject, so anchors and look-around see the text before from and after to.
bool SearchBlock(const char* block, int length, int from, int to, int* offset,
                 int* match_length, SearchStart start = SearchStart::kFresh);

// Searches a range in the direction of SearchBackward; on a match the range
// holds the match. Sets CurrentRun.interrupted when Esc stops the search.
// With keep, a match stays in MatchBlock and MatchVector until ReleaseMatch.
// start tells how a forward search begins at the range's start.
bool SearchRange(EditorSearchRange& range, bool keep,
                 SearchStart start = SearchStart::kFresh);
void ReleaseMatch();

// The search command: starts a run, searches from the cursor with the
// current settings; selects
// the match, or puts the position back and says nothing was found.
bool EditorFind();

// The warning that EText was not found, under the given title message.
void ShowCannotFind(int title_message);
