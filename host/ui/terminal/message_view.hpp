// A message box: the title in the frame, the lines (a line holding only
// "\x01" is a separator; long lines wrap), and a row of buttons; warning
// colours with FMSG_WARNING. A box without buttons is a progress box: it is
// only ever drawn, never run.
#pragma once

#include <vector>

#include "host/ui/terminal/oem_text.hpp"
#include "host/ui/terminal/view.hpp"
#include "host/ui/ui.hpp"

namespace host::tui {

class MessageView : public View {
 public:
  explicit MessageView(MessageBox box);

  // The chosen button, or -1 (Esc); valid once the view has closed.
  int result() const { return result_; }
  int focus() const { return focus_; }
  const Rect& frame() const { return frame_; }

  void Layout(int screen_width, int screen_height) override;
  void Render(CellGrid& grid) const override;
  Reaction HandleKey(const Key& key) override;
  std::string help_topic() const override { return box_.help_topic; }

 private:
  struct Row {
    std::wstring text;
    bool separator = false;
  };

  int ButtonsWidth() const;

  MessageBox box_;
  std::vector<Label> buttons_;
  std::vector<Row> rows_;
  Rect area_;   // the box with its margins
  Rect frame_;  // the frame inside them
  int focus_ = 0;
  int result_ = -1;
};

// Breaks a line into rows of at most `width` columns, at a space where one
// is near enough.
std::vector<std::wstring> WrapLine(const std::wstring& line, int width);

}  // namespace host::tui
