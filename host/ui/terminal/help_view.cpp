// Help window layout, scrolling and drawing.
#include "host/ui/terminal/help_view.hpp"

#include <algorithm>

#include "host/ui/terminal/oem_text.hpp"

namespace host::tui {

namespace {

constexpr int kWidestWindow = 76;

}  // namespace

HelpView::HelpView(const HelpFile& file, const std::string& topic) {
  if (const HelpTopic* page = file.Find(topic)) {
    // A topic's name is the program's, not a person's: an untitled page is
    // just "Help".
    title_ = page->title.empty() ? "Help" : page->title;
    lines_ = page->lines;
  } else {
    title_ = "Help";
    lines_ = {"There is no help page \"" + topic + "\"."};
  }
}

void HelpView::Layout(int screen_width, int screen_height) {
  int width = std::min(kWidestWindow, screen_width);
  rows_ = FlowHelpText(lines_, std::max(width - 4, 1));
  int height = std::min(static_cast<int>(rows_.size()) + 2, std::max(screen_height - 2, 3));
  height = std::min(height, screen_height);
  frame_ = Rect{std::max((screen_width - width) / 2, 0), std::max((screen_height - height) / 2, 0),
                width, height};
  top_ = std::min(top_, LastTop());
}

Reaction HelpView::HandleKey(const Key& key) {
  int page = VisibleRows() - 1;
  int before = top_;
  if (key.Is(KeyCode::kEsc) || key.Is(KeyCode::kF10) || key.Is(KeyCode::kEnter)) {
    return Reaction::kClose;
  }
  if (key.Is(KeyCode::kUp)) top_ -= 1;
  else if (key.Is(KeyCode::kDown)) top_ += 1;
  else if (key.Is(KeyCode::kPageUp)) top_ -= std::max(page, 1);
  else if (key.Is(KeyCode::kPageDown)) top_ += std::max(page, 1);
  else if (key.Is(KeyCode::kHome)) top_ = 0;
  else if (key.Is(KeyCode::kEnd)) top_ = LastTop();
  top_ = std::clamp(top_, 0, LastTop());
  return top_ == before ? Reaction::kNone : Reaction::kRedraw;
}

void HelpView::Render(CellGrid& grid) const {
  grid.Fill(frame_, L' ', Role::kHelp);
  grid.Frame(frame_, Line::kDouble, Role::kHelp);
  std::wstring title = L" " + OemToWide(title_) + L" ";
  int title_width = std::min(static_cast<int>(title.size()), frame_.width - 2);
  grid.Text(frame_.x + (frame_.width - title_width) / 2, frame_.y, title, Role::kHelpTitle,
            title_width);
  for (int row = 0; row < VisibleRows(); ++row) {
    size_t index = static_cast<size_t>(top_ + row);
    if (index >= rows_.size()) break;
    grid.Text(frame_.x + 2, frame_.y + 1 + row, OemToWide(rows_[index]), Role::kHelp,
              frame_.width - 4);
  }
  grid.HideCursor();
}

}  // namespace host::tui
