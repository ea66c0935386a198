// Dialog items: each writes itself into the host's record before the dialog
// is shown, checks what the user entered, and copies the result back into
// the variable it is bound to. Texts and bound variables belong to the
// caller and must outlive the dialog's Run.
#pragma once

#include <memory>
#include <string>

#include "sdk/plugin.hpp"

// Links an edit field's text with one program variable.
class EditBinding {
 public:
  virtual ~EditBinding() = default;
  virtual void Fill(FarDialogItem& record) = 0;
  virtual bool Validate(const FarDialogItem&) { return true; }
  virtual void Store(const FarDialogItem& record) = 0;
};

class DialogItem {
 public:
  DialogItem(int x1, int y1, int x2, int y2, DWORD flags, const char* text)
      : X1(x1), Y1(y1), X2(x2), Y2(y2), Flags(flags), text_(text) {}
  virtual ~DialogItem() = default;

  // Every kind sets Type, then lets the base write the common fields.
  virtual void Fill(FarDialogItem& record);
  virtual bool Validate(const FarDialogItem&) { return true; }
  virtual void Store(const FarDialogItem&) {}

  int X1, Y1, X2, Y2;
  DWORD Flags;

 protected:
  const char* text_;  // not owned; may be null
};

class BoxItem : public DialogItem {
 public:
  BoxItem(int is_double, int x1, int y1, int x2, int y2, DWORD flags, const char* title)
      : DialogItem(x1, y1, x2, y2, flags, title), double_(is_double) {}
  void Fill(FarDialogItem& record) override;

 private:
  int double_;
};

class TextItem : public DialogItem {
 public:
  TextItem(int x1, int y1, DWORD flags, const char* text) : DialogItem(x1, y1, 0, 0, flags, text) {}
  TextItem(int x1, int y1, DWORD flags, int message);
  void Fill(FarDialogItem& record) override;
};

class ButtonItem : public DialogItem {
 public:
  ButtonItem(int x1, int y1, DWORD flags, int is_default, int message);
  void Fill(FarDialogItem& record) override;

 private:
  int default_;
};

class CheckBoxItem : public DialogItem {
 public:
  CheckBoxItem(int x1, int y1, DWORD flags, const char* text, int* variable)
      : DialogItem(x1, y1, 0, 0, flags, text), variable_(variable) {}
  CheckBoxItem(int x1, int y1, DWORD flags, int message, int* variable);
  void Fill(FarDialogItem& record) override;
  void Store(const FarDialogItem& record) override;

 private:
  int* variable_;
};

class RadioButtonItem : public DialogItem {
 public:
  RadioButtonItem(int x1, int y1, DWORD flags, int message, int* variable, int value);
  void Fill(FarDialogItem& record) override;
  void Store(const FarDialogItem& record) override;

 private:
  int* variable_;
  int value_;
};

class EditItem : public DialogItem {
 public:
  // kind is DI_EDIT or DI_FIXEDIT; history may be null; binding may be null.
  EditItem(int x1, int y1, int x2, DWORD flags, const char* history,
           std::unique_ptr<EditBinding> binding, int kind = DI_EDIT)
      : DialogItem(x1, y1, x2, y1, flags, nullptr), kind_(kind), history_(history),
        binding_(std::move(binding)) {}
  void Fill(FarDialogItem& record) override;
  bool Validate(const FarDialogItem& record) override;
  void Store(const FarDialogItem& record) override;

 private:
  int kind_;
  const char* history_;
  std::unique_ptr<EditBinding> binding_;
};

// The flags of a text item that draws a separator line across the dialog.
inline constexpr DWORD kSeparatorFlags = DIF_BOXCOLOR | DIF_SEPARATOR;

// Copies text into a record's Data, cut to what the field holds.
void SetRecordData(FarDialogItem& record, const char* text);
