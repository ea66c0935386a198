// A menu of the module's: title and bottom line in the frame, separators,
// check marks, hotkeys ('&' in a text, or given automatically with
// FMENU_AUTOHIGHLIGHT), cursor movement that wraps with FMENU_WRAPMODE, and
// the break keys that close it reporting which one was pressed.
#pragma once

#include <vector>

#include "host/ui/terminal/oem_text.hpp"
#include "host/ui/terminal/view.hpp"
#include "host/ui/ui.hpp"

namespace host::tui {

class MenuView : public View {
 public:
  explicit MenuView(Menu menu);

  // Valid once the view has closed.
  MenuChoice choice() const { return choice_; }
  int cursor() const { return cursor_; }
  const Rect& box() const { return box_; }

  void Layout(int screen_width, int screen_height) override;
  void Render(CellGrid& grid) const override;
  Reaction HandleKey(const Key& key) override;
  std::string help_topic() const override { return menu_.help_topic; }

 private:
  bool Selectable(int index) const;
  void Step(int step, bool wrap);
  void PlaceCursor(int index, int direction);
  int VisibleRows() const { return std::max(box_.height - 2, 1); }
  void KeepCursorVisible();
  Reaction Choose(int index, int break_code);
  int HotkeyItem(wchar_t ch) const;

  Menu menu_;
  std::vector<Label> labels_;
  int cursor_ = -1;  // -1: nothing can be chosen
  int top_ = 0;
  Rect box_;
  MenuChoice choice_;
};

}  // namespace host::tui
