// The preset menu of a dialog: Ins makes a preset of the dialog's current
// values, Del removes one after a question, F4 edits one, Enter copies one
// into the dialog's variables. The menu is rebuilt from the list before
// every showing, so it always lists the current names.
#include <algorithm>
#include <cstring>

#include "platform/crt.hpp"

#include "module/base/host_access.hpp"
#include "module/base/messages.hpp"
#include "module/presets/preset_list.hpp"

namespace {

// Zero ends the list; the host reports the index of the key pressed.
constexpr int kBreakKeys[] = {VK_INSERT, VK_DELETE, VK_F4, 0};
enum BreakKey { kNoBreakKey = -1, kInsertKey = 0, kDeleteKey = 1, kEditKey = 2 };

struct MenuChoice {
  int index;      // item under the cursor, or -1
  int break_key;  // BreakKey
};

// Preset names are the user's own text: an '&' in one is shown, not taken
// as a hotkey mark. The cursor starts on `cursor`.
MenuChoice ShowPresetMenu(const char* title, const std::vector<PresetRecord>& records,
                          size_t cursor) {
  std::vector<FarMenuItem> items(records.size());
  for (size_t i = 0; i < records.size(); i++) {
    std::strncpy(items[i].Text, records[i].name.c_str(), sizeof items[i].Text - 1);
    items[i].Selected = i == cursor;
  }
  int break_key = kNoBreakKey;
  int index = StartupInfo.Menu(StartupInfo.ModuleNumber, -1, -1, 0,
                               FMENU_WRAPMODE | FMENU_SHOWAMPERSAND, title, "Ins,Del,F4",
                               "Presets", kBreakKeys, &break_key, items.data(),
                               static_cast<int>(items.size()));
  return {index, break_key};
}

bool ConfirmDelete(const PresetRecord& record) {
  const char* items[] = {"Delete", GetMsg(MDeletePresetQuestion), record.name.c_str(),
                         GetMsg(MOk), GetMsg(MCancel)};
  return StartupInfo.Message(StartupInfo.ModuleNumber, FMSG_WARNING, "DeletePreset", items, 5,
                             2) == 0;
}

PresetRecord RecordFromVariables(std::initializer_list<std::string*> texts,
                                 std::initializer_list<int*> numbers) {
  PresetRecord record{"New Preset", {}, {}};
  for (const std::string* text : texts) record.texts.push_back(*text);
  for (const int* number : numbers) record.numbers.push_back(*number);
  return record;
}

// A preset puts all its texts into the dialog, empty ones included: a
// preset that replaces trailing blanks by nothing must not replace them by
// whatever the field held before.
void CopyIntoVariables(const PresetRecord& record, std::initializer_list<std::string*> texts,
                       std::initializer_list<int*> numbers) {
  size_t i = 0;
  for (std::string* text : texts) *text = record.texts[i++];
  i = 0;
  for (int* number : numbers) *number = record.numbers[i++];
}

}  // namespace

bool PresetList::PresetMenu(bool keep_open, std::initializer_list<std::string*> texts,
                            std::initializer_list<int*> numbers) {
  // Variables that do not match the kind's slots get no menu rather than a
  // copy past the end of either side.
  if (texts.size() != TextNames().size() || numbers.size() != NumberNames().size()) return false;
  size_t cursor = 0;
  for (;;) {
    MenuChoice choice = ShowPresetMenu(GetMsg(TitleMessage()), records_, cursor);
    const bool on_preset =
        choice.index >= 0 && static_cast<size_t>(choice.index) < records_.size();
    bool changed = false;
    switch (choice.break_key) {
      case kInsertKey: changed = AddPreset(texts, numbers); break;
      case kDeleteKey: changed = on_preset && DeletePreset(static_cast<size_t>(choice.index)); break;
      case kEditKey: changed = on_preset && EditPreset(records_[choice.index]); break;
      case kNoBreakKey:
        if (!on_preset) return false;  // Esc, or Enter on an empty menu
        CopyIntoVariables(records_[choice.index], texts, numbers);
        return true;
      default: return false;
    }
    if (changed && !keep_open) return false;
    // The next showing keeps the cursor where the action left it: on the
    // same item, on the one after a deleted one, on a new one.
    cursor = choice.break_key == kInsertKey && changed ? records_.size() - 1
                                                       : static_cast<size_t>(std::max(choice.index, 0));
  }
}

bool PresetList::AddPreset(std::initializer_list<std::string*> texts,
                           std::initializer_list<int*> numbers) {
  PresetRecord record = RecordFromVariables(texts, numbers);
  if (!EditPreset(record)) return false;
  records_.push_back(std::move(record));
  return true;
}

bool PresetList::NameTaken(const std::string& name, const PresetRecord& edited) const {
  // Registry key names compare without regard to ASCII case, so two names
  // that differ only so would share one key.
  return std::any_of(records_.begin(), records_.end(), [&](const PresetRecord& other) {
    return &other != &edited && name.size() == other.name.size() &&
           crt::memicmp(name.data(), other.name.data(), name.size()) == 0;
  });
}

bool PresetList::DeletePreset(size_t index) {
  if (!ConfirmDelete(records_[index])) return false;
  records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(index));
  return true;
}
