// Editing the buffer from the keyboard.
#include "host/app/editor_keys.hpp"

#include <algorithm>

#include "host/ui/terminal/oem_text.hpp"

namespace host::tui {

namespace {

bool IsMovementCode(KeyCode code) {
  switch (code) {
    case KeyCode::kUp: case KeyCode::kDown: case KeyCode::kLeft: case KeyCode::kRight:
    case KeyCode::kHome: case KeyCode::kEnd: case KeyCode::kPageUp: case KeyCode::kPageDown:
      return true;
    default:
      return false;
  }
}

bool SameBlock(const EditorBlock& a, const EditorBlock& b) {
  return a.type == b.type && a.start_line == b.start_line && a.start_pos == b.start_pos &&
         a.end_line == b.end_line && a.end_pos == b.end_pos;
}

}  // namespace

std::optional<EditorKeys::Position> EditorKeys::MovementTarget(const Key& key) const {
  if (!IsMovementCode(key.code) || (key.alt && !key.shift)) return std::nullopt;
  Position at = cursor();
  int last = buffer_.line_count() - 1;
  int page = std::max(buffer_.window_rows() - 1, 1);
  // Up and down keep the screen column, as tabs make byte columns differ.
  auto vertical = [&](int line) {
    line = std::clamp(line, 0, last);
    return Position{line, buffer_.TabToReal(line, buffer_.RealToTab(at.line, at.pos))};
  };
  switch (key.code) {
    case KeyCode::kUp: return vertical(at.line - 1);
    case KeyCode::kDown: return vertical(at.line + 1);
    case KeyCode::kPageUp: return vertical(at.line - page);
    case KeyCode::kPageDown: return vertical(at.line + page);
    case KeyCode::kLeft: return Position{at.line, std::max(at.pos - 1, 0)};
    case KeyCode::kRight: return Position{at.line, at.pos + 1};
    case KeyCode::kHome: return key.ctrl ? Position{0, 0} : Position{at.line, 0};
    case KeyCode::kEnd:
      return key.ctrl ? Position{last, LineLength(last)} : Position{at.line, LineLength(at.line)};
    default: return std::nullopt;
  }
}

void EditorKeys::Move(Position target, Extend extend) {
  if (extend == Extend::kNone) {
    anchor_.reset();
    buffer_.ClearBlock();
    buffer_.SetCursor(target.line, target.pos);
    return;
  }
  // Marking goes on from its anchor unless the block changed meanwhile (a
  // search selected a match, say): then it starts afresh at the cursor.
  if (!anchor_ || !SameBlock(buffer_.block(), marked_)) anchor_ = cursor();
  buffer_.SetCursor(target.line, target.pos);
  Position a = *anchor_;
  Position c = cursor();
  if (extend == Extend::kStream) {
    Position from = std::min(a, c), to = std::max(a, c);
    if (from == to) buffer_.ClearBlock();
    else buffer_.SelectStream(from.line, from.pos, to.line, to.pos);
  } else {
    int left = std::min(a.pos, c.pos), right = std::max(a.pos, c.pos);
    if (left == right) buffer_.ClearBlock();
    else buffer_.SelectColumns(std::min(a.line, c.line), left, std::max(a.line, c.line), right);
  }
  marked_ = buffer_.block();
}

void EditorKeys::SetLine(int line, const std::string& text, LineBreak eol) {
  EditorSetString set{line, text.data(), LineBreakText(eol), static_cast<int>(text.size())};
  buffer_.Control(ECTL_SETSTRING, &set);
}

void EditorKeys::Type(char oem) {
  EditorConvertText convert{&oem, 1};
  buffer_.Control(ECTL_OEMTOEDITOR, &convert);
  Position at = cursor();
  std::string text = LineText(at.line);
  size_t pos = static_cast<size_t>(at.pos);
  if (text.size() < pos) text.resize(pos, ' ');
  if (buffer_.overtype() && pos < text.size()) {
    text[pos] = oem;
  } else {
    text.insert(pos, 1, oem);
  }
  SetLine(at.line, text, buffer_.lines()[static_cast<size_t>(at.line)].eol);
  buffer_.SetCursor(at.line, at.pos + 1);
}

// At the start of a line, joins it to the one above.
void EditorKeys::Backspace() {
  Position at = cursor();
  if (at.pos > LineLength(at.line)) {
    buffer_.SetCursor(at.line, at.pos - 1);
  } else if (at.pos > 0) {
    std::string text = LineText(at.line);
    text.erase(static_cast<size_t>(at.pos - 1), 1);
    // The cursor goes first: the buffer takes a change to be at the cursor.
    buffer_.SetCursor(at.line, at.pos - 1);
    SetLine(at.line, text, buffer_.lines()[static_cast<size_t>(at.line)].eol);
  } else if (at.line > 0) {
    EditorLine current = buffer_.lines()[static_cast<size_t>(at.line)];
    int above = at.line - 1;
    int joint = LineLength(above);
    // The joined line ends as the lower one did; deleting first lets it be
    // the last line without a break.
    buffer_.Control(ECTL_DELETESTRING, nullptr);
    SetLine(above, LineText(above) + current.text, current.eol);
    buffer_.SetCursor(above, joint);
  }
}

// At or past the end of a line, joins the next one to it.
void EditorKeys::Delete() {
  Position at = cursor();
  if (at.pos < LineLength(at.line)) {
    std::string text = LineText(at.line);
    text.erase(static_cast<size_t>(at.pos), 1);
    SetLine(at.line, text, buffer_.lines()[static_cast<size_t>(at.line)].eol);
    return;
  }
  if (at.line + 1 >= buffer_.line_count()) return;
  EditorLine next = buffer_.lines()[static_cast<size_t>(at.line + 1)];
  std::string text = LineText(at.line);
  text.resize(static_cast<size_t>(at.pos), ' ');
  buffer_.SetCursor(at.line + 1, 0);
  buffer_.Control(ECTL_DELETESTRING, nullptr);
  SetLine(at.line, text + next.text, next.eol);
  buffer_.SetCursor(at.line, at.pos);
}

bool EditorKeys::Handle(const Key& key) {
  if (std::optional<Position> target = MovementTarget(key)) {
    Extend extend = !key.shift ? Extend::kNone : key.alt ? Extend::kColumn : Extend::kStream;
    Move(*target, extend);
    return true;
  }
  bool text = key.IsText() || key.Is(KeyCode::kTab);
  bool edit = text || key.Is(KeyCode::kEnter) || key.Is(KeyCode::kBackspace) ||
              key.Is(KeyCode::kDelete) || key.IsCtrl(L'y');
  if (key.Is(KeyCode::kInsert)) {
    EditorSetPosition position{-1, -1, -1, -1, -1, buffer_.overtype() ? 0 : 1};
    buffer_.Control(ECTL_SETPOSITION, &position);
    return true;
  }
  if (!edit) return false;
  anchor_.reset();
  buffer_.ClearBlock();
  if (text) {
    std::optional<char> oem = key.Is(KeyCode::kTab) ? std::optional<char>('\t') : WideToOem(key.ch);
    if (oem) Type(*oem);
  } else if (key.Is(KeyCode::kEnter)) {
    buffer_.Control(ECTL_INSERTSTRING, nullptr);
  } else if (key.Is(KeyCode::kBackspace)) {
    Backspace();
  } else if (key.Is(KeyCode::kDelete)) {
    Delete();
  } else {
    buffer_.Control(ECTL_DELETESTRING, nullptr);
    buffer_.SetCursor(buffer_.cur_line(), 0);
  }
  return true;
}

void EditorKeys::FollowCursor() {
  int rows = buffer_.window_rows();
  int columns = buffer_.window_columns();
  int top = buffer_.top_line();
  int left = buffer_.left_pos();
  int line = buffer_.cur_line();
  int column = buffer_.RealToTab(line, buffer_.cur_pos());
  if (line < top) top = line;
  if (line >= top + rows) top = line - rows + 1;
  if (column < left) left = column;
  if (column >= left + columns) left = column - columns + 1;
  buffer_.SetView(top, left);
}

}  // namespace host::tui
