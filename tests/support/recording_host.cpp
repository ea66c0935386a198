// Module-side test double of the host services; see recording_host.hpp.
#include "tests/support/recording_host.hpp"

#include <cstring>
#include <map>

#include "plugin/host.hpp"

namespace {

RecordingHost* current = nullptr;

int WINAPI RecordMessage(int, unsigned flags, const char* help_topic, const char* const* items,
                         int items_number, int buttons_number) {
  RecordedMessage m{flags, help_topic ? help_topic : "", {}, buttons_number};
  for (int i = 0; i < items_number; i++) m.items.emplace_back(items[i]);
  current->messages.push_back(m);
  return current->message_answer;
}

const char* WINAPI NumberedMessage(int, int number) {
  static std::map<int, std::string> texts;
  auto [it, inserted] = texts.try_emplace(number, "M" + std::to_string(number));
  return it->second.c_str();
}

}  // namespace

RecordingHost::RecordingHost() {
  current = this;
  std::memset(&StartupInfo, 0, sizeof StartupInfo);
  StartupInfo.StructSize = sizeof StartupInfo;
  StartupInfo.Message = RecordMessage;
  StartupInfo.GetMsg = NumberedMessage;
}

RecordingHost::~RecordingHost() {
  std::memset(&StartupInfo, 0, sizeof StartupInfo);
  current = nullptr;
}
