// Running a dialog: fill the host records, show them, map the closing item
// through the exit list, validate, and either store or show the same records
// again (so everything typed stays) with the focus on the failing field.
#include "module/dialogs/dialog_builder.hpp"

#include <cstring>

#include "module/base/host_access.hpp"

namespace {

bool IsAccepted(int mapped, bool single_exit) { return single_exit ? mapped == 0 : mapped >= 0; }

}  // namespace

DialogBuilder::DialogBuilder(int width, int height, const char* help_topic)
    : x1_(-1), y1_(-1), x2_(width), y2_(height), help_topic_(help_topic) {}

DialogBuilder::DialogBuilder(int x1, int y1, int x2, int y2, const char* help_topic)
    : x1_(x1), y1_(y1), x2_(x2), y2_(y2), help_topic_(help_topic) {}

int DialogBuilder::AddItem(std::unique_ptr<DialogItem> item) {
  items_.push_back(std::move(item));
  return ItemCount() - 1;
}

void DialogBuilder::AddFrame(int title_message) { AddFrame(GetMsg(title_message)); }

void DialogBuilder::AddFrame(const char* title) {
  int right = x1_ == -1 ? x2_ - 4 : x2_ - x1_ - 1;
  int bottom = y1_ == -1 ? y2_ - 2 : y2_ - y1_ - 1;
  Add<BoxItem>(1, 3, 1, right, bottom, 0, title);
}

int DialogBuilder::AddOkCancel(int first_message, int second_message) {
  int row = y1_ == -1 ? y2_ - 4 : y2_ - y1_ - 3;
  ok_item_ = Add<ButtonItem>(0, row, DIF_CENTERGROUP, 1, first_message);
  Add<ButtonItem>(0, row, DIF_CENTERGROUP, 0, second_message);
  return ok_item_;
}

void DialogBuilder::SetFocus(int index) {
  if (index >= 0) focus_ = index;
}

int DialogBuilder::Run() { return RunWith({ok_item_}, true); }

int DialogBuilder::Run(std::initializer_list<int> exit_items) { return RunWith(exit_items, false); }

int DialogBuilder::MapExit(int closing, const std::vector<int>& exits, bool single_exit) const {
  if (single_exit) return closing == exits[0] ? 0 : closing;
  for (size_t k = 0; k < exits.size(); k++)
    if (exits[k] == closing) return static_cast<int>(k);
  return -1;
}

int DialogBuilder::FirstInvalid(const std::vector<FarDialogItem>& records) const {
  for (int i = 0; i < ItemCount(); i++)
    if (!items_[i]->Validate(records[i])) return i;
  return -1;
}

int DialogBuilder::RunWith(const std::vector<int>& exits, bool single_exit) {
  const int count = ItemCount();
  std::vector<FarDialogItem> records(count);
  std::memset(records.data(), 0, records.size() * sizeof(FarDialogItem));
  for (int i = 0; i < count; i++) items_[i]->Fill(records[i]);
  if (focus_ < count) records[focus_].Focus = 1;

  for (;;) {
    int closing = StartupInfo.Dialog(StartupInfo.ModuleNumber, x1_, y1_, x2_, y2_, help_topic_,
                                     records.data(), count);
    if (closing < 0) return closing;
    int mapped = MapExit(closing, exits, single_exit);
    if (!IsAccepted(mapped, single_exit)) return mapped;
    int invalid = FirstInvalid(records);
    if (invalid < 0) {
      for (int i = 0; i < count; i++) items_[i]->Store(records[i]);
      return mapped;
    }
    for (FarDialogItem& record : records) record.Focus = 0;
    records[invalid].Focus = 1;
  }
}
