// The service functions: each turns its C arguments into a plain record and
// hands it to the current targets.
#include "host/core/services.hpp"

#include <algorithm>
#include <cstring>

#include "host/core/char_tables.hpp"
#include "platform/host_bridge.hpp"

namespace host {

namespace {

const ServiceTargets* current = nullptr;

std::string TextOrEmpty(const char* text) { return text ? text : ""; }

MessageBox MessageOf(unsigned flags, const char* help_topic, const char* const* items,
                     int count, int buttons) {
  MessageBox box{.flags = flags, .help_topic = TextOrEmpty(help_topic)};
  buttons = std::clamp(buttons, 0, count);
  int first_button = count - buttons;
  for (int i = 0; i < count; ++i) {
    std::string text = TextOrEmpty(items[i]);
    if (i >= first_button) {
      box.buttons.push_back(std::move(text));
    } else if (i == 0) {
      box.title = std::move(text);
    } else {
      box.lines.push_back(std::move(text));
    }
  }
  return box;
}

MenuEntry EntryOf(const FarMenuItem& item) {
  return MenuEntry{.text = std::string(item.Text, strnlen(item.Text, sizeof(item.Text))),
                   .selected = item.Selected != 0,
                   .checked = item.Checked != 0,
                   .separator = item.Separator != 0};
}

int WINAPI ServiceMessage(int, unsigned flags, const char* help_topic, const char* const* items,
                          int items_number, int buttons_number) {
  if (!current || !items || items_number <= 0) return -1;
  return current->ui->ShowMessage(
      MessageOf(flags, help_topic, items, items_number, buttons_number));
}

int WINAPI ServiceMenu(int, int, int, int, unsigned flags, const char* title, const char* bottom,
                       const char* help_topic, const int* break_keys, int* break_code,
                       const FarMenuItem* items, int items_number) {
  if (break_code) *break_code = -1;
  if (!current || (!items && items_number > 0)) return -1;
  Menu menu{.flags = flags,
            .title = TextOrEmpty(title),
            .bottom = TextOrEmpty(bottom),
            .help_topic = TextOrEmpty(help_topic)};
  for (int i = 0; i < items_number; ++i) menu.items.push_back(EntryOf(items[i]));
  for (const int* key = break_keys; key && *key != 0; ++key) menu.break_keys.push_back(*key);
  MenuChoice choice = current->ui->ShowMenu(menu);
  if (break_code) *break_code = choice.break_code;
  return choice.index;
}

int RunDialog(int x1, int y1, int x2, int y2, const char* help_topic, FarDialogItem* items,
              int items_number, bool extended) {
  if (!current || !items || items_number <= 0) return -1;
  return current->ui->RunDialog(Dialog{.x1 = x1, .y1 = y1, .x2 = x2, .y2 = y2,
                                       .help_topic = TextOrEmpty(help_topic),
                                       .items = {items, static_cast<size_t>(items_number)},
                                       .extended = extended});
}

int WINAPI ServiceDialog(int, int x1, int y1, int x2, int y2, const char* help_topic,
                         FarDialogItem* items, int items_number) {
  return RunDialog(x1, y1, x2, y2, help_topic, items, items_number, false);
}

// The host sends no dialog events, so the procedure is never called.
int WINAPI ServiceDialogEx(int, int x1, int y1, int x2, int y2, const char* help_topic,
                           FarDialogItem* items, int items_number, DWORD, DWORD, FARWINDOWPROC,
                           LONG_PTR) {
  return RunDialog(x1, y1, x2, y2, help_topic, items, items_number, true);
}

const char* WINAPI ServiceGetMsg(int, int message_id) {
  return current ? current->language->GetMsg(message_id) : "";
}

int WINAPI ServiceControl(HANDLE plugin, int command, void* param) {
  if (command == FCTL_REPORTMATCH) return HandleMatchReport(current ? current->matches : nullptr, param);
  return current ? current->panels->Control(plugin, command, param) : FALSE;
}

HANDLE WINAPI ServiceSaveScreen(int x1, int y1, int x2, int y2) {
  return current ? current->screens->Save(x1, y1, x2, y2) : nullptr;
}

void WINAPI ServiceRestoreScreen(HANDLE screen) {
  if (current) current->screens->Restore(screen);
}

// Copies as much of the table as the buffer holds; returns the table number.
int WINAPI ServiceCharTable(int command, char* buffer, int buffer_size) {
  const CharTableSet* table = GetCharTable(command);
  if (!table || !buffer || buffer_size <= 0) return -1;
  std::memcpy(buffer, table, std::min(static_cast<size_t>(buffer_size), sizeof(*table)));
  return command;
}

void WINAPI ServiceText(int x, int y, int color, const char* text) {
  if (current) current->ui->Text(x, y, color, text);
}

int WINAPI ServiceEditorControl(int command, void* param) {
  if (!current || !current->editor || !*current->editor) return FALSE;
  return (*current->editor)->Control(command, param);
}

}  // namespace

ServiceRouting::ServiceRouting(const ServiceTargets& targets)
    : targets_(targets), previous_(current) {
  current = &targets_;
  platform::InstallConsoleHost(targets_.ui);
}

ServiceRouting::~ServiceRouting() {
  current = previous_;
  platform::InstallConsoleHost(previous_ ? previous_->ui : nullptr);
}

PluginStartupInfo BuildStartupInfo(const std::string& module_name) {
  PluginStartupInfo info{};
  info.StructSize = sizeof(PluginStartupInfo);
  size_t length = std::min(module_name.size(), sizeof(info.ModuleName) - 1);
  std::memcpy(info.ModuleName, module_name.data(), length);
  info.ModuleNumber = kModuleNumber;
  info.RootKey = kRootKey;
  info.Menu = ServiceMenu;
  info.Dialog = ServiceDialog;
  info.Message = ServiceMessage;
  info.GetMsg = ServiceGetMsg;
  info.Control = ServiceControl;
  info.SaveScreen = ServiceSaveScreen;
  info.RestoreScreen = ServiceRestoreScreen;
  info.CharTable = ServiceCharTable;
  info.Text = ServiceText;
  info.EditorControl = ServiceEditorControl;
  info.DialogEx = ServiceDialogEx;
  return info;
}

}  // namespace host
