// Editing keys of a one-line field.
#include "host/ui/terminal/edit_field.hpp"

#include <algorithm>

#include "host/ui/terminal/oem_text.hpp"

namespace host::tui {

EditField::EditField(std::string oem_text, size_t max_length) : max_length_(max_length) {
  SetText(std::move(oem_text));
}

void EditField::SetText(std::string oem_text) {
  if (oem_text.size() > max_length_) oem_text.resize(max_length_);
  text_ = std::move(oem_text);
  marked_ = false;
  MoveTo(static_cast<int>(text_.size()));
}

void EditField::Focus() {
  marked_ = !text_.empty();
  MoveTo(static_cast<int>(text_.size()));
}

void EditField::MoveTo(int position) {
  cursor_ = std::clamp(position, 0, static_cast<int>(text_.size()));
}

void EditField::ClearIfMarked() {
  if (!marked_) return;
  text_.clear();
  marked_ = false;
  MoveTo(0);
}

void EditField::Type(char oem) {
  ClearIfMarked();
  size_t at = static_cast<size_t>(cursor_);
  if (overtype_ && at < text_.size()) {
    text_[at] = oem;
  } else if (text_.size() < max_length_) {
    text_.insert(at, 1, oem);
  } else {
    return;  // full: the character is refused
  }
  MoveTo(cursor_ + 1);
}

bool EditField::HandleKey(const Key& key) {
  if (key.IsText()) {
    if (std::optional<char> oem = WideToOem(key.ch)) Type(*oem);
    return true;
  }
  if (key.IsCtrl(L'y')) {
    SetText({});
    return true;
  }
  if (key.ctrl || key.alt || key.shift) return false;
  switch (key.code) {
    case KeyCode::kLeft: marked_ = false; MoveTo(cursor_ - 1); return true;
    case KeyCode::kRight: marked_ = false; MoveTo(cursor_ + 1); return true;
    case KeyCode::kHome: marked_ = false; MoveTo(0); return true;
    case KeyCode::kEnd: marked_ = false; MoveTo(static_cast<int>(text_.size())); return true;
    case KeyCode::kInsert: overtype_ = !overtype_; return true;
    case KeyCode::kBackspace:
      if (marked_) {
        ClearIfMarked();
      } else if (cursor_ > 0) {
        text_.erase(static_cast<size_t>(cursor_ - 1), 1);
        MoveTo(cursor_ - 1);
      }
      return true;
    case KeyCode::kDelete:
      if (marked_) {
        ClearIfMarked();
      } else if (cursor_ < static_cast<int>(text_.size())) {
        text_.erase(static_cast<size_t>(cursor_), 1);
      }
      return true;
    default: return false;
  }
}

void EditField::Render(CellGrid& grid, int x, int y, int width, Role normal, Role marked,
                       bool focused) const {
  width = std::max(width, 1);
  // A text that fits shows whole, its cursor at most on the last column.
  bool fits = static_cast<int>(text_.size()) <= width;
  int scroll = fits || !focused || cursor_ < width ? 0 : cursor_ - width + 1;
  Role role = marked_ ? marked : normal;
  grid.Fill(Rect{x, y, width, 1}, L' ', normal);
  std::string_view shown = std::string_view(text_).substr(static_cast<size_t>(scroll));
  grid.Text(x, y, OemToWide(shown.substr(0, static_cast<size_t>(width))), role, width);
  if (focused) grid.PlaceCursor(x + std::min(cursor_ - scroll, width - 1), y);
}

}  // namespace host::tui
