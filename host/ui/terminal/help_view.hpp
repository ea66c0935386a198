// The help window: one topic of the help file in a frame, scrolled with the
// arrows and page keys, closed with Esc. A topic the file lacks shows a
// line saying so, never an empty window.
#pragma once

#include <string>
#include <vector>

#include "host/ui/terminal/help_file.hpp"
#include "host/ui/terminal/view.hpp"

namespace host::tui {

class HelpView : public View {
 public:
  HelpView(const HelpFile& file, const std::string& topic);

  int top() const { return top_; }
  const Rect& frame() const { return frame_; }

  void Layout(int screen_width, int screen_height) override;
  void Render(CellGrid& grid) const override;
  Reaction HandleKey(const Key& key) override;

 private:
  int VisibleRows() const { return std::max(frame_.height - 2, 1); }
  int LastTop() const { return std::max(static_cast<int>(rows_.size()) - VisibleRows(), 0); }

  std::string title_;
  std::vector<std::string> lines_;
  std::vector<std::string> rows_;
  Rect frame_;
  int top_ = 0;
};

}  // namespace host::tui
