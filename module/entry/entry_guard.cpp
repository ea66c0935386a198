// The box of a command stopped by an internal failure.
#include "module/entry/entry_guard.hpp"

#include "module/base/messages.hpp"

void ShowStoppedCommand(const char* reason) {
  if (!StartupInfo.Message) return;
  const char* items[] = {GetMsg(MTitle), reason, GetMsg(MOk)};
  StartupInfo.Message(StartupInfo.ModuleNumber, FMSG_WARNING, nullptr, items, 3, 1);
}
