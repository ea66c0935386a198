// Message box layout, keys and drawing.
#include "host/ui/terminal/message_view.hpp"

#include <algorithm>

#include "host/ui/shown_text.hpp"

namespace host::tui {

namespace {

constexpr int kMarginX = 3;  // columns between the box's edge and its frame
constexpr int kMarginY = 1;
constexpr int kPadding = 1;  // columns between the frame and the text

BoxPalette PaletteOf(const MessageBox& box) {
  return (box.flags & FMSG_WARNING) ? WarningPalette() : DialogPalette();
}

}  // namespace

std::vector<std::wstring> WrapLine(const std::wstring& line, int width) {
  width = std::max(width, 1);
  std::vector<std::wstring> rows;
  std::wstring rest = line;
  while (static_cast<int>(rest.size()) > width) {
    size_t cut = rest.rfind(L' ', static_cast<size_t>(width));
    if (cut == std::wstring::npos || cut < static_cast<size_t>(width) / 2) {
      cut = static_cast<size_t>(width);
    }
    rows.push_back(rest.substr(0, cut));
    rest.erase(0, rest[cut] == L' ' ? cut + 1 : cut);
  }
  rows.push_back(rest);
  return rows;
}

MessageView::MessageView(MessageBox box) : box_(std::move(box)) {
  for (const std::string& button : box_.buttons) buttons_.push_back(ParseLabel(button));
}

int MessageView::ButtonsWidth() const {
  int width = -1;
  for (const Label& label : buttons_) width += static_cast<int>(label.text.size()) + 5;
  return std::max(width, 0);
}

void MessageView::Layout(int screen_width, int screen_height) {
  int chrome = 2 * (kMarginX + kPadding + 1);
  int text_width = std::max(screen_width - chrome, 4);
  rows_.clear();
  for (const std::string& line : box_.lines) {
    if (line == "\x01") {
      rows_.push_back(Row{{}, true});
      continue;
    }
    for (std::wstring& row : WrapLine(Utf8ToWide(ShownLine(line)), text_width))
      rows_.push_back(Row{row});
  }
  int content = std::max(ButtonsWidth(), static_cast<int>(OemToWide(box_.title).size()) + 2);
  for (const Row& row : rows_) content = std::max(content, static_cast<int>(row.text.size()));
  content = std::min(content, text_width);

  int rows = static_cast<int>(rows_.size()) + (buttons_.empty() ? 0 : 1);
  area_.width = content + chrome;
  area_.height = rows + 2 * (kMarginY + 1);
  area_.x = std::max((screen_width - area_.width) / 2, 0);
  area_.y = std::max((screen_height - area_.height) / 2, 0);
  frame_ = Rect{area_.x + kMarginX, area_.y + kMarginY, area_.width - 2 * kMarginX,
                area_.height - 2 * kMarginY};
}

Reaction MessageView::HandleKey(const Key& key) {
  int count = static_cast<int>(buttons_.size());
  if (key.Is(KeyCode::kEsc) || key.Is(KeyCode::kF10)) {
    result_ = -1;
    return Reaction::kClose;
  }
  if (key.Is(KeyCode::kF1)) return Reaction::kHelp;
  if (count == 0) return Reaction::kNone;
  if (key.Is(KeyCode::kEnter) || (key.IsText() && key.ch == L' ')) {
    result_ = focus_;
    return Reaction::kClose;
  }
  if (key.Is(KeyCode::kRight) || key.Is(KeyCode::kTab) || key.Is(KeyCode::kDown)) {
    focus_ = (focus_ + 1) % count;
    return Reaction::kRedraw;
  }
  if (key.Is(KeyCode::kLeft) || key == Key::Of(KeyCode::kTab).WithShift() ||
      key.Is(KeyCode::kUp)) {
    focus_ = (focus_ + count - 1) % count;
    return Reaction::kRedraw;
  }
  if (key.code == KeyCode::kChar && !key.ctrl) {
    for (int i = 0; i < count; ++i) {
      if (SameHotkey(buttons_[static_cast<size_t>(i)].hotkey(), key.ch)) {
        focus_ = result_ = i;
        return Reaction::kClose;
      }
    }
  }
  return Reaction::kNone;
}

void MessageView::Render(CellGrid& grid) const {
  BoxPalette palette = PaletteOf(box_);
  grid.Fill(area_, L' ', palette.body);
  grid.Frame(frame_, Line::kDouble, palette.body);
  std::wstring title = box_.title.empty() ? L"" : L" " + OemToWide(box_.title) + L" ";
  int title_width = std::min(static_cast<int>(title.size()), frame_.width - 2);
  grid.Text(frame_.x + (frame_.width - title_width) / 2, frame_.y, title, palette.body,
            title_width);

  int left = frame_.x + 1 + kPadding;
  int width = frame_.width - 2 - 2 * kPadding;
  int y = frame_.y + 1;
  for (const Row& row : rows_) {
    if (row.separator) {
      grid.Separator(frame_.x, frame_.right(), y++, Line::kDouble, palette.body);
      continue;
    }
    int shown = std::min(static_cast<int>(row.text.size()), width);
    int x = (box_.flags & FMSG_LEFTALIGN) ? left : left + (width - shown) / 2;
    grid.Text(x, y++, row.text, palette.body, shown);
  }
  grid.HideCursor();
  if (buttons_.empty()) return;

  int x = left + std::max((width - ButtonsWidth()) / 2, 0);
  for (size_t i = 0; i < buttons_.size(); ++i) {
    bool focused = static_cast<int>(i) == focus_;
    Role body = focused ? palette.focus : palette.body;
    const Label& label = buttons_[i];
    std::wstring text = L"[ " + label.text + L" ]";
    grid.Text(x, y, text, body);
    if (label.hotkey_pos >= 0) {
      grid.Put(x + 2 + label.hotkey_pos, y, label.hotkey(),
               focused ? palette.focus_hotkey : palette.hotkey);
    }
    x += static_cast<int>(text.size()) + 1;
  }
}

}  // namespace host::tui
