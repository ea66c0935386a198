// Dialog item records as the module's dialog builder fills them, for the
// dialog tests.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "sdk/plugin.hpp"

namespace testing_support {

inline FarDialogItem DialogItem(int type, int x1, int y1, int x2, int y2, const std::string& text,
                                DWORD flags = 0) {
  FarDialogItem item{};
  item.Type = type;
  item.X1 = x1;
  item.Y1 = y1;
  item.X2 = x2;
  item.Y2 = y2;
  item.Flags = flags;
  std::strncpy(item.Data, text.c_str(), sizeof(item.Data) - 1);
  return item;
}

inline FarDialogItem Frame(int width, int height, const std::string& title) {
  return DialogItem(DI_DOUBLEBOX, 3, 1, width - 4, height - 2, title);
}
inline FarDialogItem Text(int x, int y, const std::string& text, DWORD flags = 0) {
  return DialogItem(DI_TEXT, x, y, 0, 0, text, flags);
}
inline FarDialogItem Edit(int x, int y, int x2, const std::string& text, DWORD flags = 0) {
  return DialogItem(DI_EDIT, x, y, x2, 0, text, flags);
}
inline FarDialogItem CheckBox(int x, int y, const std::string& text, int state, DWORD flags = 0) {
  FarDialogItem item = DialogItem(DI_CHECKBOX, x, y, 0, 0, text, flags);
  item.Selected = state;
  return item;
}
inline FarDialogItem Radio(int x, int y, const std::string& text, int state, DWORD flags = 0) {
  FarDialogItem item = DialogItem(DI_RADIOBUTTON, x, y, 0, 0, text, flags);
  item.Selected = state;
  return item;
}
inline FarDialogItem Button(int x, int y, const std::string& text, bool is_default,
                            DWORD flags = 0) {
  FarDialogItem item = DialogItem(DI_BUTTON, x, y, 0, 0, text, flags);
  item.DefaultButton = is_default ? 1 : 0;
  return item;
}

}  // namespace testing_support
