// The item kinds of the dialog builder.
#include "module/dialogs/dialog_item.hpp"

#include <cstring>

#include "module/base/host_access.hpp"

void SetRecordData(FarDialogItem& record, const char* text) {
  size_t length = text ? std::strlen(text) : 0;
  if (length >= sizeof record.Data) length = sizeof record.Data - 1;
  if (length) std::memcpy(record.Data, text, length);
  record.Data[length] = '\0';
}

void DialogItem::Fill(FarDialogItem& record) {
  record.X1 = X1;
  record.Y1 = Y1;
  record.X2 = X2;
  record.Y2 = Y2;
  record.Focus = 0;
  record.Selected = 0;
  record.Flags = Flags;
  record.DefaultButton = 0;
  SetRecordData(record, text_);
}

void BoxItem::Fill(FarDialogItem& record) {
  record.Type = double_ ? DI_DOUBLEBOX : DI_SINGLEBOX;
  DialogItem::Fill(record);
}

TextItem::TextItem(int x1, int y1, DWORD flags, int message)
    : DialogItem(x1, y1, 0, 0, flags, GetMsg(message)) {}

void TextItem::Fill(FarDialogItem& record) {
  record.Type = DI_TEXT;
  DialogItem::Fill(record);
}

ButtonItem::ButtonItem(int x1, int y1, DWORD flags, int is_default, int message)
    : DialogItem(x1, y1, 0, 0, flags, GetMsg(message)), default_(is_default) {}

void ButtonItem::Fill(FarDialogItem& record) {
  record.Type = DI_BUTTON;
  DialogItem::Fill(record);
  record.DefaultButton = default_;
}

CheckBoxItem::CheckBoxItem(int x1, int y1, DWORD flags, int message, int* variable)
    : DialogItem(x1, y1, 0, 0, flags, GetMsg(message)), variable_(variable) {}

void CheckBoxItem::Fill(FarDialogItem& record) {
  record.Type = DI_CHECKBOX;
  DialogItem::Fill(record);
  record.Selected = *variable_;
}

void CheckBoxItem::Store(const FarDialogItem& record) {
  if (Flags & DIF_3STATE)
    *variable_ = record.Selected;
  else
    *variable_ = record.Selected ? 1 : 0;
}

RadioButtonItem::RadioButtonItem(int x1, int y1, DWORD flags, int message, int* variable, int value)
    : DialogItem(x1, y1, 0, 0, flags, GetMsg(message)), variable_(variable), value_(value) {}

void RadioButtonItem::Fill(FarDialogItem& record) {
  record.Type = DI_RADIOBUTTON;
  DialogItem::Fill(record);
  record.Selected = *variable_ == value_ ? 1 : 0;
}

void RadioButtonItem::Store(const FarDialogItem& record) {
  if (record.Selected) *variable_ = value_;
}

void EditItem::Fill(FarDialogItem& record) {
  record.Type = kind_;
  DialogItem::Fill(record);
  record.History = history_;
  if (history_) record.Flags |= DIF_HISTORY;
  if (binding_) binding_->Fill(record);
}

bool EditItem::Validate(const FarDialogItem& record) {
  return binding_ ? binding_->Validate(record) : true;
}

void EditItem::Store(const FarDialogItem& record) {
  if (binding_) binding_->Store(record);
}
