// Preset names: cut to a menu item's length, and never empty, blank,
// holding a backslash, which would make a registry path of several keys, or
// the name of another preset of the list.
#include "module/presets/preset_name.hpp"

#include <algorithm>
#include <cstring>

#include "module/base/host_access.hpp"
#include "module/base/messages.hpp"

namespace {

std::string NameFromField(const FarDialogItem& record) {
  return std::string(record.Data, strnlen(record.Data, kMaxPresetName));
}

bool IsVisible(char c) { return static_cast<unsigned char>(c) > ' '; }

bool IsUsableName(const std::string& name) {
  return std::any_of(name.begin(), name.end(), IsVisible) &&
         name.find('\\') == std::string::npos;
}

}  // namespace

void PresetNameBinding::Fill(FarDialogItem& record) {
  SetRecordData(record, record_.name.c_str());
}

bool PresetNameBinding::Validate(const FarDialogItem& record) {
  const std::string name = NameFromField(record);
  if (IsUsableName(name) && !list_.NameTaken(name, record_)) return true;
  const char* items[] = {GetMsg(title_message_), GetMsg(MPresetNameInvalid), GetMsg(MOk)};
  StartupInfo.Message(StartupInfo.ModuleNumber, FMSG_WARNING, help_topic_, items, 3, 1);
  return false;
}

void PresetNameBinding::Store(const FarDialogItem& record) { record_.name = NameFromField(record); }
