// The box of a command stopped by an internal failure.
#include "plugin/entry_guard.hpp"

#include "plugin/messages.hpp"

void ShowStoppedCommand(const char* reason) {
  if (!StartupInfo.Message) return;
  const char* items[] = {GetMsg(MTitle), reason, GetMsg(MOk)};
  StartupInfo.Message(StartupInfo.ModuleNumber, FMSG_WARNING, nullptr, items, 3, 1);
}
