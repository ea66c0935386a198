// The replace command and its two loops: over a range searched as a whole
// (lines joined), and line by line with the line-removal options.
//
// After a match that is empty (a pattern matching the empty string), the
// next forward search takes no empty match at the same place, but does
// take a non-empty one there, as perl does; backward, the next search ends
// one byte before it. Otherwise the same place would be found for ever.
#include "module/editor/replace.hpp"

#include "module/match/template.hpp"
#include "module/editor/editor_control.hpp"
#include "module/editor/editor_state.hpp"
#include "module/editor/selection.hpp"
#include "module/editor/view_placement.hpp"
#include "module/base/messages.hpp"
#include "module/base/run_state.hpp"
#include "module/base/settings.hpp"

int ReplaceCount = 0;
int ReplaceBaseLine = 0;
int LastReplaceLine = 0;
int LastReplaceColumn = 0;

namespace {

bool IsEmpty(const EditorSearchRange& match) {
  return match.start_line == match.end_line && match.start_column == match.end_column;
}

SearchStart StartAfter(const EditorSearchRange& found) {
  return IsEmpty(found) ? SearchStart::kAfterEmptyMatch : SearchStart::kAfterMatch;
}

// Expands the template for the kept match, offers it, and releases it.
ReplaceAnswer OfferKeptMatch(EditorSearchRange& match) {
  ReplaceCounters counters{match.start_line, match.start_line - ReplaceBaseLine, ReplaceCount};
  int pairs = static_cast<int>(MatchVector.size() / 3);
  std::string replacement =
      ExpandTemplate(MatchBlock.text.c_str(), pairs ? MatchVector.data() : nullptr, pairs,
                     ERReplace.c_str(), "\n", &counters);
  std::string matched = MatchBlock.text.substr(MatchBlock.offset, MatchBlock.length);
  ReplaceAnswer answer = ConfirmReplace(match, matched, replacement);
  ReleaseMatch();
  return answer;
}

// Backward: the range now ends before the match; false when nothing is
// left of it. The text searched still reaches to where the range ended.
bool EndRangeBefore(const EditorSearchRange& found, EditorSearchRange& range) {
  int column = found.start_column - (IsEmpty(found) ? 1 : 0);
  if (column > 0 || (column == 0 && IsEmpty(found))) {
    if (found.start_line != range.end_line) range.text_end_column = -1;
    range.end_line = found.start_line;
    range.end_column = column;
  } else {
    range.end_line = found.start_line - 1;
    range.end_column = -1;
    range.text_end_column = -1;
  }
  return range.end_line >= range.start_line;
}

// Forward: the range now starts behind the match as it is after the write
// (or as it was, when skipped), and its end moves with the text the
// replacement added or removed.
void StartRangeAfter(const EditorSearchRange& found, const EditorSearchRange& written,
                     EditorSearchRange& range) {
  if (found.end_line == range.end_line && range.end_column != -1)
    range.end_column += written.end_column - found.end_column;
  range.end_line += written.end_line - found.end_line;
  range.start_line = written.end_line;
  range.start_column = written.end_column;
}

enum class LineResult { kNoMatch, kMatched, kDeleted, kCancelled };

bool LineIsEmpty(int line) { return ReadLineAt(line).length == 0; }

// Replaces within line i from column s to e (-1: its end); the line's text
// reaches to text_end (-1: its end). Forward, lines a replacement adds or
// deletes move the range's last line c, and i follows the line holding the
// rest of the original line.
LineResult ReplaceInLine(int& i, int& c, int s, int e, int text_end) {
  bool matched = false;
  SearchStart start = SearchStart::kFresh;
  EditorSearchRange line{i, s, i, e, text_end};
  for (;;) {
    EditorSearchRange match = line;
    if (!SearchRange(match, true, start))
      return matched ? LineResult::kMatched : LineResult::kNoMatch;
    matched = true;
    const EditorSearchRange found = match;
    start = StartAfter(found);
    ReplaceAnswer answer = OfferKeptMatch(match);
    if (answer == kAnswerCancelled) return LineResult::kCancelled;
    if (!SearchBackward) c += match.end_line - found.end_line;
    if (RemoveEmpty && answer == kAnswerReplaced && match.end_line == match.start_line &&
        LineIsEmpty(match.start_line)) {
      DeleteCurrentLine();
      if (!SearchBackward) {
        --i;
        --c;
      }
      return LineResult::kDeleted;
    }
    if (SearchBackward) {
      int end = found.start_column - (IsEmpty(found) ? 1 : 0);
      if (end < 0) return LineResult::kMatched;
      line = EditorSearchRange{found.start_line, s, found.start_line, end, text_end};
      i = found.start_line;
    } else {
      if (e != -1) e += match.end_column - found.end_column;
      line = EditorSearchRange{match.end_line, match.end_column, match.end_line, e};
      i = match.end_line;
    }
  }
}

// Both return true when the user cancelled.
bool ReplaceSelection() {
  const SavedSelectionState s = SavedSelection;
  ReplaceBaseLine = s.first_line;
  EditorSearchRange range{s.first_line, s.start_column, s.last_line, s.end_column,
                          s.end_column};
  const bool cancelled = s.type == BTYPE_STREAM ? ReplaceRangeJoined(range)
                                                : ReplaceRangeByLine(range, true);
  RestoreSelection();
  return cancelled;
}

bool ReplaceFromCursor(const EditorInfo& info) {
  EditorSearchRange range;
  if (SearchBackward) {
    range = EditorSearchRange{0, 0, info.CurLine, info.CurPos};
    ReplaceBaseLine = info.CurLine;
  } else {
    range = EditorSearchRange{info.CurLine, info.CurPos, info.TotalLines - 1, -1};
    ReplaceBaseLine = 0;
  }
  // The line-removal options work line by line only.
  if (ESeveralLine && !RemoveEmpty && !RemoveNoMatch) return ReplaceRangeJoined(range);
  return ReplaceRangeByLine(range, false);
}

void PlaceCursorAtLastReplace() {
  EditorInfo info = ReadEditorInfo();
  SetEditorPosition(LastReplaceLine, LastReplaceColumn,
                    TopLineFor(LastReplaceLine, info.WindowSizeY, info.TotalLines),
                    LeftColumnFor(LastReplaceLine, LastReplaceColumn, info.WindowSizeX));
}

}  // namespace

bool EditorReplace() {
  StartRun();
  EditorInfo info = ReadEditorInfo();
  LastReplaceLine = info.CurLine;
  LastReplaceColumn = info.CurPos;
  // Replace-again with the selection option still set while no block is
  // selected any more replaces from the cursor.
  const bool cancelled =
      ReplaceInSelection && CaptureSelection() ? ReplaceSelection() : ReplaceFromCursor(info);
  PlaceCursorAtLastReplace();
  if (cancelled || CurrentRun.all_replacements) return true;
  ShowCannotFind(MReplaceTitle);
  return false;
}

bool ReplaceRangeJoined(EditorSearchRange range) {
  SearchStart start = SearchStart::kFresh;
  for (;;) {
    EditorSearchRange match = range;
    if (!SearchRange(match, true, start)) return false;
    const EditorSearchRange found = match;
    start = StartAfter(found);
    if (OfferKeptMatch(match) == kAnswerCancelled) return true;
    if (!SearchBackward)
      StartRangeAfter(found, match, range);
    else if (!EndRangeBefore(found, range))
      return false;
  }
}

bool ReplaceRangeByLine(EditorSearchRange range, bool columns_on_every_line) {
  const int a = range.start_line, b = range.start_column, d = range.end_column;
  // A column block ends every line at its column; elsewhere only the
  // cursor limits where matches end.
  const int text_end = columns_on_every_line ? d : -1;
  int c = range.end_line;
  int i = SearchBackward ? c : a;
  // Forward, lines deleted at the range's start bring later lines to index
  // a; only the line the range starts on is searched from column b.
  bool first_line = true;
  while (SearchBackward ? i >= a : i <= c) {
    bool from_b = columns_on_every_line || (SearchBackward ? i == a : first_line);
    int s = from_b ? b : 0;
    int e = columns_on_every_line || i == c ? d : -1;
    first_line = false;
    LineResult result = ReplaceInLine(i, c, s, e, text_end);
    if (result == LineResult::kCancelled) return true;
    if (CurrentRun.interrupted) return false;
    if (RemoveNoMatch && result == LineResult::kNoMatch) {
      ReadLineAt(i);
      DeleteCurrentLine();
      if (SearchBackward)
        --i;
      else
        --c;
      continue;
    }
    i += SearchBackward ? -1 : 1;
  }
  return false;
}
