// Key translations for the console queue, menus and module panels.
#include "host/ui/terminal/key.hpp"

#include "host/ui/terminal/oem_text.hpp"
#include "platform/crt.hpp"
#include "sdk/plugin.hpp"

namespace host::tui {

namespace {

WORD VirtualOfCode(KeyCode code) {
  switch (code) {
    case KeyCode::kEnter: return VK_RETURN;
    case KeyCode::kEsc: return VK_ESCAPE;
    case KeyCode::kTab: return VK_TAB;
    case KeyCode::kBackspace: return VK_BACK;
    case KeyCode::kInsert: return VK_INSERT;
    case KeyCode::kDelete: return VK_DELETE;
    case KeyCode::kHome: return VK_HOME;
    case KeyCode::kEnd: return VK_END;
    case KeyCode::kPageUp: return VK_PRIOR;
    case KeyCode::kPageDown: return VK_NEXT;
    case KeyCode::kUp: return VK_UP;
    case KeyCode::kDown: return VK_DOWN;
    case KeyCode::kLeft: return VK_LEFT;
    case KeyCode::kRight: return VK_RIGHT;
    default: break;
  }
  if (code >= KeyCode::kF1 && code <= KeyCode::kF12) {
    return static_cast<WORD>(VK_F1 + (static_cast<int>(code) - static_cast<int>(KeyCode::kF1)));
  }
  return 0;
}

// Letters and digits have virtual keys of their own (the upper-case ASCII
// code); other characters travel only as text.
WORD VirtualOfChar(wchar_t ch) {
  if (ch == L' ') return VK_SPACE;
  wchar_t upper = static_cast<wchar_t>(crt::towupper(static_cast<wint_t>(ch)));
  if ((upper >= L'A' && upper <= L'Z') || (upper >= L'0' && upper <= L'9')) {
    return static_cast<WORD>(upper);
  }
  return 0;
}

char OemCharOf(const Key& key) {
  if (key.code != KeyCode::kChar) {
    switch (key.code) {
      case KeyCode::kEnter: return '\r';
      case KeyCode::kEsc: return 0x1B;
      case KeyCode::kTab: return '\t';
      case KeyCode::kBackspace: return '\b';
      default: return 0;
    }
  }
  if (key.ctrl && key.ch >= L'a' && key.ch <= L'z') return static_cast<char>(key.ch - L'a' + 1);
  return WideToOem(key.ch).value_or(0);
}

}  // namespace

KeyCode FunctionKey(int number) {
  return static_cast<KeyCode>(static_cast<int>(KeyCode::kF1) + number - 1);
}

WORD VirtualKeyOf(const Key& key) {
  return key.code == KeyCode::kChar ? VirtualOfChar(key.ch) : VirtualOfCode(key.code);
}

INPUT_RECORD InputRecordOf(const Key& key) {
  INPUT_RECORD record{};
  record.EventType = KEY_EVENT;
  KEY_EVENT_RECORD& event = record.Event.KeyEvent;
  event.bKeyDown = TRUE;
  event.wRepeatCount = 1;
  event.wVirtualKeyCode = VirtualKeyOf(key);
  event.uChar.AsciiChar = OemCharOf(key);
  event.dwControlKeyState = (key.shift ? SHIFT_PRESSED : 0) | (key.ctrl ? LEFT_CTRL_PRESSED : 0) |
                            (key.alt ? LEFT_ALT_PRESSED : 0);
  return record;
}

int BreakKeyOf(const Key& key) {
  int virtual_key = VirtualKeyOf(key);
  if (!virtual_key) return 0;
  return virtual_key | (key.ctrl ? 0x100 : 0) | (key.alt ? 0x200 : 0) | (key.shift ? 0x400 : 0);
}

int PanelKeyOf(const Key& key) {
  switch (key.code) {
    case KeyCode::kNone: return 0;
    case KeyCode::kChar: return static_cast<unsigned char>(OemCharOf(key));
    case KeyCode::kEnter: return KEY_ENTER;
    case KeyCode::kEsc: return KEY_ESC;
    case KeyCode::kTab: return KEY_TAB;
    case KeyCode::kBackspace: return KEY_BS;
    default: return KEY_VIRTUAL + VirtualOfCode(key.code);
  }
}

unsigned ControlStateOf(const Key& key) {
  return (key.ctrl ? PKF_CONTROL : 0) | (key.alt ? PKF_ALT : 0) | (key.shift ? PKF_SHIFT : 0);
}

}  // namespace host::tui
