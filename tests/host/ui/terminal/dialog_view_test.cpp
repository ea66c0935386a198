// The dialog engine on the cell grid: focus order, check boxes, radio
// groups, closing keys, hotkeys, history and what is written back.
#include "host/ui/terminal/dialog_view.hpp"

#include <gtest/gtest.h>

#include <map>

#include "host/ui/terminal/menu_view.hpp"
#include "tests/host/ui/terminal/dialog_items.hpp"

namespace {

using host::tui::DialogView;
using host::tui::Key;
using host::tui::KeyCode;
using host::tui::Reaction;
using namespace testing_support;

class MemoryHistory : public host::tui::DialogHistory {
 public:
  std::vector<std::string> Entries(const std::string& name) override { return lists[name]; }
  void Add(const std::string& name, const std::string& text) override {
    lists[name] = host::tui::WithEntryFirst(lists[name], text);
  }
  std::map<std::string, std::vector<std::string>> lists;
};

// A search-like dialog: 0 frame, 1 label, 2 edit, 3 separator, 4 check box,
// 5 three-state check box, 6-7 first radio group, 8-9 second group,
// 10 OK (default), 11 Cancel, 12 a button with a hotkey.
std::vector<FarDialogItem> SearchLikeItems() {
  return {Frame(60, 16, "Search"),
          Text(5, 2, "&Search for:"),
          Edit(5, 3, 50, "old"),
          Text(5, 4, "", DIF_BOXCOLOR | DIF_SEPARATOR),
          CheckBox(5, 5, "&Case sensitive", 0),
          CheckBox(5, 6, "&Maybe", 0, DIF_3STATE),
          Radio(5, 7, "&Plain", 1, DIF_GROUP),
          Radio(5, 8, "&Regular", 0),
          Radio(30, 7, "&Forward", 1, DIF_GROUP),
          Radio(30, 8, "&Backward", 0),
          Button(0, 12, "OK", true, DIF_CENTERGROUP),
          Button(0, 12, "Cancel", false, DIF_CENTERGROUP),
          Button(45, 5, "Pr&esets", false)};
}

class DialogViewTest : public testing::Test {
 protected:
  DialogView& Open(int focus = -1) {
    for (FarDialogItem& item : items_) item.Focus = 0;
    if (focus >= 0) items_[static_cast<size_t>(focus)].Focus = 1;
    view_ = std::make_unique<DialogView>(
        host::Dialog{.x1 = -1, .y1 = -1, .x2 = 60, .y2 = 16, .help_topic = "SearchDlg",
                     .items = items_},
        &history_);
    view_->Layout(80, 25);
    return *view_;
  }
  Reaction Press(const Key& key) { return view_->HandleKey(key); }
  Reaction Press(KeyCode code) { return Press(Key::Of(code)); }
  void Type(const std::wstring& text) {
    for (wchar_t ch : text) Press(Key::Char(ch));
  }

  std::vector<FarDialogItem> items_ = SearchLikeItems();
  MemoryHistory history_;
  std::unique_ptr<DialogView> view_;
};

// --- Focus ---

TEST_F(DialogViewTest, FocusStartsOnTheMarkedItemOrElseTheFirstThatTakesIt) {
  EXPECT_EQ(Open().focus(), 2);
  EXPECT_EQ(Open(7).focus(), 7);
}

TEST_F(DialogViewTest, TabStopsOnceInARadioGroupAtItsCheckedButtonAndWraps) {
  items_[7].Selected = 1;  // the first group's second button is checked
  items_[6].Selected = 0;
  Open();
  auto walk = [&](const Key& key, int presses) {
    std::vector<int> order;
    for (int i = 0; i < presses; ++i) {
      Press(key);
      order.push_back(view_->focus());
    }
    return order;
  };
  EXPECT_EQ(walk(Key::Of(KeyCode::kTab), 8), (std::vector<int>{4, 5, 7, 8, 10, 11, 12, 2}));
  EXPECT_EQ(walk(Key::Of(KeyCode::kTab).WithShift(), 6), (std::vector<int>{12, 11, 10, 8, 7, 5}));
}

TEST_F(DialogViewTest, ArrowsVisitEveryItemOfARadioGroup) {
  Open(4);
  std::vector<int> order;
  for (int i = 0; i < 7; ++i) {
    Press(KeyCode::kDown);
    order.push_back(view_->focus());
  }
  EXPECT_EQ(order, (std::vector<int>{5, 6, 7, 8, 9, 10, 11}));
  Press(KeyCode::kUp);
  EXPECT_EQ(view_->focus(), 10);
}

TEST_F(DialogViewTest, LeftAndRightMoveTheCursorInAFieldButTheFocusElsewhere) {
  Open();
  Press(KeyCode::kLeft);
  EXPECT_EQ(view_->focus(), 2);
  Press(KeyCode::kTab);
  Press(KeyCode::kRight);
  EXPECT_EQ(view_->focus(), 5);
}

// --- Check boxes and radio buttons ---

TEST_F(DialogViewTest, SpaceTogglesTwoStateAndCyclesThreeStateCheckBoxes) {
  Open(4);
  Press(Key::Char(L' '));
  view_->WriteBack();
  EXPECT_EQ(items_[4].Selected, 1);
  Press(Key::Char(L' '));
  view_->WriteBack();
  EXPECT_EQ(items_[4].Selected, 0);

  Press(KeyCode::kTab);
  std::vector<int> states;
  for (int i = 0; i < 4; ++i) {
    Press(Key::Char(L' '));
    view_->WriteBack();
    states.push_back(items_[5].Selected);
  }
  EXPECT_EQ(states, (std::vector<int>{1, 2, 0, 1}));
}

TEST_F(DialogViewTest, ARadioButtonClearsOnlyItsOwnGroup) {
  Open(7);
  Press(Key::Char(L' '));
  view_->WriteBack();
  EXPECT_EQ(items_[6].Selected, 0);
  EXPECT_EQ(items_[7].Selected, 1);
  EXPECT_EQ(items_[8].Selected, 1);  // the second group keeps its choice
  EXPECT_EQ(items_[9].Selected, 0);
}

// --- Closing ---

TEST_F(DialogViewTest, EnterInAFieldClosesThroughTheDefaultButton) {
  Open();
  EXPECT_EQ(Press(KeyCode::kEnter), Reaction::kClose);
  EXPECT_EQ(view_->result(), 10);
}

TEST_F(DialogViewTest, EnterOrSpaceOnAButtonClosesThroughIt) {
  Open(11);
  EXPECT_EQ(Press(KeyCode::kEnter), Reaction::kClose);
  EXPECT_EQ(view_->result(), 11);
  Open(12);
  EXPECT_EQ(Press(Key::Char(L' ')), Reaction::kClose);
  EXPECT_EQ(view_->result(), 12);
}

TEST_F(DialogViewTest, EscClosesWithMinusOneAndTheRecordsShowWhatWasTyped) {
  Open();
  Type(L"new");
  EXPECT_EQ(Press(KeyCode::kEsc), Reaction::kClose);
  EXPECT_EQ(view_->result(), -1);
  view_->WriteBack();
  EXPECT_STREQ(items_[2].Data, "new");
  EXPECT_EQ(items_[2].Focus, 1);
}

TEST_F(DialogViewTest, F1AsksForTheDialogsHelpTopic) {
  Open();
  EXPECT_EQ(Press(KeyCode::kF1), Reaction::kHelp);
  EXPECT_EQ(view_->help_topic(), "SearchDlg");
}

// --- Hotkeys ---

TEST_F(DialogViewTest, AltWithAHotkeyActsOnItsItem) {
  Open(4);
  Press(Key::Alt(L's'));  // the label's hotkey: its field takes the focus
  EXPECT_EQ(view_->focus(), 2);
  Press(Key::Alt(L'c'));  // a check box is switched
  view_->WriteBack();
  EXPECT_EQ(items_[4].Selected, 1);
  Press(Key::Alt(L'b'));  // a radio button is chosen
  view_->WriteBack();
  EXPECT_EQ(items_[9].Selected, 1);
  EXPECT_EQ(items_[8].Selected, 0);
  EXPECT_EQ(Press(Key::Alt(L'E')), Reaction::kClose);  // a button closes, whatever the case
  EXPECT_EQ(view_->result(), 12);
}

TEST_F(DialogViewTest, APlainLetterIsAHotkeyOnlyOutsideTheFields) {
  Open();
  Type(L"c");
  view_->WriteBack();
  EXPECT_STREQ(items_[2].Data, "c");
  EXPECT_EQ(items_[4].Selected, 0);
  Press(KeyCode::kTab);
  Type(L"r");
  view_->WriteBack();
  EXPECT_EQ(items_[7].Selected, 1);
}

// --- Fields ---

TEST_F(DialogViewTest, TheFocusedFieldIsMarkedSoTypingReplacesIt) {
  Open();
  Type(L"abc");
  view_->WriteBack();
  EXPECT_STREQ(items_[2].Data, "abc");
}

TEST_F(DialogViewTest, APasteOfTenThousandCharactersFillsTheFieldsFiveHundredElevenBytes) {
  Open();
  Type(std::wstring(10000, L'x'));
  view_->WriteBack();
  EXPECT_EQ(std::string(items_[2].Data), std::string(511, 'x'));
}

TEST_F(DialogViewTest, AFixedWidthFieldHoldsNoMoreThanItsWidth) {
  items_[2] = DialogItem(DI_FIXEDIT, 5, 3, 5, 0, ",");
  Open();
  Type(L";:");
  view_->WriteBack();
  EXPECT_STREQ(items_[2].Data, ";");
}

// --- History ---

TEST_F(DialogViewTest, AcceptedTextsGoToTheHistoryAndCtrlDownOffersThem) {
  static const char kName[] = "SearchText";
  items_[2].Flags |= DIF_HISTORY;
  items_[2].History = kName;
  Open();
  Type(L"first");
  Press(KeyCode::kEnter);
  Open();
  Type(L"second");
  Press(KeyCode::kEsc);  // a cancelled dialog adds nothing
  EXPECT_EQ(history_.lists[kName], (std::vector<std::string>{"first"}));

  history_.lists[kName] = {"newest", "older"};
  Open();
  EXPECT_EQ(Press(Key::Of(KeyCode::kDown).WithCtrl()), Reaction::kPopup);
  std::unique_ptr<host::tui::View> popup = view_->TakePopup();
  ASSERT_TRUE(popup);
  popup->Layout(80, 25);
  popup->HandleKey(Key::Of(KeyCode::kDown));
  ASSERT_EQ(popup->HandleKey(Key::Of(KeyCode::kEnter)), Reaction::kClose);
  view_->PopupClosed(*popup);
  view_->WriteBack();
  EXPECT_STREQ(items_[2].Data, "older");
  EXPECT_EQ(items_[2].History, kName);  // the history name is never overwritten
}

TEST_F(DialogViewTest, CtrlDownWithoutAHistoryIsNotAPopup) {
  Open();
  EXPECT_NE(Press(Key::Of(KeyCode::kDown).WithCtrl()), Reaction::kPopup);
}

// --- Drawing ---

TEST_F(DialogViewTest, ItemsAreDrawnAtTheirPlacesInsideTheCentredDialog) {
  Open();
  host::tui::CellGrid grid(80, 25);
  view_->Render(grid);
  // 60 by 16 centred on 80 by 25: the corner is at (10, 4).
  EXPECT_EQ(view_->box().x, 10);
  EXPECT_EQ(view_->box().y, 4);
  EXPECT_EQ(grid.Row(5).substr(13, 12), L"╔═══════════");
  EXPECT_NE(grid.Row(5).find(L" Search "), std::wstring::npos);
  EXPECT_EQ(grid.Row(6).substr(15, 11), L"Search for:");
  EXPECT_EQ(grid.Row(7).substr(15, 3), L"old");
  EXPECT_EQ(grid.Row(8).substr(13, 3), L"╟──");
  EXPECT_EQ(grid.Row(9).substr(15, 18), L"[ ] Case sensitive");
  EXPECT_EQ(grid.Row(11).substr(15, 9), L"(•) Plain");
  EXPECT_NE(grid.Row(16).find(L"[ OK ] [ Cancel ]"), std::wstring::npos);
  EXPECT_TRUE(grid.cursor_visible());
  EXPECT_EQ(grid.cursor_y(), 7);
}

TEST_F(DialogViewTest, OnASmallScreenTheDialogScrollsToTheFocusedItem) {
  Open(11);
  view_->Layout(30, 8);
  host::tui::Rect cancel = view_->ScreenRectOf(11);
  EXPECT_GE(cancel.x, 0);
  EXPECT_LE(cancel.right(), 29);
  EXPECT_GE(cancel.y, 0);
  EXPECT_LE(cancel.y, 7);
  host::tui::CellGrid grid(30, 8);
  view_->Render(grid);
  EXPECT_NE(grid.Row(cancel.y).find(L"Cancel"), std::wstring::npos);
}

}  // namespace

// The editor's replace question: the user's texts carry DIF_SHOWAMPERSAND,
// and a text longer than the frame is clipped inside it.
TEST(DialogViewUserText, AmpersandsShowAndALongTextEndsInAnEllipsisInsideTheFrame) {
  std::vector<FarDialogItem> items = {Frame(40, 8, "Replace"),
                                      Text(-1, 2, "\"Tom & Jerry\"", DIF_SHOWAMPERSAND),
                                      Text(-1, 3, std::string(150, 'x'), DIF_SHOWAMPERSAND),
                                      Button(0, 5, "&Skip", true, DIF_CENTERGROUP)};
  DialogView view(host::Dialog{.x1 = 0, .y1 = 0, .x2 = 39, .y2 = 7, .items = items}, nullptr);
  view.Layout(40, 8);
  host::tui::CellGrid grid(40, 8);
  view.Render(grid);
  EXPECT_NE(grid.Row(2).find(L"\"Tom & Jerry\""), std::wstring::npos) << grid.Row(2);
  // The frame runs from column 3 to 36; the text keeps a column from each.
  EXPECT_EQ(grid.Row(3).substr(3, 34), L"║ " + std::wstring(29, L'x') + L"… ║");
  EXPECT_NE(grid.Row(5).find(L"[ Skip ]"), std::wstring::npos);
}
