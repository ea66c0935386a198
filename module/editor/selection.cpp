// Capturing and restoring the user's block from the per-line selection the
// host reports.
#include "module/editor/selection.hpp"

#include "module/editor/editor_control.hpp"

SavedSelectionState SavedSelection;

namespace {

// The last match marked, as SavedSelection would read it back.
SavedSelectionState MatchMark;

bool SameBlock(const SavedSelectionState& a, const SavedSelectionState& b) {
  return a.type == b.type && a.first_line == b.first_line && a.start_column == b.start_column &&
         a.last_line == b.last_line && a.end_column == b.end_column;
}

}  // namespace

void MarkMatch(const EditorSearchRange& match) {
  SelectStream(match.start_line, match.start_column, match.end_line, match.end_column);
  // A match that ends with a line break is selected through the break of
  // the line before its end.
  const bool through_break = match.end_column == 0 && match.end_line > match.start_line;
  MatchMark = SavedSelectionState{BTYPE_STREAM, match.start_line, match.start_column,
                                  through_break ? match.end_line - 1 : match.end_line,
                                  through_break ? -1 : match.end_column};
}

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
  if (!SameBlock(SavedSelection, MatchMark)) return true;
  SavedSelection.type = BTYPE_NONE;
  return false;
}

void RestoreSelection() {
  const SavedSelectionState& s = SavedSelection;
  if (s.type == BTYPE_NONE) return;
  SelectEditorBlock(s.type, s.first_line, s.start_column, s.end_column - s.start_column,
                    s.last_line - s.first_line + 1);
  SavedSelection.type = BTYPE_NONE;
}
