// Dialog placement on screens of every size, and item geometry.
#include "host/ui/terminal/dialog_layout.hpp"

#include <gtest/gtest.h>

#include "tests/host/ui/terminal/dialog_items.hpp"

namespace {

using host::tui::PlaceDialog;
using host::tui::PlaceItems;
using host::tui::Rect;
using namespace testing_support;

void ExpectRect(const Rect& rect, int x, int y, int width, int height) {
  EXPECT_EQ(rect.x, x);
  EXPECT_EQ(rect.y, y);
  EXPECT_EQ(rect.width, width);
  EXPECT_EQ(rect.height, height);
}

// --- The dialog on the screen ---

TEST(DialogLayout, MinusOneCentresAndTheSecondCornerIsTheSize) {
  ExpectRect(PlaceDialog(-1, -1, 76, 25, 100, 30), 12, 2, 76, 25);
  ExpectRect(PlaceDialog(-1, -1, 76, 25, 80, 25), 2, 0, 76, 25);
}

TEST(DialogLayout, ExplicitCornersPlaceTheDialogWhereTheyAre) {
  ExpectRect(PlaceDialog(5, 3, 44, 12, 80, 25), 5, 3, 40, 10);
  // Centred across, at explicit rows, as the editor's replace question is.
  ExpectRect(PlaceDialog(-1, 8, 40, 17, 80, 25), 20, 8, 40, 10);
}

TEST(DialogLayout, ADialogLargerThanTheScreenStartsAtItsCorner) {
  ExpectRect(PlaceDialog(-1, -1, 76, 25, 40, 12), 0, 0, 76, 25);
  // An explicit place off the screen is pulled back onto it.
  ExpectRect(PlaceDialog(70, 20, 89, 29, 80, 25), 60, 15, 20, 10);
}

// --- Items inside it ---

TEST(DialogLayout, CentreGroupButtonsShareTheRowOneColumnApart) {
  std::vector<FarDialogItem> items = {
      Frame(60, 10, "T"), Button(0, 7, "OK", true, DIF_CENTERGROUP),
      Button(0, 7, "Cancel", false, DIF_CENTERGROUP), Button(40, 5, "&Presets", false)};
  std::vector<Rect> places = PlaceItems(items, 60);
  // "[ OK ]" 6 and "[ Cancel ]" 10 columns, one apart: 17 columns centred in 60.
  ExpectRect(places[1], 21, 7, 6, 1);
  ExpectRect(places[2], 28, 7, 10, 1);
  ExpectRect(places[3], 40, 5, 11, 1);  // the hotkey mark takes no column
}

TEST(DialogLayout, SeparatorsSpanTheFrameAndCentredTextsAreCentred) {
  std::vector<FarDialogItem> items = {Frame(40, 10, "T"),
                                      Text(5, 4, "", DIF_BOXCOLOR | DIF_SEPARATOR),
                                      Text(-1, 2, "middle"), Edit(5, 3, 20, "abc"),
                                      CheckBox(5, 5, "&Case", 0),
                                      Button(5, 6, "x", false, DIF_NOBRACKETS)};
  std::vector<Rect> places = PlaceItems(items, 40);
  ExpectRect(places[0], 3, 1, 34, 8);
  ExpectRect(places[1], 3, 4, 34, 1);
  ExpectRect(places[2], 17, 2, 6, 1);
  ExpectRect(places[3], 5, 3, 16, 1);
  ExpectRect(places[4], 5, 5, 8, 1);
  ExpectRect(places[5], 5, 6, 1, 1);
}

}  // namespace
