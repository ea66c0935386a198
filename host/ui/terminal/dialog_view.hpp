// The dialog engine: the module's dialog item records, drawn at their
// places, run with the keys a console file-manager user expects, and
// written back into the same records when the dialog closes, the way a
// person fills in the fields. The records are the data; this view holds
// only the editing state between the keys.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/ui/terminal/dialog_history.hpp"
#include "host/ui/terminal/edit_field.hpp"
#include "host/ui/terminal/oem_text.hpp"
#include "host/ui/terminal/view.hpp"
#include "host/ui/ui.hpp"

namespace host::tui {

class DialogView : public View {
 public:
  // The records must outlive the view; history may be null (no history).
  DialogView(const Dialog& dialog, DialogHistory* history);

  // The item that closed the dialog, or -1 for Esc; valid once closed.
  int result() const { return result_; }
  int focus() const { return focus_; }
  const Rect& box() const { return box_; }
  // Where an item is drawn on the screen.
  Rect ScreenRectOf(int item) const;

  // Puts the fields' texts, the check and radio states and the focus into
  // the records.
  void WriteBack() const;

  void Layout(int screen_width, int screen_height) override;
  void Render(CellGrid& grid) const override;
  Reaction HandleKey(const Key& key) override;
  std::string help_topic() const override { return help_topic_; }
  std::unique_ptr<View> TakePopup() override;
  void PopupClosed(View& popup) override;

 private:
  struct ItemState {
    EditField field;   // edit items
    int selected = 0;  // check boxes (0, 1 or 2) and radio buttons
    Label label;
  };

  const FarDialogItem& item(int index) const { return items_[static_cast<size_t>(index)]; }
  bool HasHistory(int index) const;
  void SetFocus(int index);
  // One focusable item on, or with `by_group` one group on: a radio group
  // is entered at its checked button.
  void MoveFocus(int step, bool by_group);
  // The first button of the radio group `index` belongs to; -1 for an item
  // that is no radio button.
  int RadioGroupOf(int index) const;
  template <typename Visit>
  void ForEachRadioOfGroup(int first, Visit visit) const;
  int CheckedRadioOr(int group, int fallback) const;
  void KeepFocusVisible();
  Reaction Activate(int index);
  Reaction CloseThrough(int index);
  Reaction Hotkey(wchar_t ch);
  void SelectRadio(int index);
  int DefaultButton() const;

  void RenderItem(CellGrid& grid, int index) const;

  std::span<FarDialogItem> items_;
  int x1_, y1_, x2_, y2_;
  std::string help_topic_;
  DialogHistory* history_;
  std::vector<ItemState> states_;
  std::vector<Rect> places_;
  Rect box_;
  int scroll_x_ = 0, scroll_y_ = 0;  // how far a dialog larger than the screen is moved
  int screen_width_ = 0, screen_height_ = 0;
  int focus_ = -1;
  int result_ = -1;
  std::vector<std::string> offered_history_;  // what the history popup lists
};

}  // namespace host::tui
