// Capturing and restoring the user's block from the per-line selection the
// host reports.
#include "module/editor/selection.hpp"

#include "module/editor/editor_control.hpp"

SavedSelectionState SavedSelection;

bool CaptureSelection() {
  EditorInfo info = ReadEditorInfo();
  SavedSelection.type = info.BlockType;
  if (info.BlockType == BTYPE_NONE) return false;
  SavedSelection.first_line = info.BlockStartLine;
  SavedSelection.start_column = 0;
  SavedSelection.last_line = info.BlockStartLine;
  SavedSelection.end_column = -1;
  for (int line = info.BlockStartLine; line < info.TotalLines; ++line) {
    EditorLineView view = ReadEditorLine(line);
    if (view.sel_start == -1) break;
    if (line == info.BlockStartLine) SavedSelection.start_column = view.sel_start;
    SavedSelection.last_line = line;
    SavedSelection.end_column = view.sel_end;
  }
  return true;
}

void RestoreSelection() {
  const SavedSelectionState& s = SavedSelection;
  if (s.type == BTYPE_NONE) return;
  SelectEditorBlock(s.type, s.first_line, s.start_column, s.end_column - s.start_column,
                    s.last_line - s.first_line + 1);
  SavedSelection.type = BTYPE_NONE;
}
