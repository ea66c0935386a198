// The name field of the preset dialogs. A preset's name becomes a menu item
// and a registry subkey, so it is cut to what a menu item holds and refused
// when the registry could not take it, another preset of the list has it
// (their keys would be one), or the menu would show nothing.
#pragma once

#include <string>

#include "module/dialogs/dialog_item.hpp"
#include "module/presets/preset_list.hpp"

// The longest name a host menu item shows whole.
constexpr size_t kMaxPresetName = 127;

class PresetNameBinding : public EditBinding {
 public:
  // A refused name is reported in a warning titled with title_message,
  // under help_topic; the dialog then comes back as the user left it.
  // The record is the one edited (its name is the field), the list the one
  // it belongs to or joins; both outlive the dialog.
  PresetNameBinding(const PresetList& list, PresetRecord& record, int title_message,
                    const char* help_topic)
      : list_(list), record_(record), title_message_(title_message), help_topic_(help_topic) {}
  void Fill(FarDialogItem& record) override;
  bool Validate(const FarDialogItem& record) override;
  void Store(const FarDialogItem& record) override;

 private:
  const PresetList& list_;
  PresetRecord& record_;
  int title_message_;
  const char* help_topic_;
};
