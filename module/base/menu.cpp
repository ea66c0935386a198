// Builds the host's menu records from plain texts.
#include "module/base/menu.hpp"

#include <cstring>
#include <vector>

#include "module/base/host_access.hpp"

int ShowMenu(unsigned flags, const char* title, const char* bottom, const char* help_topic,
             std::initializer_list<const char*> texts) {
  std::vector<FarMenuItem> items(texts.size());
  size_t i = 0;
  for (const char* text : texts) {
    FarMenuItem& item = items[i++];
    std::memset(&item, 0, sizeof item);
    if (text)
      std::strncpy(item.Text, text, sizeof item.Text - 1);
    else
      item.Separator = 1;
  }
  return StartupInfo.Menu(StartupInfo.ModuleNumber, -1, -1, 0, flags, title, bottom, help_topic,
                          nullptr, nullptr, items.data(), static_cast<int>(items.size()));
}
