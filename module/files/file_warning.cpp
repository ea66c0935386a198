// The file commands' warning box. Its title is the replace title, also for
// the file search's open error.
#include "module/files/file_warning.hpp"

#include "module/base/host_access.hpp"
#include "module/base/messages.hpp"

void ShowFileWarning(const char* help_topic, int message, const std::string& file_name) {
  const char* items[] = {GetMsg(MReplaceTitle), GetMsg(message), file_name.c_str(), GetMsg(MOk)};
  StartupInfo.Message(StartupInfo.ModuleNumber, FMSG_WARNING, help_topic, items, 4, 1);
}
