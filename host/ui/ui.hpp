// Everything a person sees or types, as one interface: message boxes, menus,
// dialogs, the module's direct text output, screen save/restore and the
// console input queue. The host turns each service call into one plain
// record and hands it here, so a scripted, a line-based and a full-screen
// implementation differ only in how they answer. All text is code page 866.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "platform/host_bridge.hpp"
#include "sdk/plugin.hpp"

namespace host {

// A message box. The module passes title, lines and buttons as one list;
// the host splits it: the last `buttons` items are the buttons, the first of
// the rest is the title.
struct MessageBox {
  unsigned flags = 0;      // FMSG_*
  std::string help_topic{};  // empty when none was given
  std::string title{};
  std::vector<std::string> lines{};
  std::vector<std::string> buttons{};  // none: a progress box
};

struct MenuEntry {
  std::string text{};
  bool selected = false;
  bool checked = false;
  bool separator = false;
};

struct Menu {
  unsigned flags = 0;  // FMENU_*
  std::string title{};
  std::string bottom{};
  std::string help_topic{};
  std::vector<MenuEntry> items{};
  std::vector<int> break_keys{};  // key codes that close the menu besides Enter and Esc
};

struct MenuChoice {
  int index = -1;       // item under the cursor when the menu closed; -1 on Esc
  int break_code = -1;  // index into Menu::break_keys of the key that closed it, or -1
};

// A dialog is the module's own item array: the Ui edits it in place, the way
// a person types into the fields, and the module reads it back.
struct Dialog {
  int x1 = -1, y1 = -1, x2 = 0, y2 = 0;  // -1: centred; x2/y2 then hold width/height
  std::string help_topic{};
  std::span<FarDialogItem> items{};
  bool extended = false;  // asked for through DialogEx; the dialog procedure is never called
};

struct ScreenArea {
  int x1 = 0, y1 = 0, x2 = -1, y2 = -1;  // -1: up to the right or bottom edge
};

class Ui : public platform::ConsoleHost {
 public:
  // Shows a box and returns the chosen button (from 0) or -1 on Esc. A box
  // without buttons is a progress box: it is shown and the call returns -1
  // at once; it stays up until the screen is restored.
  virtual int ShowMessage(const MessageBox& box) = 0;
  virtual MenuChoice ShowMenu(const Menu& menu) = 0;
  // Returns the index of the item that closed the dialog, or -1 on Esc.
  virtual int RunDialog(const Dialog& dialog) = 0;
  // Writes text at a position; a null text flushes what was written.
  virtual void Text(int x, int y, int colour, const char* text) = 0;
  // The module saves an area before drawing progress boxes over it and
  // restores it afterwards; an implementation redraws on restore.
  virtual void SaveScreen(const ScreenArea& area) = 0;
  virtual void RestoreScreen(const ScreenArea& area) = 0;
};

// The console event of one Esc key press, as the module's Esc poll reads it.
INPUT_RECORD EscKeyPress();

}  // namespace host
