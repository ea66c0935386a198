// The editor search engine. Lines are read one by one through the host, as
// few as each block needs; the block buffers are reused from line to line,
// so a search through a long file allocates next to nothing.
#include "module/editor/search_engine.hpp"

#include <algorithm>

#include "module/match/case_table.hpp"
#include "module/match/pattern.hpp"
#include "module/match/scan.hpp"
#include "module/editor/editor_control.hpp"
#include "module/editor/editor_state.hpp"
#include "module/editor/progress.hpp"
#include "module/editor/view_placement.hpp"
#include "module/base/host_access.hpp"
#include "module/base/messages.hpp"
#include "module/base/run_state.hpp"
#include "module/base/settings.hpp"

EditorMatchBlock MatchBlock;
std::vector<int> MatchVector;

namespace {

// Lines joined into one block; the settings store keeps it in 1..256.
int BlockLines() { return std::max(SeveralLines, 1); }

// The OEM copy of the block last searched and the pattern's offsets there.
std::string SearchedText;
std::vector<int> SearchedOffsets;
// The block being built from editor lines.
std::string BlockText;

// Runs the pattern from start over the whole searched text, so that
// anchors and look-around see beyond the part searched.
bool RunEditorPattern(int start, int options, std::vector<int>& offsets) {
  offsets.assign((EditorSearchPattern.CaptureCount() + 1) * 3, -1);
  return RunPattern(EditorSearchPattern, SearchedText.data(), SearchedText.size(),
                    static_cast<size_t>(start), options, offsets.data(),
                    static_cast<int>(offsets.size())) >= 0;
}

// Forward the first match in [from, to), backward the last one, counted the
// way a forward search steps through them: behind each match, and after an
// empty match at the same place only a non-empty one.
bool MatchPattern(int from, int to, int options, int* offset, int* length) {
  if (EditorSearchPattern.empty()) return false;
  bool found = false;
  std::vector<int> candidate;
  for (int start = from; start <= to && RunEditorPattern(start, options, candidate);) {
    if (candidate[1] > to) break;
    SearchedOffsets.swap(candidate);
    found = true;
    if (!SearchBackward) break;
    start = SearchedOffsets[1];
    options = SearchedOffsets[1] == SearchedOffsets[0] ? kPatternNotEmptyAtStart : 0;
  }
  if (!found) return false;
  *offset = SearchedOffsets[0];
  *length = SearchedOffsets[1] - SearchedOffsets[0];
  return true;
}

bool MatchPlainText(int from, int to, int* offset, int* length) {
  const uint8_t* table = ECaseSensitive ? nullptr : OemUpperTable;
  const std::string needle = MappedNeedle(EText, table);
  const char* text = SearchedText.data() + from;
  size_t size = static_cast<size_t>(to - from);
  long long found = SearchBackward ? FindBackward(text, size, needle.data(), needle.size(), table)
                                   : FindForward(text, size, needle.data(), needle.size(), table);
  if (found < 0) return false;
  *offset = from + static_cast<int>(found);
  *length = static_cast<int>(needle.size());
  return true;
}

// The lines [first, last] joined with LF into BlockText, the last one cut
// at cut_column (-1: whole) when it is the range's last line. Returns where
// the last line starts in the block.
int BuildBlock(int first, int last, const EditorSearchRange& range, int cut_column) {
  BlockText.clear();
  int last_start = 0;
  for (int line = first; line <= last; ++line) {
    if (line > first) BlockText += '\n';
    last_start = static_cast<int>(BlockText.size());
    EditorLineView view = ReadLineAt(line);
    int length = view.length;
    if (line == range.end_line && cut_column >= 0 && cut_column < length) length = cut_column;
    BlockText.append(view.text, static_cast<size_t>(length));
  }
  return last_start;
}

struct LinePosition {
  int line;
  int column;
};

LinePosition PositionInBlock(int first_line, int offset) {
  LinePosition position{first_line, offset};
  for (int k = 0; k < offset; ++k) {
    if (BlockText[k] != '\n') continue;
    position.line++;
    position.column = offset - k - 1;
  }
  return position;
}

// Turns the match in BlockText into lines and columns, and keeps it when
// asked to.
void AcceptMatch(int first_line, int offset, int length, bool keep, EditorSearchRange& range) {
  LinePosition start = PositionInBlock(first_line, offset);
  LinePosition end = PositionInBlock(first_line, offset + length);
  range = EditorSearchRange{start.line, start.column, end.line, end.column};
  if (!keep) return;
  MatchBlock.text.swap(SearchedText);
  MatchBlock.offset = offset;
  MatchBlock.length = length;
  if (ERegExp)
    MatchVector = SearchedOffsets;
  else
    MatchVector.clear();
}

// The progress counter and the Esc check before each candidate line.
bool StoppedBefore(int line, const EditorInfo& info) {
  ShowProgress(line, info.TotalLines, info.WindowSizeX);
  if (!EscPressed()) return false;
  CurrentRun.interrupted = true;
  return true;
}

int FromColumn(int block_first_line, const EditorSearchRange& range) {
  return block_first_line == range.start_line ? range.start_column : 0;
}

bool SearchBlockText(int from, int to, int* offset, int* length,
                     SearchStart start = SearchStart::kFresh) {
  return SearchBlock(BlockText.data(), static_cast<int>(BlockText.size()), from, to, offset,
                     length, start);
}

// A match is taken for the candidate line only when it starts on it (or on
// its line break); a later line's own block will find the others. How the
// search starts matters at the range's start only.
bool SearchRangeForward(EditorSearchRange& range, bool keep, const EditorInfo& info,
                        SearchStart start) {
  for (int i = range.start_line; i <= range.end_line; ++i) {
    if (StoppedBefore(i, info)) return false;
    int last = std::min(range.end_line, i + BlockLines() - 1);
    BuildBlock(i, last, range, range.end_column);
    int offset = 0, length = 0;
    if (SearchBlockText(FromColumn(i, range), -1, &offset, &length,
                        i == range.start_line ? start : SearchStart::kFresh) &&
        PositionInBlock(i, offset).line == i) {
      AcceptMatch(i, offset, length, keep, range);
      return true;
    }
  }
  return false;
}

// Where the text of a backward range's last line ends: never before the
// column its matches must end by.
int BackwardCutColumn(const EditorSearchRange& range) {
  if (range.end_column < 0 || range.text_end_column < 0) return -1;
  return std::max(range.end_column, range.text_end_column);
}

// Each candidate line ends a block of the lines before it; the last match
// in the block that ends by the range's end is taken, so every match that
// ends on the candidate line is seen before the line above is tried.
bool SearchRangeBackward(EditorSearchRange& range, bool keep, const EditorInfo& info) {
  for (int i = range.end_line; i >= range.start_line; --i) {
    if (StoppedBefore(i, info)) return false;
    int first = std::max(range.start_line, i - BlockLines() + 1);
    int last_start = BuildBlock(first, i, range, BackwardCutColumn(range));
    int to = i == range.end_line && range.end_column >= 0 ? last_start + range.end_column : -1;
    int offset = 0, length = 0;
    if (SearchBlockText(FromColumn(first, range), to, &offset, &length)) {
      AcceptMatch(first, offset, length, keep, range);
      return true;
    }
  }
  return false;
}

bool FindJoined(const EditorInfo& info, EditorSearchRange& found) {
  if (SearchBackward)
    found = EditorSearchRange{0, 0, info.CurLine, info.CurPos};
  else
    found = EditorSearchRange{info.CurLine, info.CurPos, info.TotalLines - 1, -1};
  return SearchRange(found, false);
}

// One range per line, so no block ever spans a line break; Esc on any line
// ends the whole command.
bool FindLineByLine(const EditorInfo& info, EditorSearchRange& found) {
  const int step = SearchBackward ? -1 : 1;
  const int stop = SearchBackward ? -1 : info.TotalLines;
  for (int line = info.CurLine; line != stop; line += step) {
    bool cursor_line = line == info.CurLine;
    if (SearchBackward)
      found = EditorSearchRange{line, 0, line, cursor_line ? info.CurPos : -1};
    else
      found = EditorSearchRange{line, cursor_line ? info.CurPos : 0, line, -1};
    if (SearchRange(found, false)) return true;
    if (CurrentRun.interrupted) return false;
  }
  return false;
}

}  // namespace

bool SearchBlock(const char* block, int length, int from, int to, int* offset,
                 int* match_length, SearchStart start) {
  if (from > length) return false;
  if (from < 0) from = 0;
  if (to == -1 || to > length) to = length;
  // A fresh search finds nothing at the very end of its text; one that goes
  // on after a match may find an empty match there, as perl does.
  if (to < from || (to == from && start == SearchStart::kFresh)) return false;
  const int options = start == SearchStart::kAfterEmptyMatch ? kPatternNotEmptyAtStart : 0;
  SearchedText.assign(block, static_cast<size_t>(length));
  EditorToOem(SearchedText.data(), length);
  return ERegExp ? MatchPattern(from, to, options, offset, match_length)
                 : MatchPlainText(from, to, offset, match_length);
}

bool SearchRange(EditorSearchRange& range, bool keep, SearchStart start) {
  EditorInfo info = ReadEditorInfo();
  return SearchBackward ? SearchRangeBackward(range, keep, info)
                        : SearchRangeForward(range, keep, info, start);
}

void ReleaseMatch() {
  MatchVector.clear();
  MatchBlock = EditorMatchBlock{};
}

bool EditorFind() {
  StartRun();
  EditorInfo info = ReadEditorInfo();
  EditorSearchRange found{};
  bool matched = ESeveralLine ? FindJoined(info, found) : FindLineByLine(info, found);
  if (matched) {
    ShowFoundMatch(found);
    return true;
  }
  RestoreEditorPosition(info);
  if (!CurrentRun.interrupted) ShowCannotFind(MTitle);
  return false;
}

void ShowCannotFind(int title_message) {
  const char* items[] = {GetMsg(title_message), GetMsg(MCannotFind), EText.c_str(), GetMsg(MOk)};
  StartupInfo.Message(StartupInfo.ModuleNumber, FMSG_WARNING, "ECannotFind", items, 4, 1);
}
