// A key press as the host's views see it, and its translations into the
// forms the module receives: the console's input record (the Esc poll), a
// menu break key, and a panel key code with its control state.
#pragma once

#include "platform/win32.hpp"

namespace host::tui {

enum class KeyCode {
  kNone,  // input the host does not know; views ignore it
  kChar,
  kEnter,
  kEsc,
  kTab,
  kBackspace,
  kInsert,
  kDelete,
  kHome,
  kEnd,
  kPageUp,
  kPageDown,
  kUp,
  kDown,
  kLeft,
  kRight,
  kF1, kF2, kF3, kF4, kF5, kF6, kF7, kF8, kF9, kF10, kF11, kF12,
};

struct Key {
  KeyCode code = KeyCode::kNone;
  wchar_t ch = 0;  // kChar: the character (a Ctrl letter as its lower-case letter)
  bool shift = false;
  bool ctrl = false;
  bool alt = false;

  static Key Char(wchar_t ch) { return Key{KeyCode::kChar, ch}; }
  static Key Of(KeyCode code) { return Key{code}; }
  static Key Ctrl(wchar_t letter) { return Key{KeyCode::kChar, letter, false, true}; }
  static Key Alt(wchar_t ch) { return Key{KeyCode::kChar, ch, false, false, true}; }
  Key WithShift() const { Key k = *this; k.shift = true; return k; }
  Key WithCtrl() const { Key k = *this; k.ctrl = true; return k; }
  Key WithAlt() const { Key k = *this; k.alt = true; return k; }

  bool Is(KeyCode c) const { return code == c && !shift && !ctrl && !alt; }
  // A character typed as text: no Ctrl or Alt held.
  bool IsText() const { return code == KeyCode::kChar && !ctrl && !alt && ch >= 0x20; }
  bool IsCtrl(wchar_t letter) const {
    return code == KeyCode::kChar && ctrl && !alt && ch == letter;
  }
  bool operator==(const Key&) const = default;
};

KeyCode FunctionKey(int number);  // 1..12
// The Windows virtual key of a key (a letter's upper case); 0 when none.
WORD VirtualKeyOf(const Key& key);
// The console's record of the key being pressed.
INPUT_RECORD InputRecordOf(const Key& key);
// A menu break key: the virtual key, with Ctrl, Alt and Shift in the bits
// 0x100, 0x200 and 0x400 above it.
int BreakKeyOf(const Key& key);
// What a module panel's ProcessKey receives, in the plugin interface's key
// codes (KEY_*); 0 when none.
int PanelKeyOf(const Key& key);
unsigned ControlStateOf(const Key& key);  // PKF_*

}  // namespace host::tui
