// The configuration menu: general, file and editor pages, each a dialog
// over the plugin-wide settings in memory. Closing the menu writes all
// settings to the registry, whatever the dialogs did.
#include "module/entry/configure.hpp"

#include <memory>

#include "module/dialogs/bindings.hpp"
#include "module/dialogs/dialog_builder.hpp"
#include "module/base/host_access.hpp"
#include "module/base/menu.hpp"
#include "module/base/messages.hpp"
#include "module/base/settings.hpp"

namespace {

constexpr int kWidth = 60;
constexpr int kHeight = 20;
constexpr const char* kInvalidNumberTopic = "QXInvalidNumber";

// A number field over a stored int, accepting the range its table row
// gives a typed value; its warning carries the dialog's title.
std::unique_ptr<EditItem> NumberField(int x1, int y, int x2, int* variable, SettingId id,
                                      int title_message) {
  const SettingDescriptor& row = DescribeSetting(id);
  return std::make_unique<EditItem>(
      x1, y, x2, 0, nullptr,
      std::make_unique<IntBinding>(variable, row.minimum, row.field_maximum, title_message,
                                   MInvalidNumber, kInvalidNumberTopic));
}

std::unique_ptr<EditItem> CharField(int x, int y, char* variable) {
  return std::make_unique<EditItem>(x, y, x, 0, nullptr, std::make_unique<CharBinding>(variable),
                                    DI_FIXEDIT);
}

void GeneralDialog() {
  DialogBuilder dialog(kWidth, kHeight, nullptr);
  dialog.AddFrame(MConfigGeneral);
  dialog.Add<CheckBoxItem>(5, 3, 0, MStoreEmptyInPresets, &StoreEmptyInPresets);
  dialog.AddOkCancel(MOk, MCancel);
  dialog.Run();
}

void FileDialog() {
  DialogBuilder dialog(kWidth, kHeight, "ConfigFile");
  dialog.AddFrame(MConfigFiles);
  dialog.Add<TextItem>(5, 3, 0, MSeveralLines);
  dialog.AddItem(NumberField(32, 3, 40, &SeveralLines, SettingId::SeveralLines,
                             MConfigFiles));
  dialog.Add<TextItem>(5, 5, 0, MReadAtOnceLimit);
  dialog.AddItem(NumberField(32, 5, 40, &ReadAtOnceLimit, SettingId::ReadAtOnceLimit,
                             MConfigFiles));
  dialog.Add<TextItem>(42, 5, 0, MReadAtOnceUnit);
  dialog.Add<TextItem>(5, 7, 0, MMaskDelimiter);
  dialog.AddItem(CharField(32, 7, &MaskDelimiter));
  dialog.Add<TextItem>(5, 8, 0, MMaskNegation);
  dialog.AddItem(CharField(32, 8, &MaskNegation));
  dialog.Add<CheckBoxItem>(5, 10, 0, MDotAsteriskMatchesNoExtension, &DotAsteriskMatchesNoExtension);
  dialog.Add<CheckBoxItem>(5, 11, 0, MAutoappendAsterisk, &AutoappendAsterisk);
  dialog.Add<TextItem>(5, 13, 0, MSearchThreads);
  dialog.AddItem(NumberField(47, 13, 53, &SearchThreads, SettingId::SearchThreads,
                             MConfigFiles));
  dialog.AddOkCancel(MOk, MCancel);
  dialog.Run();
}

void EditorDialog() {
  DialogBuilder dialog(kWidth, kHeight, "ConfigEditor");
  dialog.AddFrame(MConfigEditor);
  dialog.Add<TextItem>(5, 3, 0, MShowPositionOffset);
  dialog.AddItem(NumberField(40, 3, 47, &EShowPositionOffset, SettingId::EShowPositionOffset,
                             MConfigEditor));
  dialog.Add<TextItem>(5, 4, 0, MShowPosition);
  dialog.Add<RadioButtonItem>(10, 4, DIF_GROUP, MShowPositionNearTop, &EShowPosition, ShowNearTop);
  dialog.Add<RadioButtonItem>(10, 5, 0, MShowPositionMiddle, &EShowPosition, ShowInMiddle);
  dialog.Add<RadioButtonItem>(10, 6, 0, MShowPositionBottom, &EShowPosition, ShowNearBottom);
  dialog.Add<TextItem>(5, 8, 0, MRightSideOffset);
  dialog.AddItem(NumberField(32, 8, 39, &ERightSideOffset, SettingId::ERightSideOffset,
                             MConfigEditor));
  dialog.Add<TextItem>(5, 10, 0, MFindTextAtCursor);
  dialog.Add<RadioButtonItem>(5, 11, DIF_GROUP, MTextAtCursorNone, &EFindTextAtCursor, TextAtCursorNone);
  dialog.Add<RadioButtonItem>(5, 12, 0, MTextAtCursorWord, &EFindTextAtCursor, TextAtCursorWord);
  dialog.Add<RadioButtonItem>(5, 13, 0, MTextAtCursorAny, &EFindTextAtCursor, TextAtCursorAny);
  dialog.Add<CheckBoxItem>(5, 14, 0, MFindSelection, &EFindSelection);
  dialog.AddOkCancel(MOk, MCancel);
  dialog.Run();
}

}  // namespace

void RunConfiguration() {
  for (;;) {
    int choice = ShowMenu(FMENU_WRAPMODE, GetMsg(MTitle), nullptr, "Config",
                          {GetMsg(MConfigGeneral), GetMsg(MConfigFiles), GetMsg(MConfigEditor)});
    if (choice == 0)
      GeneralDialog();
    else if (choice == 1)
      FileDialog();
    else if (choice == 2)
      EditorDialog();
    else
      break;
  }
  SaveSettings();
}
