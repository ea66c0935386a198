// The service table copy and the console Esc poll shared by every long
// operation (editor searches, folder walks).
#include "module/base/host_access.hpp"

PluginStartupInfo StartupInfo;

const char* GetMsg(int message_number) {
  return StartupInfo.GetMsg(StartupInfo.ModuleNumber, message_number);
}

bool EscPressed() {
  static HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  INPUT_RECORD event;
  DWORD count = 0;
  while (PeekConsoleInputA(input, &event, 1, &count) && count > 0) {
    if (!ReadConsoleInputA(input, &event, 1, &count) || count == 0) return false;
    if (event.EventType == KEY_EVENT && event.Event.KeyEvent.bKeyDown &&
        event.Event.KeyEvent.wVirtualKeyCode == VK_ESCAPE)
      return true;
  }
  return false;
}
