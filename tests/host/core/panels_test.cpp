// The two panels under the Control commands the module sends: listings,
// selection, folder changes (and the process folder following the active
// panel), and a module's panel shown, re-listed and left.
#include "host/core/panels.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "tests/support/host_fixture.hpp"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const PanelInfo& info) {
  std::vector<std::string> names;
  for (int i = 0; i < info.ItemsNumber; ++i) names.push_back(info.PanelItems[i].FindData.cFileName);
  return names;
}

std::vector<std::string> SelectedNames(const PanelInfo& info) {
  std::vector<std::string> names;
  for (int i = 0; i < info.SelectedItemsNumber; ++i) {
    names.push_back(info.SelectedItems[i].FindData.cFileName);
  }
  return names;
}

class PanelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_folder_ = fs::current_path();
    tree_.Write("work/z.txt", "z");
    tree_.Write("work/a.txt", "a");
    tree_.Write("work/B.txt", "b");
    tree_.MakeFolder("work/b_dir");
    tree_.MakeFolder("work/A_dir/inner");
    tree_.MakeFolder("other");
    ASSERT_TRUE(panels_.Open(tree_.ModulePath("work"), tree_.ModulePath("other")));
  }
  void TearDown() override { fs::current_path(saved_folder_); }

  PanelInfo Info(int command = FCTL_GETPANELINFO, HANDLE panel = INVALID_HANDLE_VALUE) {
    PanelInfo info{};
    EXPECT_TRUE(panels_.Control(panel, command, &info));
    return info;
  }

  bool ProcessIsIn(const std::string& relative) {
    return fs::equivalent(fs::current_path(), tree_.Path(relative));
  }

  testing_support::TempTree tree_;
  host::Panels panels_;
  fs::path saved_folder_;
};

// ---------------------------------------------------------------------------
// Listing
// ---------------------------------------------------------------------------

TEST_F(PanelsTest, ListsParentThenFoldersThenFilesByName) {
  PanelInfo info = Info();
  EXPECT_EQ(Names(info), (std::vector<std::string>{"..", "A_dir", "b_dir", "a.txt", "B.txt",
                                                   "z.txt"}));
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(info.PanelItems[i].FindData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) << i;
  }
  EXPECT_FALSE(info.PanelItems[3].FindData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(info.PanelItems[3].FindData.nFileSizeLow, 1u);
  EXPECT_EQ(info.StructSize, static_cast<int>(sizeof(PanelInfo)));
  EXPECT_EQ(info.PanelType, PTYPE_FILEPANEL);
  EXPECT_EQ(info.Plugin, 0);
  EXPECT_EQ(info.Focus, 1);
  EXPECT_EQ(std::string(info.CurDir), tree_.ModulePath("work"));
}

TEST_F(PanelsTest, AnotherPanelInfoDescribesThePassivePanel) {
  PanelInfo active = Info();
  PanelInfo passive = Info(FCTL_GETANOTHERPANELINFO);
  EXPECT_EQ(std::string(passive.CurDir), tree_.ModulePath("other"));
  EXPECT_EQ(Names(passive), std::vector<std::string>{".."});
  EXPECT_EQ(passive.Focus, 0);
  // The active panel's records stay readable after the other panel's call.
  EXPECT_EQ(Names(active).size(), 6u);
}

TEST_F(PanelsTest, TheRootHasNoParentItem) {
  ASSERT_TRUE(panels_.Control(INVALID_HANDLE_VALUE, FCTL_SETPANELDIR, const_cast<char*>("C:\\")));
  PanelInfo info = Info();
  EXPECT_STREQ(info.CurDir, "C:\\");
  ASSERT_GT(info.ItemsNumber, 0);
  for (const std::string& name : Names(info)) EXPECT_NE(name, "..");
}

TEST_F(PanelsTest, UpdateRereadsTheFolder) {
  tree_.Write("work/c.txt", "new");
  EXPECT_EQ(Info().ItemsNumber, 6) << "nothing changes before the update";
  ASSERT_TRUE(panels_.Control(INVALID_HANDLE_VALUE, FCTL_UPDATEPANEL, nullptr));
  EXPECT_EQ(Names(Info()).at(5), "c.txt");
}

// ---------------------------------------------------------------------------
// Selection
// ---------------------------------------------------------------------------

TEST_F(PanelsTest, SetSelectionRoundTrip) {
  PanelInfo info = Info();
  info.PanelItems[2].Flags |= PPIF_SELECTED;  // b_dir
  info.PanelItems[5].Flags |= PPIF_SELECTED;  // z.txt
  ASSERT_TRUE(panels_.Control(INVALID_HANDLE_VALUE, FCTL_SETSELECTION, &info));

  PanelInfo again = Info();
  for (int i = 0; i < again.ItemsNumber; ++i) {
    bool expected = i == 2 || i == 5;
    EXPECT_EQ((again.PanelItems[i].Flags & PPIF_SELECTED) != 0, expected) << i;
  }
  EXPECT_EQ(SelectedNames(again), (std::vector<std::string>{"b_dir", "z.txt"}));

  again.PanelItems[2].Flags &= ~PPIF_SELECTED;
  ASSERT_TRUE(panels_.Control(INVALID_HANDLE_VALUE, FCTL_SETSELECTION, &again));
  EXPECT_EQ(SelectedNames(Info()), std::vector<std::string>{"z.txt"});
}

TEST_F(PanelsTest, TheParentItemCannotBeSelected) {
  PanelInfo info = Info();
  info.PanelItems[0].Flags |= PPIF_SELECTED;
  ASSERT_TRUE(panels_.Control(INVALID_HANDLE_VALUE, FCTL_SETSELECTION, &info));
  EXPECT_FALSE(Info().PanelItems[0].Flags & PPIF_SELECTED);
}

TEST_F(PanelsTest, WithoutSelectionTheCursorItemStandsForIt) {
  EXPECT_EQ(SelectedNames(Info()), std::vector<std::string>{}) << "the cursor is on ..";
  panels_.active().SetCursor(4);
  PanelInfo info = Info();
  EXPECT_EQ(info.CurrentItem, 4);
  EXPECT_EQ(SelectedNames(info), std::vector<std::string>{"B.txt"});
  EXPECT_FALSE(info.SelectedItems[0].Flags & PPIF_SELECTED);
}

TEST_F(PanelsTest, UpdateKeepsTheSelectionOnlyWhenAsked) {
  panels_.active().Select(3, true);  // a.txt
  panels_.active().SetCursor(5);     // z.txt
  tree_.Write("work/0.txt", "sorts first");
  ASSERT_TRUE(panels_.Control(INVALID_HANDLE_VALUE, FCTL_UPDATEPANEL, reinterpret_cast<void*>(1)));
  PanelInfo info = Info();
  EXPECT_EQ(SelectedNames(info), std::vector<std::string>{"a.txt"});
  EXPECT_STREQ(info.PanelItems[info.CurrentItem].FindData.cFileName, "z.txt");

  ASSERT_TRUE(panels_.Control(INVALID_HANDLE_VALUE, FCTL_UPDATEPANEL, nullptr));
  EXPECT_EQ(SelectedNames(Info()), std::vector<std::string>{"z.txt"}) << "only the cursor item";
}

TEST_F(PanelsTest, RedrawIsCountedAndMayMoveTheCursor) {
  ASSERT_TRUE(panels_.Control(INVALID_HANDLE_VALUE, FCTL_REDRAWPANEL, nullptr));
  PanelRedrawInfo position{3, 0};
  ASSERT_TRUE(panels_.Control(INVALID_HANDLE_VALUE, FCTL_REDRAWPANEL, &position));
  ASSERT_TRUE(panels_.Control(INVALID_HANDLE_VALUE, FCTL_REDRAWANOTHERPANEL, nullptr));
  EXPECT_EQ(panels_.active().redraw_count(), 2);
  EXPECT_EQ(panels_.passive().redraw_count(), 1);
  EXPECT_EQ(panels_.active().cursor(), 3);
}

// ---------------------------------------------------------------------------
// Folders
// ---------------------------------------------------------------------------

TEST_F(PanelsTest, SetPanelDirMovesThePanelAndTheProcessFolder) {
  EXPECT_TRUE(ProcessIsIn("work"));
  struct Step {
    const char* request;
    const char* folder;
  } steps[] = {{"A_dir", "work/A_dir"}, {"inner", "work/A_dir/inner"},
               {"..\\..", "work"},      {"b_dir\\", "work/b_dir"}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.request);
    ASSERT_TRUE(panels_.Control(INVALID_HANDLE_VALUE, FCTL_SETPANELDIR,
                                const_cast<char*>(step.request)));
    EXPECT_EQ(std::string(Info().CurDir), tree_.ModulePath(step.folder));
    EXPECT_TRUE(ProcessIsIn(step.folder));
  }
  std::string absolute = tree_.ModulePath("other");
  ASSERT_TRUE(panels_.Control(INVALID_HANDLE_VALUE, FCTL_SETPANELDIR, absolute.data()));
  EXPECT_TRUE(ProcessIsIn("other"));
}

TEST_F(PanelsTest, SetPanelDirRefusesWhatIsNotAFolder) {
  for (const char* request : {"missing", "a.txt", ""}) {
    SCOPED_TRACE(request);
    EXPECT_FALSE(panels_.Control(INVALID_HANDLE_VALUE, FCTL_SETPANELDIR,
                                 const_cast<char*>(request)));
    EXPECT_EQ(std::string(Info().CurDir), tree_.ModulePath("work"));
  }
  EXPECT_FALSE(panels_.Control(INVALID_HANDLE_VALUE, FCTL_SETPANELDIR, nullptr));
  EXPECT_TRUE(ProcessIsIn("work"));
}

TEST_F(PanelsTest, TheProcessFolderFollowsOnlyTheActivePanel) {
  std::string target = tree_.ModulePath("work/A_dir");
  ASSERT_TRUE(panels_.Control(INVALID_HANDLE_VALUE, FCTL_SETANOTHERPANELDIR, target.data()));
  EXPECT_EQ(panels_.passive().folder(), target);
  EXPECT_TRUE(ProcessIsIn("work"));
  panels_.SwitchActive();
  EXPECT_TRUE(ProcessIsIn("work/A_dir"));
  EXPECT_EQ(std::string(Info().CurDir), target);
}

TEST_F(PanelsTest, CommandsThisHostLacksAndUnknownPanelsFail) {
  PanelInfo info{};
  EXPECT_FALSE(panels_.Control(INVALID_HANDLE_VALUE, FCTL_GETCMDLINE, &info));
  EXPECT_FALSE(panels_.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, nullptr));
  EXPECT_FALSE(panels_.Control(reinterpret_cast<HANDLE>(7), FCTL_GETPANELINFO, &info));
  EXPECT_FALSE(panels_.Control(INVALID_HANDLE_VALUE, FCTL_CLOSEPLUGIN, nullptr))
      << "a file panel has no module panel to close";
}

// ---------------------------------------------------------------------------
// A module's panel
// ---------------------------------------------------------------------------

class FakeLister : public host::PluginLister {
 public:
  bool ListPlugin(HANDLE, host::PluginListing* listing) override {
    ++calls;
    if (fail) return false;
    listing->items.clear();
    for (const std::string& name : names) {
      PluginPanelItem item{};
      std::strcpy(item.FindData.cFileName, name.c_str());
      listing->items.push_back(item);
    }
    listing->cur_dir = "";
    listing->add_dots = true;
    return true;
  }

  std::vector<std::string> names;
  bool fail = false;
  int calls = 0;
};

class ModulePanelTest : public PanelsTest {
 protected:
  HANDLE plugin_ = reinterpret_cast<HANDLE>(1);
  FakeLister lister_;
};

TEST_F(ModulePanelTest, ShowsTheModulesItemsAfterAParentItem) {
  lister_.names = {"C:\\x\\one.txt", "C:\\y\\two.txt"};
  ASSERT_TRUE(panels_.active().ShowPlugin(plugin_, &lister_));
  PanelInfo info = Info(FCTL_GETPANELINFO, plugin_);
  EXPECT_EQ(info.Plugin, 1);
  EXPECT_STREQ(info.CurDir, "");
  EXPECT_EQ(Names(info), (std::vector<std::string>{"..", "C:\\x\\one.txt", "C:\\y\\two.txt"}));
  // The handle names the panel, whichever is active.
  panels_.SwitchActive();
  EXPECT_EQ(Info(FCTL_GETPANELINFO, plugin_).Plugin, 1);
  EXPECT_EQ(Info(FCTL_GETANOTHERPANELINFO, plugin_).Plugin, 0);
}

TEST_F(ModulePanelTest, UpdateListsAgainThroughTheModule) {
  lister_.names = {"C:\\a", "C:\\b"};
  ASSERT_TRUE(panels_.active().ShowPlugin(plugin_, &lister_));
  lister_.names = {"C:\\b"};
  ASSERT_TRUE(panels_.Control(plugin_, FCTL_UPDATEPANEL, nullptr));
  EXPECT_EQ(Names(Info()), (std::vector<std::string>{"..", "C:\\b"}));
  EXPECT_EQ(lister_.calls, 2);
}

TEST_F(ModulePanelTest, AFailedListingShowsNothing) {
  lister_.fail = true;
  EXPECT_FALSE(panels_.active().ShowPlugin(plugin_, &lister_));
  EXPECT_FALSE(panels_.active().plugin());
  EXPECT_EQ(Names(Info()).size(), 6u);
}

TEST_F(ModulePanelTest, ClosingWaitsForTheCallToEndAndGoesToTheFolderGiven) {
  lister_.names = {"C:\\a"};
  ASSERT_TRUE(panels_.active().ShowPlugin(plugin_, &lister_));
  std::string folder = tree_.ModulePath("work/A_dir");
  ASSERT_TRUE(panels_.Control(plugin_, FCTL_CLOSEPLUGIN, folder.data()));
  folder = "overwritten by the module";  // the host keeps its own copy
  EXPECT_TRUE(panels_.active().plugin()) << "still shown until the module's call returns";

  std::vector<HANDLE> closed;
  panels_.FinishRequestedCloses([&](HANDLE plugin) { closed.push_back(plugin); });
  EXPECT_EQ(closed, std::vector<HANDLE>{plugin_});
  EXPECT_FALSE(panels_.active().plugin());
  EXPECT_EQ(std::string(Info().CurDir), tree_.ModulePath("work/A_dir"));
  EXPECT_TRUE(ProcessIsIn("work/A_dir"));

  panels_.FinishRequestedCloses([&](HANDLE plugin) { closed.push_back(plugin); });
  EXPECT_EQ(closed.size(), 1u) << "a close is acted on once";
}

TEST_F(ModulePanelTest, ClosingWithoutAFolderReturnsToThePanelsOwn) {
  lister_.names = {"C:\\a"};
  ASSERT_TRUE(panels_.active().ShowPlugin(plugin_, &lister_));
  ASSERT_TRUE(panels_.Control(INVALID_HANDLE_VALUE, FCTL_CLOSEPLUGIN, nullptr));
  panels_.FinishRequestedCloses([](HANDLE) {});
  EXPECT_EQ(Names(Info()).size(), 6u);
  EXPECT_EQ(std::string(Info().CurDir), tree_.ModulePath("work"));
}

TEST_F(ModulePanelTest, ParentFolderIsTakenFromThePanelsOwnFolder) {
  lister_.names = {"C:\\a"};
  ASSERT_TRUE(panels_.active().ShowPlugin(plugin_, &lister_));
  ASSERT_TRUE(panels_.Control(plugin_, FCTL_CLOSEPLUGIN, const_cast<char*>("..")));
  panels_.FinishRequestedCloses([](HANDLE) {});
  EXPECT_EQ(panels_.active().folder(), platform::ToModulePath(tree_.root()));
}

}  // namespace
