// The panels screen with the real module: the plugins menu, the file
// search dialog typed into, the results panel with F7 and Backspace, the
// configuration, the command line, and folders that go away.
#include "host/app/file_manager.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/host/app/screen_fixture.hpp"

namespace {

using testing_support::ScreenTest;

class FileManagerTest : public ScreenTest {
 protected:
  // Runs the panels screen until the script's F10.
  void RunPanels() {
    terminal_.Press(KeyCode::kF10);
    host::app::FileManager manager(*host_, ui_, &first_lines_);
    ui_.Run(manager);
    EXPECT_TRUE(terminal_.script_done());
  }
};

// --- The file search through the plugins menu ---

TEST_F(FileManagerTest, SearchFromThePluginsMenuListsTheFilesF7RemovesBackspaceReturns) {
  tree_.Write("work/a.txt", "hello world\n");
  tree_.Write("work/b.txt", "nothing\n");
  tree_.Write("work/sub/c.txt", "say hello\n");
  StartHost();
  Press(KeyCode::kF11);
  terminal_.Press(KeyCode::kEnter);  // the plugins menu's one entry
  terminal_.Press(KeyCode::kEnter);  // the file menu's search
  terminal_.Press(Key::Alt(L't'));   // "Containing text"
  terminal_.Type(L"hello");
  terminal_.Press(KeyCode::kEnter);
  terminal_.Do([&] {
    host::Panel& panel = host_->panels().active();
    ASSERT_TRUE(panel.plugin());
    EXPECT_EQ(panel.items().size(), 3u);  // "..", a.txt, sub\c.txt
  });
  terminal_.Press(KeyCode::kDown);
  std::string removed;
  terminal_.Do([&] { removed = host_->panels().active().items()[1].FindData.cFileName; });
  terminal_.Press(KeyCode::kF7);
  terminal_.Do([&] {
    const host::Panel& panel = host_->panels().active();
    ASSERT_EQ(panel.items().size(), 2u);
    EXPECT_NE(panel.items()[1].FindData.cFileName, removed);
  });
  terminal_.Press(KeyCode::kBackspace);
  terminal_.Do([&] {
    EXPECT_FALSE(host_->panels().active().plugin());
    EXPECT_EQ(host_->panels().active().folder(), tree_.ModulePath("work"));
  });
  RunPanels();
  EXPECT_TRUE(terminal_.EverShowed(L"Finderix results"));
  EXPECT_TRUE(terminal_.EverShowed(L"7Remove"));
}

TEST_F(FileManagerTest, EnterOnAResultsFolderLeavesThePanelForThatFolder) {
  tree_.MakeFolder("work/found");
  tree_.Write("work/found/x.txt", "x");
  StartHost();
  terminal_.Type(L"ff:/found//");  // an empty text lists folders too
  terminal_.Press(KeyCode::kEnter);
  terminal_.Press(KeyCode::kDown);
  terminal_.Do([&] {
    ASSERT_TRUE(host_->panels().active().plugin());
  });
  terminal_.Press(KeyCode::kEnter);
  terminal_.Do([&] {
    EXPECT_FALSE(host_->panels().active().plugin());
    EXPECT_EQ(host_->panels().active().folder(), tree_.ModulePath("work/found"));
  });
  RunPanels();
}

// --- The command line ---

TEST_F(FileManagerTest, TheCommandLineSearchOpensTheResultsPanel) {
  tree_.Write("work/a.txt", "needle\n");
  tree_.Write("work/b.txt", "hay\n");
  StartHost();
  terminal_.Type(L"ff: needle");
  terminal_.Press(KeyCode::kEnter);
  terminal_.Do([&] {
    const host::Panel& panel = host_->panels().active();
    ASSERT_TRUE(panel.plugin());
    ASSERT_EQ(panel.items().size(), 2u);
    EXPECT_NE(std::string(panel.items()[1].FindData.cFileName).find("a.txt"), std::string::npos);
  });
  RunPanels();
}

TEST_F(FileManagerTest, ACommandTypedInTheResultsPanelRunsOnThePanelsFolder) {
  tree_.Write("work/a.txt", "needle\n");
  tree_.Write("work/b.txt", "hay\n");
  StartHost();
  terminal_.Type(L"ff: needle");
  Press(KeyCode::kEnter);
  terminal_.Type(L"ff: hay");
  Press(KeyCode::kEnter);
  terminal_.Do([&] {
    const host::Panel& panel = host_->panels().active();
    ASSERT_TRUE(panel.plugin());
    ASSERT_EQ(panel.items().size(), 2u);
    EXPECT_NE(std::string(panel.items()[1].FindData.cFileName).find("b.txt"), std::string::npos);
    EXPECT_EQ(panel.folder(), tree_.ModulePath("work"));
  });
  RunPanels();
}

TEST_F(FileManagerTest, F4InTheResultsPanelEditsTheListedFileAtItsFirstMatch) {
  tree_.Write("work/sub/a.txt", "hay\r\nstack\nneedle\nneedle\n");
  StartHost();
  terminal_.Type(L"ff: needle");
  terminal_.Press(KeyCode::kEnter);
  terminal_.Press(KeyCode::kDown);
  terminal_.Press(KeyCode::kF4);
  terminal_.Do([&] {
    ASSERT_TRUE(host_->editor());
    EXPECT_EQ(host_->editor()->path(), tree_.Path("work/sub/a.txt"));
    EXPECT_EQ(host_->editor()->cur_line(), 2);
  });
  terminal_.Press(KeyCode::kEsc);
  terminal_.Do([&] {
    EXPECT_FALSE(host_->editor());
    EXPECT_TRUE(host_->panels().active().plugin());  // back in the results panel
  });
  RunPanels();
}

TEST_F(FileManagerTest, CdChangesTheActivePanelsFolderAndABadOneIsReported) {
  tree_.MakeFolder("work/sub");
  StartHost();
  terminal_.Type(L"cd sub");
  terminal_.Press(KeyCode::kEnter);
  terminal_.Do([&] { EXPECT_EQ(host_->panels().active().folder(), tree_.ModulePath("work/sub")); });
  terminal_.Type(L"cd nowhere");
  terminal_.Press(KeyCode::kEnter);
  terminal_.Press(KeyCode::kEnter);  // the box saying so
  RunPanels();
  EXPECT_TRUE(terminal_.EverShowed(L"Cannot open the folder nowhere"));
}

TEST_F(FileManagerTest, ARefusedCommandStaysOnTheLineAndCtrlEBringsEarlierOnesBack) {
  tree_.Write("work/a.txt", "needle\n");
  StartHost();
  terminal_.Type(L"cd nowhere");
  Press(KeyCode::kEnter);
  Press(KeyCode::kEnter);  // the warning
  terminal_.Type(L"x");    // typed after the text still on the line
  Press(KeyCode::kEnter);
  Press(KeyCode::kEnter);
  Press(KeyCode::kEsc);
  terminal_.Type(L"ff: needle");
  Press(KeyCode::kEnter);
  Press(KeyCode::kBackspace);  // out of the results panel
  terminal_.Do([&] { EXPECT_FALSE(host_->panels().active().plugin()); });
  terminal_.Press(Key::Ctrl(L'e'));  // ff: needle
  terminal_.Press(Key::Ctrl(L'e'));  // cd nowherex
  terminal_.Press(Key::Ctrl(L'x'));  // ff: needle again
  Press(KeyCode::kEnter);
  terminal_.Do([&] { EXPECT_TRUE(host_->panels().active().plugin()); });
  RunPanels();
  EXPECT_TRUE(terminal_.EverShowed(L"Cannot open the folder nowherex"));
  host_.reset();
  // Kept with the dialogs' histories, for the next start.
  platform::SetRegistryFile(tree_.Path("registry.db"));
  EXPECT_EQ(history_.Entries("CommandLine"),
            (std::vector<std::string>{"ff: needle", "cd nowherex", "cd nowhere"}));
  platform::CloseRegistry();
}

// --- Panel keys ---

TEST_F(FileManagerTest, EnterGoesIntoAFolderAndBackUpToIt) {
  tree_.MakeFolder("work/sub");
  tree_.Write("work/z.txt", "");
  StartHost();
  Press(KeyCode::kDown);  // "sub", after ".."
  Press(KeyCode::kEnter);
  terminal_.Do([&] { EXPECT_EQ(host_->panels().active().folder(), tree_.ModulePath("work/sub")); });
  Press(KeyCode::kEnter);  // ".."
  terminal_.Do([&] {
    const host::Panel& panel = host_->panels().active();
    EXPECT_EQ(panel.folder(), tree_.ModulePath("work"));
    EXPECT_STREQ(panel.items()[static_cast<size_t>(panel.cursor())].FindData.cFileName, "sub");
  });
  RunPanels();
}

TEST_F(FileManagerTest, InsertSelectsTabSwitchesAndCtrlCIsIgnored) {
  tree_.Write("work/a.txt", "");
  tree_.Write("work/b.txt", "");
  StartHost();
  Press(KeyCode::kDown);
  Press(KeyCode::kInsert);
  terminal_.Press(Key::Ctrl(L'c'));
  terminal_.Press(Key{});  // a key the host does not know
  terminal_.Do([&] {
    const host::Panel& panel = host_->panels().active();
    EXPECT_TRUE(panel.items()[1].Flags & PPIF_SELECTED);
    EXPECT_EQ(panel.cursor(), 2);
  });
  Press(KeyCode::kTab);
  terminal_.Do([&] { EXPECT_EQ(host_->panels().active().cursor(), 0); });
  RunPanels();
}

TEST_F(FileManagerTest, AFolderThatGoesAwayLeavesThePanelOnItsParent) {
  tree_.MakeFolder("work/sub/deeper");
  StartHost();
  terminal_.Type(L"cd sub/deeper");
  terminal_.Press(KeyCode::kEnter);
  terminal_.Do([&] { std::filesystem::remove_all(tree_.Path("work/sub")); });
  terminal_.Idle();
  terminal_.Do([&] { EXPECT_EQ(host_->panels().active().folder(), tree_.ModulePath("work")); });
  RunPanels();
}

// --- Configuration ---

TEST_F(FileManagerTest, ConfigurationIsStoredWhenItsMenuCloses) {
  StartHost();
  Press(KeyCode::kF9);
  Press(KeyCode::kDown);  // Files
  Press(KeyCode::kEnter);
  Press(KeyCode::kTab);  // "Read whole files up to"
  terminal_.Type(L"77");
  Press(KeyCode::kEnter);
  Press(KeyCode::kEsc);
  RunPanels();
  host_.reset();
  EXPECT_EQ(StoredNumber("ReadAtOnceLimit"), 77u);
}

TEST_F(FileManagerTest, ANumberOutOfRangeBringsTheWarningAndTheDialogBack) {
  StartHost();
  Press(KeyCode::kF9);
  Press(KeyCode::kDown);
  Press(KeyCode::kEnter);
  terminal_.Type(L"999");  // "Most lines in a match": 1 to 255
  Press(KeyCode::kEnter);
  Press(KeyCode::kEnter);  // the warning
  terminal_.Type(L"9");    // the field has the focus again, its text marked
  Press(KeyCode::kEnter);
  Press(KeyCode::kEsc);
  RunPanels();
  EXPECT_TRUE(terminal_.EverShowed(L"Enter a number from 1 to 255"));
  host_.reset();
  EXPECT_EQ(StoredNumber("SeveralLines"), 9u);
}

}  // namespace
