// Module-side test double of the host services; see recording_host.hpp.
#include "tests/support/recording_host.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "module/base/host_access.hpp"

namespace {

RecordingHost* current = nullptr;

int WINAPI RecordMessage(int, unsigned flags, const char* help_topic, const char* const* items,
                         int items_number, int buttons_number) {
  RecordedMessage m{flags, help_topic ? help_topic : "", {}, buttons_number};
  for (int i = 0; i < items_number; i++) m.items.emplace_back(items[i]);
  current->messages.push_back(m);
  if (current->on_message) current->on_message();
  return current->message_answer;
}

std::map<int, std::string> message_texts;

const char* WINAPI NumberedMessage(int, int number) {
  auto [it, inserted] = message_texts.try_emplace(number, "M" + std::to_string(number));
  return it->second.c_str();
}

int WINAPI RunDialog(int, int x1, int y1, int x2, int y2, const char* help_topic,
                     FarDialogItem* items, int count) {
  current->dialog_snapshots.emplace_back(items, items + count);
  current->dialog_calls.push_back({x1, y1, x2, y2, help_topic ? help_topic : ""});
  size_t call = static_cast<size_t>(current->dialogs_shown++);
  if (call >= current->dialog_answers.size()) {
    ADD_FAILURE() << "unexpected dialog, call " << call;
    return -1;
  }
  return current->dialog_answers[call](items, count);
}

int WINAPI RunMenu(int, int, int, int, unsigned flags, const char* title, const char* bottom,
                   const char* help_topic, const int* break_keys, int* break_code,
                   const FarMenuItem* items, int items_number) {
  RecordedMenu menu{flags, title ? title : "", bottom ? bottom : "", help_topic ? help_topic : "",
                    {}, {}};
  for (int i = 0; i < items_number; i++) {
    menu.items.emplace_back(items[i].Text, strnlen(items[i].Text, sizeof items[i].Text));
    if (items[i].Selected) menu.cursor = i;
  }
  for (const int* key = break_keys; key && *key; key++) menu.break_keys.push_back(*key);
  current->menus.push_back(menu);
  size_t call = current->menus.size() - 1;
  MenuAnswer answer{-1, -1};
  if (call < current->menu_answers.size())
    answer = current->menu_answers[call];
  else
    ADD_FAILURE() << "unexpected menu \"" << menu.title << "\", call " << call;
  if (break_code) *break_code = answer.break_key;
  return answer.index;
}

}  // namespace

RecordingHost::RecordingHost() {
  current = this;
  std::memset(&StartupInfo, 0, sizeof StartupInfo);
  StartupInfo.StructSize = sizeof StartupInfo;
  StartupInfo.Message = RecordMessage;
  StartupInfo.GetMsg = NumberedMessage;
  StartupInfo.Dialog = RunDialog;
  StartupInfo.Menu = RunMenu;
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
