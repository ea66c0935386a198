// Module dialogs read as text: labels joined with their fields, states of
// check boxes and radio buttons, hot-key marks, and the accepting button.
#include "host/ui/line_dialog.hpp"

#include <gtest/gtest.h>

#include <cstring>

namespace {

FarDialogItem Item(int type, const char* data, int selected = 0, unsigned flags = 0,
                   int default_button = 0) {
  FarDialogItem item{};
  item.Type = type;
  item.Selected = selected;
  item.Flags = flags;
  item.DefaultButton = default_button;
  std::strncpy(item.Data, data, sizeof item.Data - 1);
  return item;
}

TEST(LineDialog, HotKeyMarksAreDroppedAndDoubledOnesKept) {
  struct Row {
    const char* label;
    const char* plain;
  };
  for (Row row : {Row{"&Search for:", "Search for:"}, Row{"Fish && &chips", "Fish & chips"},
                  Row{"trailing&", "trailing"}, Row{"", ""}}) {
    SCOPED_TRACE(row.label);
    EXPECT_EQ(host::WithoutHotKeyMarks(row.label), row.plain);
  }
}

TEST(LineDialog, FieldsReadInOrderWithTheirStates) {
  const FarDialogItem items[] = {
      Item(DI_DOUBLEBOX, "File &search"),
      Item(DI_CHECKBOX, "Mask is a regular expressi&on", 0),
      Item(DI_TEXT, "File &masks:"),
      Item(DI_EDIT, "*.txt"),
      Item(DI_TEXT, "", 0, DIF_BOXCOLOR | DIF_SEPARATOR),
      Item(DI_TEXT, "Lonely label"),
      Item(DI_CHECKBOX, "Case", 1),
      Item(DI_CHECKBOX, "Third state", 2, DIF_3STATE),
      Item(DI_RADIOBUTTON, "&Plain text", 0, DIF_GROUP),
      Item(DI_RADIOBUTTON, "Pattern", 1),
      Item(DI_BUTTON, "OK", 0, 0, 1),
      Item(DI_CHECKBOX, "", 1),
      Item(DI_BUTTON, "&Advanced"),
  };
  EXPECT_EQ(host::DialogTitle(items), "File search");
  EXPECT_EQ(host::DialogFieldLines(items),
            (std::vector<std::string>{"  [ ] Mask is a regular expression",
                                      "  File masks: [*.txt]", "  Lonely label", "  [x] Case",
                                      "  [?] Third state", "  ( ) Plain text", "  (*) Pattern",
                                      "  [x] Advanced"}));
}

TEST(LineDialog, AcceptingItemIsTheDefaultButtonElseTheFirst) {
  const FarDialogItem with_default[] = {Item(DI_DOUBLEBOX, "T"), Item(DI_BUTTON, "Presets"),
                                        Item(DI_BUTTON, "OK", 0, 0, 1)};
  EXPECT_EQ(host::AcceptingItem(with_default), 2);
  const FarDialogItem without[] = {Item(DI_TEXT, "x"), Item(DI_BUTTON, "Go"),
                                   Item(DI_BUTTON, "Stop")};
  EXPECT_EQ(host::AcceptingItem(without), 1);
  EXPECT_EQ(host::DialogTitle(without), "");
  const FarDialogItem none[] = {Item(DI_TEXT, "x")};
  EXPECT_EQ(host::AcceptingItem(none), -1);
}

}  // namespace
