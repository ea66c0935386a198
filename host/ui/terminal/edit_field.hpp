// One line of editable code page 866 text: cursor, insert or overtype,
// horizontal scrolling, and the mark a field gets when it receives the
// focus, so that typing replaces the old text while an arrow key keeps it.
// Dialog edit fields and the command line are both made of it.
#pragma once

#include <string>

#include "host/ui/terminal/cell_grid.hpp"
#include "host/ui/terminal/key.hpp"

namespace host::tui {

class EditField {
 public:
  explicit EditField(std::string oem_text = {}, size_t max_length = 511);

  const std::string& text() const { return text_; }
  // Replaces the text (cut to the maximum); the cursor goes to its end.
  void SetText(std::string oem_text);
  // The field receives the focus: its text is marked, the cursor at its end.
  void Focus();

  // Handles an editing key; false when the key is not one (the caller may
  // then move the focus or act on it).
  bool HandleKey(const Key& key);

  // Draws the field in `width` columns at (x, y): the text from its start
  // while it fits or the field has no focus, else the part that ends at the
  // cursor. With the focus, the grid's cursor goes there.
  void Render(CellGrid& grid, int x, int y, int width, Role normal, Role marked,
              bool focused) const;

  int cursor() const { return cursor_; }
  bool marked() const { return marked_; }

 private:
  void Type(char oem);
  void ClearIfMarked();
  void MoveTo(int position);

  std::string text_;
  size_t max_length_;
  int cursor_ = 0;  // 0..text length
  bool marked_ = false;
  bool overtype_ = false;
};

}  // namespace host::tui
