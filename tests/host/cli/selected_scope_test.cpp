// The command text that asks the module for its dialog, and the scope
// button marked in a dialog's records.
#include "host/cli/selected_scope.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "tests/host/ui/terminal/dialog_items.hpp"

namespace {

using host::cli::CommandWithDialog;
using host::cli::MarkRadioButton;
using namespace testing_support;

TEST(SelectedScope, TheTextAsksForTheDialogAndSaysWhetherThePersonDid) {
  struct Row {
    const char* text;
    const char* mask;
    const char* with_dialog;
    bool asked;
  };
  const Row rows[] = {
      {"/*.c/foo/", "*.*", "/*.c/foo/d", false},
      {"/*.c/foo/cd", "*.*", "/*.c/foo/cdd", true},
      {"/*.c/foo/dD", "*.*", "/*.c/foo/dDd", false},
      {"/*.c/foo/bar/Dd", "*.*", "/*.c/foo/bar/Ddd", true},
      {"/*.c/foo/bar/n", "*.*", "/*.c/foo/bar/nd", true},     // a rename always shows it
      {"|a/b|d|x|c", "*.*", "|a/b|d|x|cd", false},             // d in a field is no letter
      {" TODO now", "*.txt", "/*.txt/TODO now/d", false},
      {" a/b", "*.*", "|*.*|a/b|d", false},
      {"\ttab", "x|y", "/x|y/tab/d", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    auto command = CommandWithDialog(row.text, row.mask);
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(command->text, row.with_dialog);
    EXPECT_EQ(command->asked, row.asked);
  }
  EXPECT_FALSE(CommandWithDialog(" /|#,;:!@%^&~=+_.-", "*").has_value());
}

TEST(SelectedScope, MarkingAButtonClearsOnlyItsOwnGroup) {
  std::vector<FarDialogItem> items = {
      Frame(60, 16, "Search"),      Radio(5, 2, "Plain", 1, DIF_GROUP), Radio(5, 3, "Pattern", 0),
      Radio(5, 5, "Tree", 1, DIF_GROUP), Radio(5, 6, "Selected", 0),    Button(0, 8, "OK", true)};
  EXPECT_TRUE(MarkRadioButton(items, "Selected"));
  std::vector<int> marks;
  for (const FarDialogItem& item : items) marks.push_back(item.Selected);
  EXPECT_EQ(marks, (std::vector<int>{0, 1, 0, 0, 1, 0}));
  EXPECT_FALSE(MarkRadioButton(items, "Elsewhere"));
}

}  // namespace
