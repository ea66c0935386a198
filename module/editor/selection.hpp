// The user's block during a replace in a selection: captured when the
// command starts, moved along as replacements add or remove lines, and
// selected again when the command ends (the replace highlights each match
// in the meantime). A match the module highlighted is no user's block.
#pragma once

#include "module/editor/search_engine.hpp"

struct SavedSelectionState {
  int type = 0;  // 0 none, 1 stream block, 2 column block (the host's BlockType)
  int first_line = 0;
  int start_column = 0;  // the first line's SelStart
  int last_line = 0;     // the last line with a selection
  int end_column = 0;    // the last line's SelEnd; -1 through its line break
};

extern SavedSelectionState SavedSelection;

// Selects a match to show it. While the editor shows exactly this block,
// it is the module's mark, not a block the user chose.
void MarkMatch(const EditorSearchRange& match);

// Reads the editor's block into SavedSelection; false when there is none,
// or when it is only the mark of the last match shown.
bool CaptureSelection();
// Selects the saved block again and forgets it.
void RestoreSelection();
