// Menu layout, keys and drawing.
#include "host/ui/terminal/menu_view.hpp"

#include <algorithm>

namespace host::tui {

namespace {

constexpr int kChromeColumns = 6;  // frame, check-mark column and padding around the texts
constexpr wchar_t kCheckMark = L'√';

bool AutoHotkeyCandidate(wchar_t ch) { return ch != L' ' && ch != L'&'; }

std::wstring FrameCaption(const std::string& oem) {
  return oem.empty() ? std::wstring() : L" " + OemToWide(oem) + L" ";
}

}  // namespace

MenuView::MenuView(Menu menu) : menu_(std::move(menu)) {
  bool show_ampersand = menu_.flags & FMENU_SHOWAMPERSAND;
  std::wstring used;
  for (const MenuEntry& entry : menu_.items) {
    labels_.push_back(ParseLabel(entry.text, show_ampersand));
    if (labels_.back().hotkey()) used += labels_.back().hotkey();
  }
  if (menu_.flags & FMENU_AUTOHIGHLIGHT) {
    for (size_t i = 0; i < labels_.size(); ++i) {
      Label& label = labels_[i];
      if (label.hotkey_pos >= 0 || menu_.items[i].separator) continue;
      for (size_t k = 0; k < label.text.size(); ++k) {
        wchar_t ch = label.text[k];
        bool taken = std::any_of(used.begin(), used.end(),
                                 [ch](wchar_t u) { return SameHotkey(u, ch); });
        if (AutoHotkeyCandidate(ch) && !taken) {
          label.hotkey_pos = static_cast<int>(k);
          used += ch;
          break;
        }
      }
    }
  }
  int first = -1;
  for (int i = 0; i < static_cast<int>(menu_.items.size()); ++i) {
    if (!Selectable(i)) continue;
    if (first < 0) first = i;
    if (menu_.items[static_cast<size_t>(i)].selected) {
      first = i;
      break;
    }
  }
  cursor_ = first;
}

bool MenuView::Selectable(int index) const {
  return index >= 0 && index < static_cast<int>(menu_.items.size()) &&
         !menu_.items[static_cast<size_t>(index)].separator;
}

void MenuView::Layout(int screen_width, int screen_height) {
  int widest = static_cast<int>(FrameCaption(menu_.title).size()) + 4;
  widest = std::max(widest, static_cast<int>(FrameCaption(menu_.bottom).size()) + 4);
  for (const Label& label : labels_) {
    widest = std::max(widest, static_cast<int>(label.text.size()) + kChromeColumns);
  }
  box_.width = std::clamp(widest, std::min(12, screen_width), std::max(screen_width, 1));
  int rows = static_cast<int>(menu_.items.size()) + 2;
  box_.height = std::clamp(rows, std::min(3, screen_height), std::max(screen_height, 1));
  box_.x = std::max((screen_width - box_.width) / 2, 0);
  box_.y = std::max((screen_height - box_.height) / 2, 0);
  KeepCursorVisible();
}

void MenuView::KeepCursorVisible() {
  int rows = VisibleRows();
  if (cursor_ >= 0) {
    if (cursor_ < top_) top_ = cursor_;
    if (cursor_ >= top_ + rows) top_ = cursor_ - rows + 1;
  }
  int last_top = std::max(static_cast<int>(menu_.items.size()) - rows, 0);
  top_ = std::clamp(top_, 0, last_top);
}

void MenuView::PlaceCursor(int index, int direction) {
  int count = static_cast<int>(menu_.items.size());
  for (int i = index; i >= 0 && i < count; i += direction) {
    if (Selectable(i)) {
      cursor_ = i;
      KeepCursorVisible();
      return;
    }
  }
}

void MenuView::Step(int step, bool wrap) {
  int count = static_cast<int>(menu_.items.size());
  if (cursor_ < 0 || count == 0) return;
  int direction = step > 0 ? 1 : -1;
  for (int moved = 0, i = cursor_; moved < count; ++moved) {
    i += direction;
    if (i < 0 || i >= count) {
      if (!wrap) return;
      i = (i + count) % count;
    }
    if (Selectable(i)) {
      cursor_ = i;
      KeepCursorVisible();
      return;
    }
  }
}

Reaction MenuView::Choose(int index, int break_code) {
  choice_ = MenuChoice{index, break_code};
  return Reaction::kClose;
}

int MenuView::HotkeyItem(wchar_t ch) const {
  for (int i = 0; i < static_cast<int>(labels_.size()); ++i) {
    if (Selectable(i) && SameHotkey(labels_[static_cast<size_t>(i)].hotkey(), ch)) return i;
  }
  return -1;
}

Reaction MenuView::HandleKey(const Key& key) {
  int break_key = BreakKeyOf(key);
  for (size_t i = 0; break_key && i < menu_.break_keys.size(); ++i) {
    if (menu_.break_keys[i] == break_key) return Choose(cursor_, static_cast<int>(i));
  }
  bool wrap = menu_.flags & FMENU_WRAPMODE;
  int page = VisibleRows() - 1;
  int count = static_cast<int>(menu_.items.size());
  if (key.Is(KeyCode::kUp)) Step(-1, wrap);
  else if (key.Is(KeyCode::kDown)) Step(1, wrap);
  else if (key.Is(KeyCode::kHome)) PlaceCursor(0, 1);
  else if (key.Is(KeyCode::kEnd)) PlaceCursor(count - 1, -1);
  else if (key.Is(KeyCode::kPageUp)) PlaceCursor(std::max(cursor_ - page, 0), 1);
  else if (key.Is(KeyCode::kPageDown)) PlaceCursor(std::min(cursor_ + page, count - 1), -1);
  else if (key.Is(KeyCode::kEnter)) return Choose(cursor_, -1);
  else if (key.Is(KeyCode::kEsc) || key.Is(KeyCode::kF10)) return Choose(-1, -1);
  else if (key.Is(KeyCode::kF1)) return Reaction::kHelp;
  else if (key.code == KeyCode::kChar && !key.ctrl) {
    int item = HotkeyItem(key.ch);
    if (item < 0) return Reaction::kNone;
    cursor_ = item;
    return Choose(item, -1);
  } else {
    return Reaction::kNone;
  }
  return Reaction::kRedraw;
}

void MenuView::Render(CellGrid& grid) const {
  grid.Fill(box_, L' ', Role::kMenu);
  grid.Frame(box_, Line::kDouble, Role::kMenu);
  auto caption = [&](const std::string& text, int y) {
    std::wstring wide = FrameCaption(text);
    int width = std::min(static_cast<int>(wide.size()), box_.width - 2);
    grid.Text(box_.x + (box_.width - width) / 2, y, wide, Role::kMenu, width);
  };
  caption(menu_.title, box_.y);
  caption(menu_.bottom, box_.bottom());

  int rows = VisibleRows();
  int inner = box_.width - 2;
  for (int row = 0; row < rows; ++row) {
    int index = top_ + row;
    if (index >= static_cast<int>(menu_.items.size())) break;
    int y = box_.y + 1 + row;
    const MenuEntry& entry = menu_.items[static_cast<size_t>(index)];
    if (entry.separator) {
      grid.Separator(box_.x, box_.right(), y, Line::kDouble, Role::kMenu);
      continue;
    }
    bool under_cursor = index == cursor_;
    Role body = under_cursor ? Role::kMenuCursor : Role::kMenu;
    Role hotkey = under_cursor ? Role::kMenuCursorHotkey : Role::kMenuHotkey;
    grid.Fill(Rect{box_.x + 1, y, inner, 1}, L' ', body);
    if (entry.checked) grid.Put(box_.x + 2, y, kCheckMark, body);
    const Label& label = labels_[static_cast<size_t>(index)];
    grid.Text(box_.x + 3, y, label.text, body, inner - 3);
    if (label.hotkey_pos >= 0 && label.hotkey_pos < inner - 3) {
      grid.Put(box_.x + 3 + label.hotkey_pos, y, label.hotkey(), hotkey);
    }
  }
  grid.HideCursor();
}

}  // namespace host::tui
