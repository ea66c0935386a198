// Edit-field bindings: a text setting, a one-character setting, and a
// number with an inclusive range.
#pragma once

#include <optional>
#include <string>

#include "module/dialogs/dialog_item.hpp"

class StringBinding : public EditBinding {
 public:
  explicit StringBinding(std::string* variable) : variable_(variable) {}
  void Fill(FarDialogItem& record) override;
  void Store(const FarDialogItem& record) override;

 private:
  std::string* variable_;
};

class CharBinding : public EditBinding {
 public:
  explicit CharBinding(char* variable) : variable_(variable) {}
  void Fill(FarDialogItem& record) override;
  void Store(const FarDialogItem& record) override;

 private:
  char* variable_;
};

class IntBinding : public EditBinding {
 public:
  // error_message is a message number whose text takes the minimum and the
  // maximum, in that order; the warning carries the dialog's title.
  IntBinding(int* variable, int minimum, int maximum, int title_message, int error_message,
             const char* help_topic);
  void Fill(FarDialogItem& record) override;
  bool Validate(const FarDialogItem& record) override;
  void Store(const FarDialogItem& record) override;

 private:
  int* variable_;
  int minimum_;
  int maximum_;
  int title_message_;
  const char* error_format_;
  const char* help_topic_;
};

// Reads a number the way users type them: 0x1F, 0X1f, decimal with an
// optional sign (010 is ten), $ff; text after the number is ignored. Empty
// or blank text, a bare prefix, and values beyond int give nothing.
std::optional<int> ReadDialogNumber(const char* text);

// The warning shown for a number that is unreadable or out of range.
void ShowInvalidNumber(const char* text, const char* help_topic);
