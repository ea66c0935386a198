// The editing keys of the host's editor, acting on its buffer: cursor
// movement (arrows, PgUp/PgDn, Home/End, Ctrl+Home/End), typing in insert
// or overtype mode (Insert toggles), Enter, Backspace and Del joining
// lines, Ctrl+Y deleting one, and blocks: Shift with a movement key marks a
// stream block, Alt+Shift a column block, from where the marking began.
// Typed characters go into the file in its own character table.
#pragma once

#include <optional>

#include "host/core/editor_buffer.hpp"
#include "host/ui/terminal/key.hpp"

namespace host::tui {

class EditorKeys {
 public:
  // The buffer must outlive this object.
  explicit EditorKeys(EditorBuffer& buffer) : buffer_(buffer) {}

  // True when the key was one of the editing keys.
  bool Handle(const Key& key);
  // Scrolls the view so that the cursor is inside the window.
  void FollowCursor();

 private:
  struct Position {
    int line, pos;
    auto operator<=>(const Position&) const = default;
  };
  enum class Extend { kNone, kStream, kColumn };

  std::optional<Position> MovementTarget(const Key& key) const;
  void Move(Position target, Extend extend);
  void Type(char oem);
  void SetLine(int line, const std::string& text, LineBreak eol);
  void Backspace();
  void Delete();
  Position cursor() const { return {buffer_.cur_line(), buffer_.cur_pos()}; }
  const std::string& LineText(int line) const {
    return buffer_.lines()[static_cast<size_t>(line)].text;
  }
  int LineLength(int line) const { return static_cast<int>(LineText(line).size()); }

  EditorBuffer& buffer_;
  std::optional<Position> anchor_;  // where the block being marked began
  EditorBlock marked_;              // the block last marked from the keyboard
};

}  // namespace host::tui
