// The scripted Ui: queued answers in, recorded calls out.
#include "host/ui/script_ui.hpp"

#include <algorithm>
#include <cstring>

namespace host {

namespace {

// What the error text shows of a call nobody answered.
std::string Describe(const char* kind, const std::string& title, const std::string& help) {
  return std::string("unanswered ") + kind + " \"" + title + "\" (help topic \"" + help + "\")";
}

}  // namespace

void SetItemText(FarDialogItem& item, std::string_view text) {
  size_t length = std::min(text.size(), sizeof(item.Data) - 1);
  std::memcpy(item.Data, text.data(), length);
  item.Data[length] = '\0';
}

void ScriptUi::AnswerMessage(int button) { message_answers_.push_back(button); }

void ScriptUi::AnswerMenu(int index, int break_code) {
  menu_answers_.push_back({index, break_code});
}

void ScriptUi::AnswerDialog(DialogScript script) { dialog_answers_.push_back(std::move(script)); }

void ScriptUi::EscAfterPolls(int polls) {
  esc_armed_ = true;
  esc_after_ = std::max(polls, 0);
  polls_since_armed_ = 0;
}

std::vector<ScriptUi::Call> ScriptUi::CallsOf(Kind kind) const {
  std::vector<Call> found;
  std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(found),
               [kind](const Call& call) { return call.kind == kind; });
  return found;
}

size_t ScriptUi::unused_answers() const {
  return message_answers_.size() + menu_answers_.size() + dialog_answers_.size();
}

void ScriptUi::Fail(const std::string& what) {
  errors_.push_back(what);
  if (on_failure_) on_failure_(what);
}

int ScriptUi::ShowMessage(const MessageBox& box) {
  Call call{.kind = Kind::kMessage,
            .help_topic = box.help_topic,
            .title = box.title,
            .lines = box.lines,
            .buttons = box.buttons,
            .flags = box.flags,
            .progress = box.buttons.empty()};
  if (!call.progress) {
    if (message_answers_.empty()) {
      Fail(Describe("message box", box.title, box.help_topic));
    } else {
      call.answer = message_answers_.front();
      message_answers_.pop_front();
      if (call.answer < -1 || call.answer >= static_cast<int>(box.buttons.size())) {
        Fail("message box \"" + box.title + "\" answered with a button it does not have");
        call.answer = -1;
      }
    }
  }
  calls_.push_back(call);
  return call.answer;
}

MenuChoice ScriptUi::ShowMenu(const Menu& menu) {
  Call call{.kind = Kind::kMenu, .help_topic = menu.help_topic, .title = menu.title,
            .flags = menu.flags};
  for (const MenuEntry& entry : menu.items) call.lines.push_back(entry.text);
  if (menu_answers_.empty()) {
    Fail(Describe("menu", menu.title, menu.help_topic));
  } else {
    MenuAnswer answer = menu_answers_.front();
    menu_answers_.pop_front();
    bool index_ok = answer.index >= -1 && answer.index < static_cast<int>(menu.items.size());
    bool break_ok = answer.break_code >= -1 &&
                    answer.break_code < static_cast<int>(menu.break_keys.size());
    if (index_ok && break_ok) {
      call.answer = answer.index;
      call.break_code = answer.break_code;
    } else {
      Fail("menu \"" + menu.title + "\" answered with an item or break key it does not have");
    }
  }
  calls_.push_back(call);
  return MenuChoice{call.answer, call.break_code};
}

int ScriptUi::RunDialog(const Dialog& dialog) {
  Call call{.kind = Kind::kDialog, .help_topic = dialog.help_topic,
            .dialog_items = {dialog.items.begin(), dialog.items.end()}};
  if (!dialog.items.empty()) call.title = dialog.items.front().Data;
  if (dialog_answers_.empty()) {
    Fail(Describe("dialog", call.title, dialog.help_topic));
  } else {
    DialogScript script = std::move(dialog_answers_.front());
    dialog_answers_.pop_front();
    call.answer = script(dialog.items);
    if (call.answer < -1 || call.answer >= static_cast<int>(dialog.items.size())) {
      Fail("dialog \"" + call.title + "\" closed through an item it does not have");
      call.answer = -1;
    }
  }
  calls_.push_back(std::move(call));
  return calls_.back().answer;
}

void ScriptUi::Text(int x, int y, int colour, const char* text) {
  texts_.push_back(TextCall{x, y, colour, text ? text : "", text == nullptr});
}

void ScriptUi::SaveScreen(const ScreenArea& area) {
  calls_.push_back(Call{.kind = Kind::kSaveScreen, .area = area});
}

void ScriptUi::RestoreScreen(const ScreenArea& area) {
  calls_.push_back(Call{.kind = Kind::kRestoreScreen, .area = area});
}

bool ScriptUi::PeekInput(INPUT_RECORD* event) {
  ++polls_;
  if (!EscVisible()) {
    if (esc_armed_) ++polls_since_armed_;
    return false;
  }
  *event = EscKeyPress();
  return true;
}

bool ScriptUi::ReadInput(INPUT_RECORD* event) {
  if (!EscVisible()) return false;
  *event = EscKeyPress();
  esc_armed_ = false;
  return true;
}

void ScriptUi::SetTitle(const char* oem_title) { titles_.push_back(oem_title ? oem_title : ""); }

}  // namespace host
