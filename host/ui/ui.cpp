// Pieces every user interface of the host shares.
#include "host/ui/ui.hpp"

namespace host {

INPUT_RECORD EscKeyPress() {
  INPUT_RECORD event{};
  event.EventType = KEY_EVENT;
  event.Event.KeyEvent.bKeyDown = TRUE;
  event.Event.KeyEvent.wRepeatCount = 1;
  event.Event.KeyEvent.wVirtualKeyCode = VK_ESCAPE;
  event.Event.KeyEvent.uChar.AsciiChar = 0x1B;
  return event;
}

}  // namespace host
