// The editor's commands: the menu, the text the dialogs propose, the
// dialogs' shapes, find-again in its three states, and the hand-over from
// a file search.
#include <gtest/gtest.h>

#include "tests/module/editor/editor_fixture.hpp"

namespace editor_test {
namespace {

class EditorCommands : public EditorTest {
 protected:
  // Opens the search dialog, records what it proposes, and cancels it.
  std::string ProposedSearchText() {
    std::string proposed;
    ui_.AnswerMenu(0);
    ui_.AnswerDialog([&](std::span<FarDialogItem> items) {
      proposed = items[kSearchText].Data;
      return kSearchCancel;
    });
    CallModule();
    return proposed;
  }

  std::string ProposedReplaceText() {
    std::string proposed;
    ui_.AnswerMenu(1);
    ui_.AnswerDialog([&](std::span<FarDialogItem> items) {
      proposed = items[kReplaceText].Data;
      return kEsc;
    });
    CallModule();
    return proposed;
  }

  ScriptUi::Call LastDialog() { return ui_.CallsOf(ScriptUi::Kind::kDialog).back(); }
};

// --- The menu ---

TEST_F(EditorCommands, MenuOffersSearchReplaceAndFindAgain) {
  Open("text\n");
  ui_.AnswerMenu(-1);
  CallModule();
  const ScriptUi::Call menu = ui_.CallsOf(ScriptUi::Kind::kMenu).at(0);
  EXPECT_EQ(menu.help_topic, "EditorMenu");
  EXPECT_EQ(menu.title, "M18");
  EXPECT_EQ(menu.lines, (std::vector<std::string>{"M10", "M11", "M17"}));
  EXPECT_EQ(menu.flags, FMENU_WRAPMODE | FMENU_AUTOHIGHLIGHT);
  EXPECT_FALSE(host_->panels().active().plugin());
}

// --- The proposed text ---

TEST_F(EditorCommands, OneLineSelectionIsProposedInBothDialogs) {
  SetTextSetting("EText", "stored");
  Open("say foo bar now\nnext\n");
  editor().SelectStream(0, 4, 0, 11);
  EXPECT_EQ(ProposedSearchText(), "foo bar");
  EXPECT_EQ(ProposedReplaceText(), "foo bar");
}

TEST_F(EditorCommands, SelectionOverTwoLinesProposesTheWordAtTheCursor) {
  SetTextSetting("EText", "stored");
  Open("say foo bar now\nnext\n");
  editor().SelectStream(0, 4, 1, 2);
  editor().SetCursor(0, 5);
  EXPECT_EQ(ProposedSearchText(), "foo");
  editor().SetCursor(0, 3);  // on a blank
  EXPECT_EQ(ProposedSearchText(), "stored");
}

TEST_F(EditorCommands, SelectionOnTheLastLineCountsAsOneLine) {
  Open("first\nlast word");
  editor().SelectStream(1, 5, 1, 9);
  EXPECT_EQ(ProposedSearchText(), "word");
}

TEST_F(EditorCommands, WordAtCursorFollowsEFindTextAtCursor) {
  const struct {
    int setting;
    int column;
    const char* proposed;
  } cases[] = {
      {1, 6, "foo_bar1"}, {1, 2, "foo_bar1"}, {1, 10, "stored"}, {2, 10, "+"},
      {0, 6, "stored"},   {1, 11, "stored"},  {2, 40, "stored"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "EFindTextAtCursor " << c.setting << " column " << c.column);
    StopHost();
    SetSetting("EFindTextAtCursor", c.setting);
    SetTextSetting("EText", "stored");
    Open("a foo_bar1+\n");
    editor().SetCursor(0, c.column);
    EXPECT_EQ(ProposedSearchText(), c.proposed);
  }
}

TEST_F(EditorCommands, CyrillicLettersAreWordCharacters) {
  // "слово" in code page 866, between blanks.
  Open("x \xE1\xAB\xAE\xA2\xAE y\n");
  editor().SetCursor(0, 4);
  EXPECT_EQ(ProposedSearchText(), "\xE1\xAB\xAE\xA2\xAE");
}

TEST_F(EditorCommands, ProposedTextIsConvertedFromTheFilesTable) {
  Open("x \xD3\xCC\xCF\xD7\xCF y\n");  // "слово" in KOI8-R
  ASSERT_TRUE(editor().SetCharTable(1));
  editor().SelectStream(0, 2, 0, 7);
  EXPECT_EQ(ProposedSearchText(), "\xE1\xAB\xAE\xA2\xAE");
}

// Letters of a file shown in another table are tested after conversion:
// "МИР" in Windows-1251 is box-drawing bytes to code page 866.
TEST_F(EditorCommands, WordAtTheCursorIsFoundInTheFilesTable) {
  Open("x \xCC\xC8\xD0 y\n");
  ASSERT_TRUE(editor().SetCharTable(0));
  editor().SetCursor(0, 3);
  EXPECT_EQ(ProposedSearchText(), "\x8C\x88\x90");
}

// --- The dialogs ---

TEST_F(EditorCommands, SearchDialogShape) {
  Open("x\n");
  ProposedSearchText();
  const ScriptUi::Call dialog = LastDialog();
  EXPECT_EQ(dialog.help_topic, "SearchDlg");
  ASSERT_EQ(dialog.dialog_items.size(), 11u);
  EXPECT_EQ(dialog.dialog_items[0].Y2, 11);  // a 13-row dialog
  EXPECT_EQ(dialog.dialog_items[kSearchText].Flags & DIF_HISTORY, DIF_HISTORY);
  EXPECT_STREQ(dialog.dialog_items[kSearchText].History, "SearchText");
  EXPECT_EQ(dialog.dialog_items[kSearchOk].DefaultButton, 1);
  EXPECT_STREQ(dialog.dialog_items[kSearchPresets].Data, "M2");
}

TEST_F(EditorCommands, ReplaceDialogHasTheSelectionBoxOnlyWithABlock) {
  Open("abc\nabc\n");
  ProposedReplaceText();
  ScriptUi::Call dialog = LastDialog();
  EXPECT_EQ(dialog.help_topic, "ReplaceDlg");
  EXPECT_EQ(dialog.dialog_items.size(), 15u);
  EXPECT_EQ(dialog.dialog_items[0].Y2, 13);  // 15 rows

  editor().SelectStream(0, 0, 1, 1);
  ProposedReplaceText();
  dialog = LastDialog();
  ASSERT_EQ(dialog.dialog_items.size(), 16u);
  EXPECT_EQ(dialog.dialog_items[0].Y2, 14);  // 16 rows
  EXPECT_STREQ(dialog.dialog_items[kReplaceInSelection].Data, "M94");
  EXPECT_EQ(dialog.dialog_items[kReplaceInSelection].Selected, 1);
}

// The mark a search or a left question puts on a match is not the user's
// block: the next replace neither offers "in selection" nor stays inside it.
TEST_F(EditorCommands, AMatchLeftMarkedIsNoSelection) {
  for (bool by_search : {true, false}) {
    SCOPED_TRACE(by_search ? "after a search" : "after Esc at the question");
    Open("bar one\nfoo two\nfoo three\n");
    if (by_search)
      Search({.text = "foo"});
    else
      RunReplace({.text = "foo", .with = "bar"}, {kEsc});
    EXPECT_EQ(Block(), Span({1, 0}, {1, 3}));
    RunReplace({.text = "t\\w+", .with = "X", .regexp = true}, {kAnswerAll});
    EXPECT_EQ(LastDialog().help_topic, "ERAskReplace");
    EXPECT_EQ(ui_.CallsOf(ScriptUi::Kind::kDialog).rbegin()[1].dialog_items.size(), 15u);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"bar one", "foo X", "foo X", ""}));
  }
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(EditorCommands, CancelledDialogKeepsTheStoredTexts) {
  SetTextSetting("EText", "old");
  SetTextSetting("ERReplace", "older");
  Open("old\n");
  ui_.AnswerMenu(1);
  ui_.AnswerDialog([](std::span<FarDialogItem> items) {
    host::SetItemText(items[kReplaceText], "new");
    host::SetItemText(items[kReplaceWith], "newer");
    return static_cast<int>(items.size()) - 2;  // Cancel
  });
  CallModule();
  ui_.AnswerMenu(1);
  ui_.AnswerDialog([](std::span<FarDialogItem> items) {
    EXPECT_STREQ(items[kReplaceText].Data, "old");
    EXPECT_STREQ(items[kReplaceWith].Data, "older");
    return kEsc;
  });
  editor().SetCursor(0, 3);  // beyond the line: nothing proposed from the cursor
  CallModule();
}

// --- Find again ---

TEST_F(EditorCommands, FindAgainFirstOpensTheSearchDialogAndStaysSoWhenCancelled) {
  Open("x y x\n");
  for (int round = 0; round < 2; round++) {
    ui_.AnswerMenu(2);
    ui_.AnswerDialog([](std::span<FarDialogItem>) { return kSearchCancel; });
    CallModule();
  }
  EXPECT_EQ(ui_.CallsOf(ScriptUi::Kind::kDialog).size(), 2u);

  ui_.AnswerMenu(2);
  ui_.AnswerDialog([](std::span<FarDialogItem> items) {
    host::SetItemText(items[kSearchText], "x");
    return kSearchOk;
  });
  CallModule();
  EXPECT_EQ(Block(), Span({0, 0}, {0, 1}));
  FindAgain();  // no dialog now
  EXPECT_EQ(Block(), Span({0, 4}, {0, 5}));
  EXPECT_EQ(ui_.CallsOf(ScriptUi::Kind::kDialog).size(), 3u);
}

TEST_F(EditorCommands, CancelledSearchDialogLeavesFindAgainSearchingTheStoredText) {
  SetTextSetting("EText", "needle");
  Open("hay needle\n");
  ui_.AnswerMenu(0);
  ui_.AnswerDialog([](std::span<FarDialogItem>) { return kSearchCancel; });
  CallModule();
  FindAgain();
  EXPECT_EQ(Block(), Span({0, 4}, {0, 10}));
}

TEST_F(EditorCommands, FindAgainCompilesAStoredPatternFirst) {
  SetSetting("ERegExp", 1);
  SetTextSetting("EText", "a\\d");
  Open("x a1\n");
  ui_.AnswerMenu(0);
  ui_.AnswerDialog([](std::span<FarDialogItem>) { return kSearchCancel; });
  CallModule();
  FindAgain();
  EXPECT_EQ(Block(), Span({0, 2}, {0, 4}));
}

TEST_F(EditorCommands, FindAgainWithAnEmptyTextDoesNothing) {
  Open("abc\n");
  ui_.AnswerMenu(0);
  ui_.AnswerDialog([](std::span<FarDialogItem> items) {
    host::SetItemText(items[kSearchText], "");
    return kSearchOk;
  });
  CallModule();
  FindAgain();
  EXPECT_EQ(editor().block().type, BTYPE_NONE);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(EditorCommands, ReplaceAgainAsksAgainAndContinuesTheCount) {
  Open("a a a\n");
  RunReplace({.text = "a", .with = "$R"}, {kAnswerReplace, kAnswerCancel});
  EXPECT_EQ(Lines()[0], "0 a a");
  EXPECT_EQ(Cursor(), (Position{0, 3}));

  ui_.AnswerMenu(2);
  AnswerQuestions({kAnswerReplace});
  ui_.AnswerMessage(0);
  CallModule();
  EXPECT_EQ(Lines()[0], "0 a 1");
  EXPECT_EQ(Boxes().size(), 1u);
}

// --- After a file search ---

TEST_F(EditorCommands, FindAgainContinuesAFileSearchWithItsCaseSetting) {
  for (bool case_sensitive : {true, false}) {
    SCOPED_TRACE(case_sensitive);
    StopHost();
    tree_.Write("work/f.txt", "abc\n");
    StartHost();
    ui_.AnswerMenu(0);
    ui_.AnswerDialog([case_sensitive](std::span<FarDialogItem> items) {
      host::SetItemText(items[3], "*.*");
      host::SetItemText(items[5], "abc");
      items[7].Selected = case_sensitive;
      for (int i = 0; i < 6; i++) items[8 + i].Selected = i == 0;  // plain text
      for (int i = 0; i < 6; i++) items[17 + i].Selected = i == 4;  // this folder
      return 23;
    });
    ASSERT_NE(host_->OpenPlugin(OPEN_PLUGINSMENU, 0), INVALID_HANDLE_VALUE);
    host_->ClosePlugin();

    Open("ABC abc\n", "work/edit.me");
    FindAgain();
    EXPECT_EQ(Block(), case_sensitive ? Span({0, 4}, {0, 7}) : Span({0, 0}, {0, 3}));
  }
}

}  // namespace
}  // namespace editor_test
