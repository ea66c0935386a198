// Dialog keys, focus, groups, history and drawing.
#include "host/ui/terminal/dialog_view.hpp"

#include <algorithm>
#include <cstring>

#include "host/ui/terminal/dialog_layout.hpp"
#include "host/ui/terminal/menu_view.hpp"

namespace host::tui {

namespace {

constexpr size_t kFieldCapacity = sizeof(FarDialogItem::Data) - 1;

bool IsBox(const FarDialogItem& item) {
  return item.Type == DI_SINGLEBOX || item.Type == DI_DOUBLEBOX;
}

size_t FieldLimit(const FarDialogItem& item) {
  if (item.Type != DI_FIXEDIT) return kFieldCapacity;
  int width = std::clamp(item.X2 - item.X1 + 1, 1, static_cast<int>(kFieldCapacity));
  return static_cast<size_t>(width);
}

wchar_t CheckMark(int state) { return state == 0 ? L' ' : state == 1 ? L'x' : L'?'; }

bool OpensHistory(const Key& key) {
  return key.code == KeyCode::kDown && (key.ctrl || key.alt) && !key.shift;
}

// Tab and Shift+Tab move from group to group (a radio group is one stop);
// the arrows move from item to item, into a radio group too.
bool IsNextGroup(const Key& key) { return key.Is(KeyCode::kTab); }
bool IsPreviousGroup(const Key& key) { return key == Key::Of(KeyCode::kTab).WithShift(); }

bool IsForward(const Key& key, bool in_edit) {
  return key.Is(KeyCode::kDown) || (!in_edit && key.Is(KeyCode::kRight));
}

bool IsBackward(const Key& key, bool in_edit) {
  return key.Is(KeyCode::kUp) || (!in_edit && key.Is(KeyCode::kLeft));
}

}  // namespace

DialogView::DialogView(const Dialog& dialog, DialogHistory* history)
    : items_(dialog.items), x1_(dialog.x1), y1_(dialog.y1), x2_(dialog.x2), y2_(dialog.y2),
      help_topic_(dialog.help_topic), history_(history) {
  int first_focusable = -1;
  for (size_t i = 0; i < items_.size(); ++i) {
    const FarDialogItem& record = items_[i];
    std::string_view data(record.Data, strnlen(record.Data, sizeof(record.Data)));
    ItemState state{EditField(std::string(IsEdit(record) ? data : ""), FieldLimit(record)), 0, {}};
    if (record.Type == DI_CHECKBOX || record.Type == DI_RADIOBUTTON) {
      state.selected = record.Selected;
    }
    if (!IsEdit(record)) state.label = ParseLabel(data, record.Flags & DIF_SHOWAMPERSAND);
    states_.push_back(std::move(state));
    if (!IsFocusable(record)) continue;
    if (first_focusable < 0) first_focusable = static_cast<int>(i);
    if (record.Focus && focus_ < 0) focus_ = static_cast<int>(i);
  }
  if (focus_ < 0) focus_ = first_focusable;
  if (focus_ >= 0 && IsEdit(item(focus_))) states_[static_cast<size_t>(focus_)].field.Focus();
}

bool DialogView::HasHistory(int index) const {
  const FarDialogItem& record = item(index);
  return IsEdit(record) && (record.Flags & DIF_HISTORY) && record.History;
}

void DialogView::Layout(int screen_width, int screen_height) {
  screen_width_ = screen_width;
  screen_height_ = screen_height;
  box_ = PlaceDialog(x1_, y1_, x2_, y2_, screen_width, screen_height);
  places_ = PlaceItems(items_, box_.width);
  scroll_x_ = scroll_y_ = 0;
  KeepFocusVisible();
}

Rect DialogView::ScreenRectOf(int index) const {
  Rect rect = places_[static_cast<size_t>(index)];
  rect.x += box_.x - scroll_x_;
  rect.y += box_.y - scroll_y_;
  return rect;
}

void DialogView::KeepFocusVisible() {
  if (focus_ < 0 || places_.empty()) return;
  Rect rect = ScreenRectOf(focus_);
  int widest = std::min(rect.width + (HasHistory(focus_) ? 1 : 0), screen_width_);
  if (rect.x + widest > screen_width_) scroll_x_ += rect.x + widest - screen_width_;
  if (rect.x < 0) scroll_x_ += rect.x;
  if (rect.y >= screen_height_) scroll_y_ += rect.y - screen_height_ + 1;
  if (rect.y < 0) scroll_y_ += rect.y;
}

void DialogView::SetFocus(int index) {
  if (index == focus_ || index < 0) return;
  focus_ = index;
  if (IsEdit(item(index))) states_[static_cast<size_t>(index)].field.Focus();
  KeepFocusVisible();
}

void DialogView::MoveFocus(int step, bool by_group) {
  int count = static_cast<int>(items_.size());
  if (focus_ < 0) return;
  const int from_group = RadioGroupOf(focus_);
  for (int moved = 1; moved < count; ++moved) {
    int index = ((focus_ + step * moved) % count + count) % count;
    if (!IsFocusable(item(index))) continue;
    const int group = RadioGroupOf(index);
    if (by_group && group >= 0) {
      if (group == from_group) continue;
      index = CheckedRadioOr(group, index);
    }
    SetFocus(index);
    return;
  }
}

int DialogView::RadioGroupOf(int index) const {
  if (item(index).Type != DI_RADIOBUTTON) return -1;
  int first = index;
  while (first > 0 && !(item(first).Flags & DIF_GROUP) && item(first - 1).Type == DI_RADIOBUTTON) {
    --first;
  }
  return first;
}

template <typename Visit>
void DialogView::ForEachRadioOfGroup(int first, Visit visit) const {
  int count = static_cast<int>(items_.size());
  for (int i = first; i < count && item(i).Type == DI_RADIOBUTTON; ++i) {
    if (i > first && (item(i).Flags & DIF_GROUP)) break;
    visit(i);
  }
}

int DialogView::CheckedRadioOr(int group, int fallback) const {
  int checked = fallback;
  ForEachRadioOfGroup(group, [&](int i) {
    if (states_[static_cast<size_t>(i)].selected) checked = i;
  });
  return checked;
}

void DialogView::SelectRadio(int index) {
  ForEachRadioOfGroup(RadioGroupOf(index), [&](int i) {
    states_[static_cast<size_t>(i)].selected = i == index ? 1 : 0;
  });
}

Reaction DialogView::CloseThrough(int index) {
  result_ = index;
  if (index >= 0 && history_) {
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
      if (!HasHistory(i)) continue;
      history_->Add(item(i).History, states_[static_cast<size_t>(i)].field.text());
    }
  }
  return Reaction::kClose;
}

Reaction DialogView::Activate(int index) {
  ItemState& state = states_[static_cast<size_t>(index)];
  switch (item(index).Type) {
    case DI_CHECKBOX:
      state.selected = (item(index).Flags & DIF_3STATE) ? (state.selected + 1) % 3
                                                        : (state.selected ? 0 : 1);
      return Reaction::kRedraw;
    case DI_RADIOBUTTON:
      SelectRadio(index);
      return Reaction::kRedraw;
    case DI_BUTTON:
      return CloseThrough(index);
    default:
      return Reaction::kNone;
  }
}

Reaction DialogView::Hotkey(wchar_t ch) {
  int count = static_cast<int>(items_.size());
  for (int i = 0; i < count; ++i) {
    if (!SameHotkey(states_[static_cast<size_t>(i)].label.hotkey(), ch)) continue;
    if (IsFocusable(item(i))) {
      SetFocus(i);
      Reaction reaction = Activate(i);
      return reaction == Reaction::kNone ? Reaction::kRedraw : reaction;
    }
    // A label's hotkey leads to the field that follows it.
    for (int next = i + 1; next < count; ++next) {
      if (IsFocusable(item(next))) {
        SetFocus(next);
        return Reaction::kRedraw;
      }
    }
  }
  return Reaction::kNone;
}

int DialogView::DefaultButton() const {
  for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
    if (item(i).Type == DI_BUTTON && item(i).DefaultButton) return i;
  }
  return -1;
}

Reaction DialogView::HandleKey(const Key& key) {
  if (key.Is(KeyCode::kF1)) return Reaction::kHelp;
  if (key.Is(KeyCode::kEsc) || key.Is(KeyCode::kF10)) return CloseThrough(-1);
  bool in_edit = focus_ >= 0 && IsEdit(item(focus_));
  if (in_edit && OpensHistory(key) && HasHistory(focus_)) return Reaction::kPopup;
  if (key.Is(KeyCode::kEnter)) {
    if (focus_ >= 0 && item(focus_).Type == DI_BUTTON) return CloseThrough(focus_);
    int fallback = DefaultButton();
    return CloseThrough(fallback >= 0 ? fallback : focus_);
  }
  if (in_edit && states_[static_cast<size_t>(focus_)].field.HandleKey(key)) {
    return Reaction::kRedraw;
  }
  if (key.code == KeyCode::kChar && key.alt && !key.ctrl) return Hotkey(key.ch);
  if (!in_edit && key.IsText()) {
    if (key.ch == L' ' && focus_ >= 0) return Activate(focus_);
    return Hotkey(key.ch);
  }
  if (IsNextGroup(key) || IsForward(key, in_edit)) {
    MoveFocus(1, IsNextGroup(key));
    return Reaction::kRedraw;
  }
  if (IsPreviousGroup(key) || IsBackward(key, in_edit)) {
    MoveFocus(-1, IsPreviousGroup(key));
    return Reaction::kRedraw;
  }
  return Reaction::kNone;
}

std::unique_ptr<View> DialogView::TakePopup() {
  if (focus_ < 0 || !HasHistory(focus_) || !history_) return nullptr;
  offered_history_ = history_->Entries(item(focus_).History);
  if (offered_history_.empty()) return nullptr;
  Menu menu{.flags = FMENU_WRAPMODE | FMENU_SHOWAMPERSAND, .title = "History"};
  for (const std::string& entry : offered_history_) menu.items.push_back(MenuEntry{.text = entry});
  return std::make_unique<MenuView>(std::move(menu));
}

void DialogView::PopupClosed(View& popup) {
  auto* menu = dynamic_cast<MenuView*>(&popup);
  if (!menu || focus_ < 0) return;
  int index = menu->choice().index;
  if (index < 0 || index >= static_cast<int>(offered_history_.size())) return;
  ItemState& state = states_[static_cast<size_t>(focus_)];
  state.field.SetText(offered_history_[static_cast<size_t>(index)]);
  state.field.Focus();
}

void DialogView::WriteBack() const {
  for (size_t i = 0; i < items_.size(); ++i) {
    FarDialogItem& record = items_[i];
    record.Focus = static_cast<int>(i) == focus_ ? 1 : 0;
    if (IsEdit(record)) {
      const std::string& text = states_[i].field.text();
      size_t length = std::min(text.size(), kFieldCapacity);
      std::memcpy(record.Data, text.data(), length);
      record.Data[length] = '\0';
    } else if (record.Type == DI_CHECKBOX || record.Type == DI_RADIOBUTTON) {
      record.Selected = states_[i].selected;
    }
  }
}

void DialogView::Render(CellGrid& grid) const {
  BoxPalette palette = DialogPalette();
  Rect area{box_.x - scroll_x_, box_.y - scroll_y_, box_.width, box_.height};
  grid.Fill(area, L' ', palette.body);
  grid.HideCursor();
  for (int i = 0; i < static_cast<int>(items_.size()); ++i) RenderItem(grid, i);
}

void DialogView::RenderItem(CellGrid& grid, int index) const {
  BoxPalette palette = DialogPalette();
  const FarDialogItem& record = item(index);
  const ItemState& state = states_[static_cast<size_t>(index)];
  const Label& label = state.label;
  Rect rect = ScreenRectOf(index);
  bool focused = index == focus_;
  Role body = focused && record.Type == DI_BUTTON ? palette.focus : palette.body;
  Role hotkey = focused && record.Type == DI_BUTTON ? palette.focus_hotkey : palette.hotkey;

  auto draw_label = [&](int x, const std::wstring& before, const std::wstring& after) {
    grid.Text(x, rect.y, before + label.text + after, body);
    if (label.hotkey_pos >= 0) {
      grid.Put(x + static_cast<int>(before.size()) + label.hotkey_pos, rect.y, label.hotkey(),
               hotkey);
    }
  };

  if (IsBox(record)) {
    grid.Frame(rect, record.Type == DI_DOUBLEBOX ? Line::kDouble : Line::kSingle, body);
    if (!label.text.empty()) {
      int width = static_cast<int>(label.text.size()) + 2;
      draw_label(rect.x + (rect.width - width) / 2, L" ", L" ");
    }
  } else if (IsSeparator(record)) {
    bool double_frame = std::any_of(items_.begin(), items_.end(), [](const FarDialogItem& i) {
      return i.Type == DI_DOUBLEBOX;
    });
    grid.Separator(rect.x, rect.right(), rect.y, double_frame ? Line::kDouble : Line::kSingle,
                   body);
    if (!label.text.empty()) {
      int width = static_cast<int>(label.text.size()) + 2;
      draw_label(rect.x + (rect.width - width) / 2, L" ", L" ");
    }
  } else if (IsEdit(record)) {
    state.field.Render(grid, rect.x, rect.y, rect.width, Role::kDialogEdit,
                       Role::kDialogEditMarked, focused);
    if (HasHistory(index)) grid.Put(rect.right() + 1, rect.y, L'↓', palette.body);
  } else if (record.Type == DI_BUTTON) {
    bool brackets = !(record.Flags & DIF_NOBRACKETS);
    draw_label(rect.x, brackets ? L"[ " : L"", brackets ? L" ]" : L"");
  } else if (record.Type == DI_CHECKBOX) {
    draw_label(rect.x, std::wstring(L"[") + CheckMark(state.selected) + L"] ", L"");
    if (focused) grid.PlaceCursor(rect.x + 1, rect.y);
  } else if (record.Type == DI_RADIOBUTTON) {
    draw_label(rect.x, std::wstring(L"(") + (state.selected ? L'•' : L' ') + L") ", L"");
    if (focused) grid.PlaceCursor(rect.x + 1, rect.y);
  } else if (static_cast<int>(label.text.size()) > rect.width) {
    grid.Text(rect.x, rect.y, ClipWithEllipsis(label.text, rect.width), body);
  } else {
    draw_label(rect.x, L"", L"");
  }
}

}  // namespace host::tui
