// Placing the cursor and the view on a match.
#include "module/editor/view_placement.hpp"

#include "module/editor/editor_control.hpp"
#include "module/editor/editor_state.hpp"
#include "module/editor/selection.hpp"
#include "module/base/settings.hpp"

int TopLineFor(int line, int window_height, int total_lines) {
  int top;
  switch (EShowPosition) {
    case ShowNearTop: top = line - EShowPositionOffset; break;
    case ShowInMiddle: top = line - window_height / 2 - EShowPositionOffset; break;
    case ShowNearBottom: top = line + EShowPositionOffset - window_height + 1; break;
    default: top = line; break;
  }
  if (top >= total_lines) top = total_lines - 1;
  if (top < 0) top = 0;
  return top;
}

int LeftColumnFor(int line, int column, int window_width) {
  int screen_column = EditorRealToTab(line, column);
  if (screen_column < window_width - ERightSideOffset) return 0;
  return screen_column + ERightSideOffset - window_width;
}

void ShowFoundMatch(const EditorSearchRange& match) {
  EditorInfo info = ReadEditorInfo();
  MarkMatch(match);
  int line = SearchBackward ? match.start_line : match.end_line;
  int column = SearchBackward ? match.start_column : match.end_column;
  SetEditorPosition(line, column, TopLineFor(match.start_line, info.WindowSizeY, info.TotalLines),
                    LeftColumnFor(line, column, info.WindowSizeX));
}
