// The preset dialogs of the four kinds: the name, the kind's texts and its
// check boxes and radio buttons, bound straight to the record's slots. The
// builder writes the slots only when the dialog is accepted, so a cancelled
// dialog leaves the record as it was.
#include <memory>

#include "module/dialogs/bindings.hpp"
#include "module/dialogs/dialog_builder.hpp"
#include "module/base/messages.hpp"
#include "module/presets/preset_kinds.hpp"
#include "module/presets/preset_name.hpp"

namespace {

constexpr int kDialogWidth = 76;
constexpr int kFieldLeft = 5;
constexpr int kFieldRight = 70;

// Frame, the name's label and field: items 0 to 2 of every preset dialog.
void AddNameField(DialogBuilder& dialog, const PresetList& list, PresetRecord& record,
                  int title_message, const char* help_topic) {
  dialog.AddFrame(title_message);
  dialog.Add<TextItem>(kFieldLeft, 2, 0, MPresetName);
  dialog.Add<EditItem>(kFieldLeft, 3, kFieldRight, 0, "PresetName",
                       std::make_unique<PresetNameBinding>(list, record, title_message,
                                                           help_topic));
}

void AddLabelledText(DialogBuilder& dialog, int row, int label_message, const char* history,
                     std::string* text) {
  dialog.Add<TextItem>(kFieldLeft, row, 0, label_message);
  dialog.Add<EditItem>(kFieldLeft, row + 1, kFieldRight, 0, history,
                       std::make_unique<StringBinding>(text));
}

// One radio button per search mode, from the first row down, the first
// starting the group.
void AddSearchAsGroup(DialogBuilder& dialog, int first_row, std::initializer_list<int> messages,
                      int* search_as) {
  int value = 0;
  for (int message : messages) {
    dialog.Add<RadioButtonItem>(kFieldLeft, first_row + value, value == 0 ? DIF_GROUP : 0,
                                message, search_as, value);
    value++;
  }
}

// The masks with their pattern check box, and the search text: texts 0
// and 1 and number 0 of both file kinds.
void AddMaskAndText(DialogBuilder& dialog, PresetRecord& record) {
  dialog.Add<CheckBoxItem>(35, 4, 0, MMaskAsRegExp, &record.numbers[0]);
  AddLabelledText(dialog, 4, MMasksLabel, "Masks", &record.texts[0]);
  AddLabelledText(dialog, 6, MSearchTextLabel, "SearchText", &record.texts[1]);
}

// The case check box on `row` and the search modes below it: numbers 1
// and 2 of both file kinds.
void AddCaseAndModes(DialogBuilder& dialog, int row, std::initializer_list<int> modes,
                     PresetRecord& record) {
  dialog.Add<CheckBoxItem>(kFieldLeft, row, 0, MCaseSensitive, &record.numbers[1]);
  AddSearchAsGroup(dialog, row + 1, modes, &record.numbers[2]);
}

bool Accepted(DialogBuilder& dialog) {
  dialog.AddOkCancel(MOk, MCancel);
  return dialog.Run() == 0;
}

}  // namespace

bool EditReplacePresets::EditPreset(PresetRecord& record) {
  const char* topic = "ERPresetDlg";
  DialogBuilder dialog(kDialogWidth, 18, topic);
  AddNameField(dialog, *this, record, MEditReplacePresetTitle, topic);
  AddLabelledText(dialog, 4, MSearchTextLabel, "SearchText", &record.texts[0]);
  AddLabelledText(dialog, 6, MReplaceTextLabel, "ReplaceText", &record.texts[1]);
  dialog.Add<CheckBoxItem>(kFieldLeft, 9, 0, MRegExp, &record.numbers[0]);
  dialog.Add<CheckBoxItem>(kFieldLeft, 10, 0, MCaseSensitive, &record.numbers[1]);
  dialog.Add<CheckBoxItem>(kFieldLeft, 11, 0, MRemoveEmpty, &record.numbers[2]);
  dialog.Add<CheckBoxItem>(kFieldLeft, 12, 0, MRemoveNoMatch, &record.numbers[3]);
  return Accepted(dialog);
}

bool EditFindPresets::EditPreset(PresetRecord& record) {
  const char* topic = "ESPresetDlg";
  DialogBuilder dialog(kDialogWidth, 13, topic);
  AddNameField(dialog, *this, record, MEditFindPresetTitle, topic);
  AddLabelledText(dialog, 4, MSearchTextLabel, "SearchText", &record.texts[0]);
  dialog.Add<CheckBoxItem>(kFieldLeft, 7, 0, MRegExp, &record.numbers[0]);
  dialog.Add<CheckBoxItem>(kFieldLeft, 8, 0, MCaseSensitive, &record.numbers[1]);
  return Accepted(dialog);
}

bool FileReplacePresets::EditPreset(PresetRecord& record) {
  const char* topic = "FRPresetDlg";
  DialogBuilder dialog(kDialogWidth, 19, topic);
  AddNameField(dialog, *this, record, MFileReplacePresetTitle, topic);
  AddMaskAndText(dialog, record);
  AddLabelledText(dialog, 8, MReplaceTextLabel, "ReplaceText", &record.texts[2]);
  // Replacing works in the first three search modes only.
  AddCaseAndModes(dialog, 11, {MAsPlainText, MRegExp, MAsLinesWindowPattern}, record);
  return Accepted(dialog);
}

bool FileFindPresets::EditPreset(PresetRecord& record) {
  const char* topic = "FSPresetDlg";
  DialogBuilder dialog(kDialogWidth, 21, topic);
  AddNameField(dialog, *this, record, MFileFindPresetTitle, topic);
  AddMaskAndText(dialog, record);
  AddCaseAndModes(dialog, 9,
                  {MAsPlainText, MRegExp, MAsLinesWindowPattern, MAsFilePattern, MAsPlainWords,
                   MAsPatternWords},
                  record);
  dialog.Add<CheckBoxItem>(kFieldLeft, 16, 0, MInverseSearch, &record.numbers[3]);
  return Accepted(dialog);
}
