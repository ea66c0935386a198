// Module-side test double of the host services; see recording_host.hpp.
#include "tests/support/recording_host.hpp"

#include <gtest/gtest.h>

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

std::map<int, std::string> message_texts;

const char* WINAPI NumberedMessage(int, int number) {
  auto [it, inserted] = message_texts.try_emplace(number, "M" + std::to_string(number));
  return it->second.c_str();
}

int WINAPI RunDialog(int, int, int, int, int, const char*, FarDialogItem* items, int count) {
  current->dialog_snapshots.emplace_back(items, items + count);
  size_t call = static_cast<size_t>(current->dialogs_shown++);
  if (call >= current->dialog_answers.size()) {
    ADD_FAILURE() << "unexpected dialog, call " << call;
    return -1;
  }
  return current->dialog_answers[call](items, count);
}

}  // namespace

RecordingHost::RecordingHost() {
  current = this;
  std::memset(&StartupInfo, 0, sizeof StartupInfo);
  StartupInfo.StructSize = sizeof StartupInfo;
  StartupInfo.Message = RecordMessage;
  StartupInfo.GetMsg = NumberedMessage;
  StartupInfo.Dialog = RunDialog;
  StartupInfo.RootKey = "Software\\Far\\Plugins";
}

void RecordingHost::SetMessageText(int number, const std::string& text) {
  message_texts[number] = text;
}

RecordingHost::~RecordingHost() {
  message_texts.clear();
  std::memset(&StartupInfo, 0, sizeof StartupInfo);
  current = nullptr;
}
