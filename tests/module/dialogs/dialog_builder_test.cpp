// The dialog builder through a scripted Dialog service: what the host is
// shown, which closings accept, and when variables change.
#include "module/dialogs/dialog_builder.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "module/dialogs/bindings.hpp"
#include "tests/support/recording_host.hpp"

namespace {

// A number dialog: frame, edit field bound to *value in [min, max], OK/Cancel.
struct NumberDialog {
  NumberDialog(int* value, int minimum, int maximum) : builder(40, 8, "Help") {
    builder.AddFrame(18);
    builder.Add<EditItem>(5, 2, 30, 0, nullptr,
                          std::make_unique<IntBinding>(value, minimum, maximum, 18, 88,
                                                       "QXInvalidNumber"));
    builder.AddOkCancel(0, 1);
  }
  DialogBuilder builder;
};

RecordingHost::DialogAnswer Type(int item, const char* text, int closing) {
  return [=](FarDialogItem* items, int) {
    std::strcpy(items[item].Data, text);
    return closing;
  };
}

}  // namespace

// --- Reading numbers ---

TEST(DialogBuilder, ReadsTheNumberFormsUsersType) {
  struct Row {
    const char* text;
    std::optional<int> value;
  } rows[] = {
      {"0x1F", 31}, {"0X1f", 31}, {"$ff", 255}, {"-5", -5}, {"12abc", 12}, {"010", 10},
      {"0", 0},     {" 7", 7},    {"0xffffffff", -1},       {"", std::nullopt},
      {"   ", std::nullopt},      {"0x", std::nullopt},     {"0X", std::nullopt},
      {"$", std::nullopt},        {"abc", std::nullopt},    {"99999999999", std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string("text '") + row.text + "'");
    EXPECT_EQ(ReadDialogNumber(row.text), row.value);
  }
}

TEST(DialogBuilder, StoresAReadableNumberInRange) {
  RecordingHost host;
  int value = 5;
  NumberDialog dialog(&value, -10, 300);
  host.dialog_answers = {Type(1, "0x1F", 2)};
  EXPECT_EQ(dialog.builder.Run(), 0);
  EXPECT_EQ(value, 31);
  EXPECT_EQ(std::string(host.dialog_snapshots[0][1].Data), "5");
  EXPECT_TRUE(host.messages.empty());
}

TEST(DialogBuilder, OutOfRangeWarnsWithMinimumThenMaximumAndShowsTheDialogAgain) {
  RecordingHost host;
  host.SetMessageText(88, "between %d and %d");
  int value = 5;
  int other = 0;
  DialogBuilder builder(40, 9, "Help");
  builder.AddFrame(18);
  builder.Add<CheckBoxItem>(5, 2, 0, 20, &other);
  builder.Add<EditItem>(5, 3, 30, 0, nullptr,
                        std::make_unique<IntBinding>(&value, 1, 300, 18, 88,
                                                     "QXInvalidNumber"));
  builder.AddOkCancel(0, 1);
  host.dialog_answers = {
      [](FarDialogItem* items, int) {
        items[1].Selected = 1;
        std::strcpy(items[2].Data, "301");
        return 3;
      },
      [](FarDialogItem* items, int) {
        // Shown again as the user left it, with the focus on the bad field.
        EXPECT_EQ(items[1].Selected, 1);
        EXPECT_STREQ(items[2].Data, "301");
        EXPECT_EQ(items[2].Focus, 1);
        EXPECT_EQ(items[0].Focus, 0);
        std::strcpy(items[2].Data, "300");
        return 3;
      }};
  EXPECT_EQ(builder.Run(), 0);
  EXPECT_EQ(value, 300);
  EXPECT_EQ(other, 1);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].help_topic, "QXInvalidNumber");
  // The dialog's title, and an OK button that has a label.
  EXPECT_EQ(host.messages[0].items,
            (std::vector<std::string>{"M18", "between 1 and 300", "M0"}));
  EXPECT_EQ(host.messages[0].flags, FMSG_WARNING);
}

TEST(DialogBuilder, EscAfterAWarningLeavesEveryVariableAlone) {
  RecordingHost host;
  int value = 5;
  NumberDialog dialog(&value, 0, 10);
  host.dialog_answers = {Type(1, "", 2), [](FarDialogItem*, int) { return -1; }};
  EXPECT_EQ(dialog.builder.Run(), -1);
  EXPECT_EQ(value, 5);
  EXPECT_EQ(host.messages.size(), 1u);  // the empty field was refused
}

// --- Exit lists ---

TEST(DialogBuilder, SecondButtonReturnsItsIndexAndStoresNothing) {
  RecordingHost host;
  int value = 5;
  NumberDialog dialog(&value, 0, 100);
  host.dialog_answers = {Type(1, "7", 3)};
  EXPECT_EQ(dialog.builder.Run(), 3);
  EXPECT_EQ(value, 5);
}

TEST(DialogBuilder, ExplicitExitListReturnsThePositionInTheList) {
  RecordingHost host;
  int value = 5;
  NumberDialog dialog(&value, 0, 100);
  const int last = dialog.builder.Add<ButtonItem>(0, 5, 0, 0, 20);
  EXPECT_EQ(last, 4);
  host.dialog_answers = {Type(1, "7", 4), Type(1, "8", 3)};
  EXPECT_EQ(dialog.builder.Run({2, last}), 1);
  EXPECT_EQ(value, 7);
  EXPECT_EQ(dialog.builder.Run({2, last}), -1);  // item 3 is not listed
  EXPECT_EQ(value, 7);
}

TEST(DialogBuilder, OkAcceptsWhereverItemsFollowIt) {
  RecordingHost host;
  int value = 5;
  NumberDialog dialog(&value, 0, 100);
  dialog.builder.Add<ButtonItem>(0, 5, 0, 0, 20);  // item 4, after OK and Cancel
  host.dialog_answers = {Type(1, "7", 3), Type(1, "8", 4), Type(1, "9", 2)};
  EXPECT_EQ(dialog.builder.Run(), 3);  // Cancel, now third from the end
  EXPECT_EQ(dialog.builder.Run(), 4);
  EXPECT_EQ(value, 5);
  EXPECT_EQ(dialog.builder.Run(), 0);  // OK
  EXPECT_EQ(value, 9);
}

// --- Items ---

TEST(DialogBuilder, CheckBoxesStoreTwoOrThreeStates) {
  RecordingHost host;
  int two = 0, three = 0;
  DialogBuilder builder(40, 8, nullptr);
  builder.AddFrame("T");
  builder.Add<CheckBoxItem>(5, 2, 0, "two", &two);
  builder.Add<CheckBoxItem>(5, 3, DIF_3STATE, "three", &three);
  builder.AddOkCancel(0, 1);
  host.dialog_answers = {[](FarDialogItem* items, int) {
    items[1].Selected = 2;
    items[2].Selected = 2;
    return 3;
  }};
  EXPECT_EQ(builder.Run(), 0);
  EXPECT_EQ(two, 1);
  EXPECT_EQ(three, 2);
}

TEST(DialogBuilder, RadioGroupWithNoneSelectedKeepsTheVariable) {
  RecordingHost host;
  int choice = 1;
  DialogBuilder builder(40, 8, nullptr);
  builder.AddFrame("T");
  builder.Add<RadioButtonItem>(5, 2, DIF_GROUP, 20, &choice, 0);
  builder.Add<RadioButtonItem>(5, 3, 0, 21, &choice, 1);
  builder.AddOkCancel(0, 1);
  host.dialog_answers = {[](FarDialogItem* items, int) {
                           EXPECT_EQ(items[1].Selected, 0);
                           EXPECT_EQ(items[2].Selected, 1);
                           items[2].Selected = 0;
                           return 3;
                         },
                         [](FarDialogItem* items, int) {
                           items[1].Selected = 1;
                           items[2].Selected = 0;
                           return 3;
                         }};
  EXPECT_EQ(builder.Run(), 0);
  EXPECT_EQ(choice, 1);
  EXPECT_EQ(builder.Run(), 0);
  EXPECT_EQ(choice, 0);
}

TEST(DialogBuilder, TextAndCharFieldsRoundTrip) {
  RecordingHost host;
  std::string text;  // never set: shows empty
  char delimiter = ',';
  DialogBuilder builder(40, 8, nullptr);
  builder.AddFrame("T");
  builder.Add<EditItem>(5, 2, 30, 0, "History", std::make_unique<StringBinding>(&text));
  builder.Add<EditItem>(5, 3, 5, 0, nullptr, std::make_unique<CharBinding>(&delimiter),
                        DI_FIXEDIT);
  builder.AddOkCancel(0, 1);
  host.dialog_answers = {[](FarDialogItem* items, int) {
    EXPECT_STREQ(items[1].Data, "");
    EXPECT_STREQ(items[1].History, "History");
    EXPECT_TRUE(items[1].Flags & DIF_HISTORY);
    EXPECT_EQ(items[2].Type, DI_FIXEDIT);
    EXPECT_STREQ(items[2].Data, ",");
    std::strcpy(items[1].Data, "new");
    items[2].Data[0] = '\0';
    return 3;
  }};
  EXPECT_EQ(builder.Run(), 0);
  EXPECT_EQ(text, "new");
  EXPECT_EQ(delimiter, '\0');
}

TEST(DialogBuilder, LayoutOfFrameButtonsAndFocus) {
  RecordingHost host;
  DialogBuilder builder(50, 10, "Topic");
  builder.AddFrame(18);
  builder.AddOkCancel(0, 1);
  builder.SetFocus(7);  // beyond the items: no focus at all
  host.dialog_answers = {[](FarDialogItem* items, int count) {
    EXPECT_EQ(count, 3);
    EXPECT_EQ(items[0].Type, DI_DOUBLEBOX);
    EXPECT_EQ(items[0].X1, 3);
    EXPECT_EQ(items[0].Y1, 1);
    EXPECT_EQ(items[0].X2, 46);
    EXPECT_EQ(items[0].Y2, 8);
    EXPECT_STREQ(items[0].Data, "M18");
    EXPECT_EQ(items[1].Y1, 6);
    EXPECT_EQ(items[1].DefaultButton, 1);
    EXPECT_EQ(items[2].DefaultButton, 0);
    EXPECT_EQ(items[1].Flags, DIF_CENTERGROUP);
    for (int i = 0; i < count; i++) EXPECT_EQ(items[i].Focus, 0);
    return 1;
  }};
  EXPECT_EQ(builder.Run(), 0);
}
