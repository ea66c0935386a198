// Dialogs assembled from items bound to variables. Run shows the dialog
// through the host, checks every field, and writes the variables back only
// when the dialog was accepted and every field passed. Items are addressed
// by the index their Add returned, never by a position counted by hand, so
// adding an item cannot change which item gets the focus or closes.
#pragma once

#include <initializer_list>
#include <memory>
#include <vector>

#include "module/dialogs/dialog_item.hpp"

class DialogBuilder {
 public:
  // A dialog of the given size, centred on the screen.
  DialogBuilder(int width, int height, const char* help_topic);
  // An explicit placement; -1 in x1 or y1 centres along that axis, and the
  // matching x2 or y2 is then the width or height.
  DialogBuilder(int x1, int y1, int x2, int y2, const char* help_topic);

  // Appends an item and takes it over; returns its index (from 0).
  int AddItem(std::unique_ptr<DialogItem> item);
  template <typename Item, typename... Args>
  int Add(Args&&... args) {
    return AddItem(std::make_unique<Item>(std::forward<Args>(args)...));
  }
  // The double frame, always item 0 of the module's dialogs.
  void AddFrame(int title_message);
  void AddFrame(const char* title);
  // Two centred buttons on the row above the frame's bottom; the first is
  // the default button and accepts the dialog in Run(). Returns the first
  // one's index; the second follows it.
  int AddOkCancel(int first_message, int second_message);
  void SetFocus(int index);
  int ItemCount() const { return static_cast<int>(items_.size()); }

  // Only the first button of AddOkCancel accepts: returns 0 then, the
  // closing item's index for any other item, or the host's negative value
  // for Esc.
  int Run();
  // The listed items (indexes from Add) accept: returns the position in the
  // list of the closing item, -1 for an item not in the list, or the host's
  // negative value for Esc.
  int Run(std::initializer_list<int> exit_items);

 private:
  int RunWith(const std::vector<int>& exits, bool single_exit);
  int MapExit(int closing, const std::vector<int>& exits, bool single_exit) const;
  int FirstInvalid(const std::vector<FarDialogItem>& records) const;

  int x1_, y1_, x2_, y2_;
  int focus_ = 0;
  int ok_item_ = -1;  // the first button of AddOkCancel
  const char* help_topic_;
  std::vector<std::unique_ptr<DialogItem>> items_;
};
