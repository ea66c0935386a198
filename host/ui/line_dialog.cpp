// Module dialogs as lines of text. The module lays out a label (a text item)
// right before the edit field it names, and a check box without a label of
// its own right before the button that says what it switches on; the lines
// join them the same way.
#include "host/ui/line_dialog.hpp"

#include <cstring>

namespace host {

namespace {

std::string DataOf(const FarDialogItem& item) {
  return std::string(item.Data, strnlen(item.Data, sizeof item.Data));
}

bool IsEdit(const FarDialogItem& item) {
  return item.Type == DI_EDIT || item.Type == DI_FIXEDIT || item.Type == DI_PSWEDIT;
}

bool IsSeparator(const FarDialogItem& item) {
  return item.Type == DI_TEXT && ((item.Flags & DIF_SEPARATOR) || item.Data[0] == '\0');
}

std::string EditLine(const FarDialogItem& item, const std::string& label) {
  std::string value = DataOf(item);
  if (item.Type == DI_PSWEDIT) value.assign(value.size(), '*');
  return "  " + (label.empty() ? std::string() : label + " ") + "[" + value + "]";
}

std::string CheckBoxLine(std::span<const FarDialogItem> items, size_t index) {
  const FarDialogItem& item = items[index];
  std::string label = WithoutHotKeyMarks(DataOf(item));
  if (label.empty() && index + 1 < items.size() && items[index + 1].Type == DI_BUTTON)
    label = WithoutHotKeyMarks(DataOf(items[index + 1]));
  const char* mark = item.Selected == 0 ? "[ ] " : item.Selected == 1 ? "[x] " : "[?] ";
  return "  " + std::string(mark) + label;
}

std::string RadioLine(const FarDialogItem& item) {
  return std::string(item.Selected ? "  (*) " : "  ( ) ") + WithoutHotKeyMarks(DataOf(item));
}

}  // namespace

std::string WithoutHotKeyMarks(const std::string& label) {
  std::string plain;
  for (size_t i = 0; i < label.size(); i++) {
    if (label[i] != '&') {
      plain += label[i];
    } else if (i + 1 < label.size() && label[i + 1] == '&') {
      plain += '&';  // "&&" shows one ampersand
      i++;
    }
  }
  return plain;
}

std::string DialogTitle(std::span<const FarDialogItem> items) {
  if (items.empty() || (items[0].Type != DI_DOUBLEBOX && items[0].Type != DI_SINGLEBOX))
    return std::string();
  return WithoutHotKeyMarks(DataOf(items[0]));
}

std::vector<std::string> DialogFieldLines(std::span<const FarDialogItem> items) {
  std::vector<std::string> lines;
  std::string label;  // a text item waiting for the edit field it names
  auto flush_label = [&] {
    if (!label.empty()) lines.push_back("  " + label);
    label.clear();
  };
  for (size_t i = 0; i < items.size(); i++) {
    const FarDialogItem& item = items[i];
    if (IsSeparator(item)) {
      flush_label();
    } else if (item.Type == DI_TEXT) {
      flush_label();
      label = WithoutHotKeyMarks(DataOf(item));
    } else if (IsEdit(item)) {
      lines.push_back(EditLine(item, label));
      label.clear();
    } else if (item.Type == DI_CHECKBOX) {
      flush_label();
      lines.push_back(CheckBoxLine(items, i));
    } else if (item.Type == DI_RADIOBUTTON) {
      flush_label();
      lines.push_back(RadioLine(item));
    }
  }
  flush_label();
  return lines;
}

int AcceptingItem(std::span<const FarDialogItem> items) {
  int first_button = -1;
  for (size_t i = 0; i < items.size(); i++) {
    if (items[i].Type != DI_BUTTON) continue;
    if (items[i].DefaultButton) return static_cast<int>(i);
    if (first_button < 0) first_button = static_cast<int>(i);
  }
  return first_button;
}

}  // namespace host
