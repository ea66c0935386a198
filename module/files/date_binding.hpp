// An edit field bound to a date setting kept as the two 32-bit halves of a
// FILETIME. Dates read "day.month.year [hour[:minute[:second]]]", with "."
// or "/" between the date's parts.
#pragma once

#include "module/dialogs/dialog_item.hpp"

class DateBinding : public EditBinding {
 public:
  DateBinding(int* low, int* high) : low_(low), high_(high) {}
  void Fill(FarDialogItem& record) override;
  bool Validate(const FarDialogItem& record) override;
  void Store(const FarDialogItem& record) override;

 private:
  int* low_;
  int* high_;
  FILETIME pending_{};  // written by Validate, copied by Store
};

// Reads a typed date; false when it does not have the form or is no
// calendar time.
bool ParseDate(const char* text, FILETIME* time);
