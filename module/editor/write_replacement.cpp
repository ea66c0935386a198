// Writing one replacement into the editor. The new text of the match's
// first line is its head, the replacement and the tail of the match's last
// line; it is split at every CR, LF or CR LF into editor lines. A lone LF
// takes the first line's own line break, CR LF and a lone CR stay what they
// are, and the last piece keeps the break of the line its tail came from.
#include <algorithm>

#include "module/editor/editor_control.hpp"
#include "module/editor/editor_state.hpp"
#include "module/editor/replace.hpp"
#include "module/editor/selection.hpp"
#include "module/editor/view_placement.hpp"
#include "module/base/run_state.hpp"

namespace {

// Bytes of a line from a column to its end; empty when the column lies
// beyond it.
std::string TailOf(const EditorLineView& line, int column) {
  int from = std::clamp(column, 0, line.length);
  return std::string(line.text + from, static_cast<size_t>(line.length - from));
}

struct WrittenText {
  int last_line;    // the line holding the last piece
  int last_length;  // the last piece's length
};

// Writes text over the cursor line and as many new lines after it as the
// text holds line breaks.
WrittenText WriteLines(int line, const std::string& text, const std::string& start_eol,
                       const std::string& end_eol) {
  size_t begin = 0;
  for (;;) {
    size_t brk = text.find_first_of("\r\n", begin);
    if (brk == std::string::npos) break;
    bool crlf = text[brk] == '\r' && brk + 1 < text.size() && text[brk + 1] == '\n';
    const char* eol = crlf ? "\r\n" : text[brk] == '\r' ? "\r" : start_eol.c_str();
    SetCurrentLine(text.substr(begin, brk - begin), eol);
    SetEditorPosition(-1, static_cast<int>(brk - begin), -1, -1);
    InsertLineBreak();
    ++line;
    begin = brk + (crlf ? 2 : 1);
  }
  SetCurrentLine(text.substr(begin), end_eol.c_str());
  return WrittenText{line, static_cast<int>(text.size() - begin)};
}

// The saved block follows the lines the replacement added or removed, and
// its end column the text on its last line.
void MoveSavedSelection(int old_end_line, int old_end_column, const EditorSearchRange& written) {
  SavedSelection.last_line += written.end_line - old_end_line;
  if (SavedSelection.type == BTYPE_STREAM && SavedSelection.last_line == written.end_line &&
      SavedSelection.end_column != -1)
    SavedSelection.end_column += written.end_column - old_end_column;
}

}  // namespace

void WriteReplacement(EditorSearchRange& match, const std::string& replacement) {
  const int sl = match.start_line, sc = match.start_column;
  const int old_end_line = match.end_line, old_end_column = match.end_column;
  for (int line = old_end_line - 1; line > sl; --line) {
    ReadLineAt(line);
    DeleteCurrentLine();
  }
  std::string text = replacement;
  OemToEditor(text.data(), static_cast<int>(text.size()));

  EditorLineView start = ReadLineAt(sl);
  std::string start_eol = start.eol;
  std::string end_eol = start_eol;
  std::string rebuilt(start.text, static_cast<size_t>(std::clamp(sc, 0, start.length)));
  std::string tail;
  if (old_end_line == sl) {
    tail = TailOf(start, old_end_column);
  } else {
    EditorLineView end = ReadLineAt(sl + 1);
    tail = TailOf(end, old_end_column);
    end_eol = end.eol;
    DeleteCurrentLine();
    SetEditorPosition(sl, -1, -1, -1);
  }
  rebuilt += text;
  rebuilt += tail;

  WrittenText written = WriteLines(sl, rebuilt, start_eol, end_eol);
  match.end_line = written.last_line;
  match.end_column = written.last_length - static_cast<int>(tail.size());
  LastReplaceLine = match.end_line;
  LastReplaceColumn = match.end_column;
  if (ReplaceInSelection) MoveSavedSelection(old_end_line, old_end_column, match);

  EditorInfo info = ReadEditorInfo();
  if (SearchBackward)
    SetEditorPosition(match.end_line, sc, -1, -1);
  else
    SetEditorPosition(match.end_line, match.end_column, -1,
                      LeftColumnFor(match.end_line, match.end_column, info.WindowSizeX));
  if (!CurrentRun.all_replacements) ClearEditorSelection();
  ++ReplaceCount;
}
