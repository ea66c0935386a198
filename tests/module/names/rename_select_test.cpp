// Renaming by pattern and selecting by mask through the plugins menu.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/support/host_fixture.hpp"
#include "tests/support/temp_folder.hpp"

namespace {

namespace fs = std::filesystem;
using host::ScriptUi;

struct Rename {
  std::string masks = "*.*";
  std::string text;
  std::string replace;
  bool pattern = false;
  bool repeating = false;
  int scope_button = 3;  // 0 all drives, 1 drive root, 2 tree, 3 folder, 4 selection
  bool open_modified = false;
  bool confirm_line = false;
};

class RenameSelect : public testing_support::HostTest {
 protected:
  RenameSelect() : HostTest(FINDERIX_MODULE_PATH) {}

  void RunRename(const Rename& r) {
    ui_.AnswerMenu(7);
    ui_.AnswerDialog([r](std::span<FarDialogItem> items) {
      host::SetItemText(items[3], r.masks);
      items[4].Selected = r.pattern;
      host::SetItemText(items[6], r.text);
      items[7].Selected = r.repeating;
      host::SetItemText(items[9], r.replace);
      for (int i = 0; i < 5; i++) items[11 + i].Selected = i == r.scope_button;
      items[16].Selected = r.open_modified;
      items[18].Selected = r.confirm_line;
      return 19;
    });
    if (host_->OpenPlugin(OPEN_PLUGINSMENU, 0) != INVALID_HANDLE_VALUE) host_->ClosePlugin();
  }

  void RunRenameSelected(const std::string& text, const std::string& replace) {
    ui_.AnswerMenu(8);
    ui_.AnswerDialog([=](std::span<FarDialogItem> items) {
      host::SetItemText(items[3], text);
      host::SetItemText(items[6], replace);
      return 9;
    });
    host_->OpenPlugin(OPEN_PLUGINSMENU, 0);
  }

  void RunSelect(int menu_index, const std::string& masks) {
    ui_.AnswerMenu(menu_index);
    ui_.AnswerDialog([=](std::span<FarDialogItem> items) {
      host::SetItemText(items[3], masks);
      return 4;
    });
    host_->OpenPlugin(OPEN_PLUGINSMENU, 0);
  }

  std::vector<std::string> Names(const std::string& folder = "work") {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(tree_.Path(folder))) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::vector<std::string> Selected() {
    std::vector<std::string> names;
    for (const PluginPanelItem& item : host_->panels().active().items())
      if (item.Flags & PPIF_SELECTED) names.push_back(item.FindData.cFileName);
    return names;
  }

  void SelectByName(std::initializer_list<std::string> wanted) {
    host::Panel& panel = host_->panels().active();
    for (size_t i = 0; i < panel.items().size(); i++)
      for (const std::string& name : wanted)
        if (panel.items()[i].FindData.cFileName == name) panel.Select(static_cast<int>(i), true);
  }

  using Strings = std::vector<std::string>;
};

// --- Rename ---

TEST_F(RenameSelect, FirstMatchOnlyThenRepeated) {
  tree_.Write("work/report.old.old", "x");
  tree_.Write("work/other.old.old", "x");
  StartHost();
  RunRename({.masks = "report*", .text = "old", .replace = "new"});
  RunRename({.masks = "other*", .text = "old", .replace = "new$R", .repeating = true});
  EXPECT_EQ(Names(), (Strings{"other.new0.new1", "report.new.old"}));
}

TEST_F(RenameSelect, CounterNumbersEveryEntryOfferedMatchedOrNot) {
  tree_.Write("work/sub/a1.txt", "");
  tree_.Write("work/sub/b.txt", "");
  tree_.Write("work/sub/c7.txt", "");
  StartHost();
  host_->panels().active().SetFolder(tree_.ModulePath("work/sub"));
  host::Panel& panel = host_->panels().active();
  for (size_t i = 0; i < panel.items().size(); i++) panel.Select(static_cast<int>(i), std::string(panel.items()[i].FindData.cFileName) != "..");
  RunRename({.text = "(\\d+)", .replace = "${L1}", .pattern = true, .scope_button = 4});
  EXPECT_EQ(Names("work/sub"), (Strings{"a1.txt", "b.txt", "c3.txt"}));
}

TEST_F(RenameSelect, LiteralMatchesIgnoreCaseAndFoldersAreRenamedToo) {
  tree_.Write("work/DRAFT.txt", "");
  tree_.MakeFolder("work/draft-notes");
  StartHost();
  RunRename({.text = "draft", .replace = "final"});
  EXPECT_EQ(Names(), (Strings{"final-notes", "final.txt"}));
}

TEST_F(RenameSelect, OverwriteQuestionOnlyItsFirstButtonReplaces) {
  tree_.Write("work/a.txt", "from a");
  tree_.Write("work/b.txt", "was b");
  StartHost();
  ui_.AnswerMessage(1);  // keep b.txt
  RunRename({.masks = "a.txt", .text = "a", .replace = "b"});
  EXPECT_EQ(ReadText(tree_.Path("work/b.txt")), "was b");
  EXPECT_TRUE(fs::exists(tree_.Path("work/a.txt")));
  ui_.AnswerMessage(0);  // replace it
  RunRename({.masks = "a.txt", .text = "a", .replace = "b"});
  EXPECT_EQ(ReadText(tree_.Path("work/b.txt")), "from a");
  EXPECT_EQ(Names(), (Strings{"b.txt"}));
}

TEST_F(RenameSelect, TargetsThatAreNoPlainNameAreRefusedWithTheErrorBox) {
  tree_.Write("work/a.txt", "keep");
  StartHost();
  ui_.AnswerMessage(0);
  RunRename({.masks = "a.txt", .text = "a", .replace = "?"});  // a name the module cannot own
  ui_.AnswerMessage(0);
  RunRename({.masks = "a.txt", .text = "a", .replace = std::string(300, 'x')});
  for (const char* leaves : {"sub/a", "\\x\\00", ".."}) {
    ui_.AnswerMessage(0);
    RunRename({.masks = "a.txt", .text = "a.txt", .replace = leaves});
  }
  // Control characters: a line break, a terminal escape, C0 and DEL.
  for (const char* control : {"a\nb", "\x1b]0;x\x07", "\x01", "a\x7f"}) {
    ui_.AnswerMessage(0);
    RunRename({.masks = "a.txt", .text = "a.txt", .replace = control});
  }
  int errors = 0;
  for (const ScriptUi::Call& c : ui_.CallsOf(ScriptUi::Kind::kMessage)) errors += c.help_topic == "FRenameError";
  EXPECT_EQ(errors, 9);
  EXPECT_EQ(Names(), (Strings{"a.txt"}));
}

TEST_F(RenameSelect, ErrorBoxSecondButtonStopsTheCommand) {
  tree_.Write("work/a1", "");
  tree_.Write("work/a2", "");
  StartHost();
  SelectByName({"a1", "a2"});
  ui_.AnswerMenu(8);
  ui_.AnswerDialog([](std::span<FarDialogItem> items) {
    host::SetItemText(items[3], "a");
    host::SetItemText(items[6], std::string(300, 'y'));
    return 9;
  });
  ui_.AnswerMessage(1);  // stop after the first failure: a2 is never tried
  host_->OpenPlugin(OPEN_PLUGINSMENU, 0);
  int errors = 0;
  for (const ScriptUi::Call& c : ui_.CallsOf(ScriptUi::Kind::kMessage)) errors += c.help_topic == "FRenameError";
  EXPECT_EQ(errors, 1);
}

TEST_F(RenameSelect, SelectedItemsWithTheCursorOnDotsOfferEveryItemButNeverMoveDots) {
  tree_.Write("work/sub/x1", "");
  tree_.Write("work/sub/x2", "");
  StartHost();
  host_->panels().active().SetFolder(tree_.ModulePath("work/sub"));
  host_->panels().active().SetCursor(0);  // ".."
  RunRenameSelected(".", "_");  // would also match ".." if it were offered for a move
  RunRenameSelected("x", "y");
  EXPECT_EQ(Names("work/sub"), (Strings{"y1", "y2"}));
  EXPECT_TRUE(fs::exists(tree_.Path("work/sub")));
}

TEST_F(RenameSelect, EscAtTheRenameQuestionStopsTheCommand) {
  tree_.Write("work/a1", "");
  tree_.Write("work/a2", "");
  StartHost();
  SelectByName({"a1", "a2"});
  ui_.AnswerMenu(8);
  ui_.AnswerDialog([](std::span<FarDialogItem> items) {
    host::SetItemText(items[3], "a");
    host::SetItemText(items[6], "b");
    items[8].Selected = 1;  // ask before each rename
    return 9;
  });
  ui_.AnswerMessage(-1);
  host_->OpenPlugin(OPEN_PLUGINSMENU, 0);
  EXPECT_EQ(Names(), (Strings{"a1", "a2"}));
}

// --- Select ---

TEST_F(RenameSelect, SelectUnselectAndInvertByMask) {
  for (const char* n : {"a.txt", "b.txt", "c.log"}) tree_.Write(std::string("work/") + n, "");
  tree_.MakeFolder("work/d.txt");
  StartHost();
  RunSelect(3, "*.txt");
  EXPECT_EQ(Selected(), (Strings{"d.txt", "a.txt", "b.txt"}));
  RunSelect(4, "b*");
  EXPECT_EQ(Selected(), (Strings{"d.txt", "a.txt"}));
  RunSelect(5, "*.txt,*.log");
  EXPECT_EQ(Selected(), (Strings{"b.txt", "c.log"}));
  RunSelect(5, "*.txt,*.log");
  EXPECT_EQ(Selected(), (Strings{"d.txt", "a.txt"}));
}

TEST_F(RenameSelect, CancelledSelectChangesNothingAndNoMatchStillRedraws) {
  tree_.Write("work/a.txt", "");
  StartHost();
  int redraws = host_->panels().active().redraw_count();
  RunSelect(3, "*.zzz");
  EXPECT_TRUE(Selected().empty());
  EXPECT_GT(host_->panels().active().redraw_count(), redraws);
  ui_.AnswerMenu(3);
  ui_.AnswerDialog([](std::span<FarDialogItem> items) {
    host::SetItemText(items[3], "*.txt");
    return 5;  // the second button
  });
  host_->OpenPlugin(OPEN_PLUGINSMENU, 0);
  EXPECT_TRUE(Selected().empty());
}

// A mask that does not compile, and then Esc: the dialog next time, and
// the settings the module writes when it goes, hold the old mask and mode.
TEST_F(RenameSelect, LeavingAfterABadPatternMaskChangesNoSetting) {
  tree_.Write("work/a.txt", "");
  StartHost();
  RunSelect(3, "*.txt");
  ui_.AnswerMenu(3);
  ui_.AnswerDialog([](std::span<FarDialogItem> items) {
    items[1].Selected = 1;
    host::SetItemText(items[3], "(x");
    return 4;
  });
  ui_.AnswerMessage(0);  // the pattern error
  ui_.AnswerDialog([](std::span<FarDialogItem> items) {
    EXPECT_STREQ(items[3].Data, "(x");  // back as typed
    return -1;
  });
  host_->OpenPlugin(OPEN_PLUGINSMENU, 0);
  StopHost();
  StartHost();
  ui_.AnswerMenu(4);
  ui_.AnswerDialog([](std::span<FarDialogItem> items) {
    EXPECT_STREQ(items[3].Data, "*.txt");
    EXPECT_EQ(items[1].Selected, 0);
    return -1;
  });
  host_->OpenPlugin(OPEN_PLUGINSMENU, 0);
}

}  // namespace
