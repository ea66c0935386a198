// The file search end to end: plugins menu, dialog, walk, results panel.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include <sys/resource.h>
#include <sys/stat.h>

#include "platform/host_bridge.hpp"
#include "tests/support/host_fixture.hpp"
#include "tests/support/temp_folder.hpp"

namespace {

namespace fs = std::filesystem;
using host::ScriptUi;

struct Search {
  std::string masks = "*.*";
  std::string text;
  int mode = 0;   // FSearchAs
  int scope = 3;  // FSearchIn
  bool case_sensitive = false;
  bool inverse = false;
  bool all_tables = false;
};

class FileSearch : public testing_support::HostTest {
 protected:
  FileSearch() : HostTest(FINDERIX_MODULE_PATH) {}

  // Answers the file menu with the search and its dialog as a person would.
  void ScriptSearch(const Search& s) {
    ui_.AnswerMenu(0);
    ui_.AnswerDialog([s](std::span<FarDialogItem> items) {
      host::SetItemText(items[3], s.masks);
      host::SetItemText(items[5], s.text);
      items[7].Selected = s.case_sensitive;
      for (int i = 0; i < 6; i++) items[8 + i].Selected = i == s.mode;
      items[14].Selected = s.inverse;
      items[15].Selected = s.all_tables;
      for (int i = 0; i < 6; i++) items[17 + i].Selected = i == s.scope;
      return 23;
    });
  }

  // Runs the search and returns the listed paths (relative to the work
  // folder), or nothing when no results panel opened.
  std::vector<std::string> Run(const Search& s) {
    ScriptSearch(s);
    HANDLE panel = host_->OpenPlugin(OPEN_PLUGINSMENU, 0);
    std::vector<std::string> listed;
    if (panel == INVALID_HANDLE_VALUE) return listed;
    const std::string prefix = tree_.ModulePath("work") + "\\";
    for (const PluginPanelItem& item : host_->panels().active().items()) {
      std::string name = item.FindData.cFileName;
      if (name == "..") continue;
      listed.push_back(name.rfind(prefix, 0) == 0 ? name.substr(prefix.size()) : name);
    }
    std::sort(listed.begin(), listed.end());
    return listed;
  }

  // The real English texts, so that the counts in the boxes can be read.
  void PlaceRealLanguage() {
    placed_module_ = testing_support::PlaceModule(
        tree_, module_path_, "module", ReadText(FINDERIX_SOURCE_DIR "/lang/finderix_en.lng"));
  }

  std::vector<const ScriptUi::Call*> SkippedCalls() {
    std::vector<const ScriptUi::Call*> calls;
    for (const ScriptUi::Call& c : ui_.calls())
      if (c.kind == ScriptUi::Kind::kMessage && c.help_topic == "WalkSkipped") calls.push_back(&c);
    return calls;
  }
  int SkippedBoxes() { return static_cast<int>(SkippedCalls().size()); }
  std::vector<std::string> SkippedLines() {
    auto calls = SkippedCalls();
    return calls.size() == 1 ? calls[0]->lines : std::vector<std::string>{"<boxes: " + std::to_string(calls.size()) + ">"};
  }

  struct NobodySearch {
    const ScriptUi& ui;
    int listed;  // entries of the results panel
  };

  // Searches "x" in `scope` from the work folder as nobody, in a host of
  // its own with the given language file, one box answered with its first
  // button. 0 when a results panel opened, no script call went unanswered
  // and `check` passes.
  int SearchAsNobody(int scope, const std::string& language,
                     const std::function<bool(const NobodySearch&)>& check) {
    tree_.MakeFolder("nobody");
    for (const char* writable : {"", "work", "nobody"}) chmod(tree_.Path(writable).c_str(), 0777);
    return RunAsNobody([&]() -> int {
      ScriptUi ui;
      int unexpected = 0;
      ui.SetFailureHandler([&](const std::string&) { unexpected++; });
      testing_support::PlaceModule(tree_, module_path_, "nobody/module", language);
      host::HostOptions options;
      options.module_path = tree_.Path("nobody/module/finderix.so");
      options.registry_file = tree_.Path("nobody/registry.db");
      options.folder = tree_.Path("work");
      options.lang = "C";
      std::string error;
      auto host = host::Host::Start(options, ui, &error);
      if (!host) return 10;
      ui.AnswerMenu(0);
      ui.AnswerDialog([scope](std::span<FarDialogItem> items) {
        host::SetItemText(items[5], "x");
        for (int i = 0; i < 6; i++) items[17 + i].Selected = i == scope;
        return 23;
      });
      ui.AnswerMessage(0);
      HANDLE panel = host->OpenPlugin(OPEN_PLUGINSMENU, 0);
      int listed = 0;
      for (const PluginPanelItem& item : host->panels().active().items())
        listed += std::string(item.FindData.cFileName) != "..";
      const bool passed = check(NobodySearch{ui, listed});
      host.reset();
      return panel != INVALID_HANDLE_VALUE && unexpected == 0 && passed ? 0 : 11;
    });
  }

  using Names = std::vector<std::string>;

  size_t Boxes(const std::string& topic) {
    size_t count = 0;
    for (const ScriptUi::Call& c : ui_.CallsOf(ScriptUi::Kind::kMessage)) count += c.help_topic == topic;
    return count;
  }

  // Stores the number of search threads for the module to read at start.
  void StoreSearchThreads(int threads) {
    platform::SetRegistryFile(tree_.Path("registry.db"));
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Far\\Plugins\\Finderix", 0, nullptr,
                              0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD value = static_cast<DWORD>(threads);
    RegSetValueExA(key, "SearchThreads", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof value);
    RegCloseKey(key);
    platform::CloseRegistry();
  }
};

class FileSearchOnThreads : public FileSearch, public testing::WithParamInterface<int> {};
INSTANTIATE_TEST_SUITE_P(OneAndThree, FileSearchOnThreads, testing::Values(1, 3));

// Lowers the soft limit on open descriptors to those open now plus `spare`,
// for one scope.
class DescriptorLimit {
 public:
  explicit DescriptorLimit(int spare) {
    getrlimit(RLIMIT_NOFILE, &saved_);
    rlimit lowered = saved_;
    lowered.rlim_cur = OpenDescriptors() + spare;
    setrlimit(RLIMIT_NOFILE, &lowered);
  }
  ~DescriptorLimit() { setrlimit(RLIMIT_NOFILE, &saved_); }

 private:
  static rlim_t OpenDescriptors() {
    rlim_t highest = 0;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd"))
      highest = std::max<rlim_t>(highest, std::stoul(entry.path().filename()));
    return highest + 1;
  }
  rlimit saved_{};
};

// --- The whole route ---

TEST_F(FileSearch, PluginsMenuToResultsPanel) {
  tree_.Write("work/a.txt", "hello world\n");
  tree_.Write("work/b.txt", "nothing here\n");
  tree_.Write("work/sub/c.txt", "say HELLO\n");
  tree_.Write("work/sub/d.log", "hello\n");
  StartHost();
  EXPECT_EQ(Run({.masks = "*.txt", .text = "hello"}), (Names{"a.txt", "sub\\c.txt"}));
  EXPECT_TRUE(host_->panels().active().plugin());

  const ScriptUi::Call menu = ui_.CallsOf(ScriptUi::Kind::kMenu).at(0);
  EXPECT_EQ(menu.help_topic, "FileMenu");
  EXPECT_EQ(menu.lines.size(), 9u);
  const ScriptUi::Call dialog = ui_.CallsOf(ScriptUi::Kind::kDialog).at(0);
  EXPECT_EQ(dialog.help_topic, "FileSearchDlg");
  EXPECT_EQ(dialog.dialog_items.size(), 28u);
  EXPECT_FALSE(ui_.console_titles().empty());
}

TEST_F(FileSearch, ScopesFolderAndTree) {
  tree_.Write("work/a.txt", "x");
  tree_.Write("work/sub/b.txt", "x");
  tree_.Write("work/sub/deeper/c.txt", "x");
  StartHost();
  EXPECT_EQ(Run({.text = "x", .scope = 4}), (Names{"a.txt"}));
  host_->ClosePlugin();
  EXPECT_EQ(Run({.text = "x", .scope = 3}),
            (Names{"a.txt", "sub\\b.txt", "sub\\deeper\\c.txt"}));
}

TEST_F(FileSearch, SelectionScopeTakesSelectedFilesAndFolders) {
  tree_.Write("work/a.txt", "x");
  tree_.Write("work/b.txt", "x");
  tree_.Write("work/sub/c.txt", "x");
  StartHost();
  host::Panel& panel = host_->panels().active();
  for (size_t i = 0; i < panel.items().size(); i++) {
    std::string name = panel.items()[i].FindData.cFileName;
    if (name == "b.txt" || name == "sub") panel.Select(static_cast<int>(i), true);
  }
  EXPECT_EQ(Run({.text = "x", .scope = 5}), (Names{"b.txt", "sub\\c.txt"}));
}

TEST_F(FileSearch, EmptyTextListsFilesAndFoldersAndInverseOnlyFolders) {
  tree_.Write("work/a.txt", "x");
  tree_.Write("work/empty.txt", "");
  tree_.MakeFolder("work/sub");
  StartHost();
  EXPECT_EQ(Run({.text = ""}), (Names{"a.txt", "empty.txt", "sub"}));
  host_->ClosePlugin();
  EXPECT_EQ(Run({.text = "", .inverse = true}), (Names{"sub"}));
}

// What lists as an empty file holds no text: an empty file, and a FIFO or a
// dangling link, which cannot be opened as files but are no unreadable
// files either.
TEST_P(FileSearchOnThreads, ZeroLengthFilesAreFoundOnlyByAnInverseSearch) {
  tree_.Write("work/empty.txt", "");
  tree_.Write("work/full.txt", "abc");
  ASSERT_EQ(mkfifo(tree_.Path("work/pipe").c_str(), 0644), 0);
  fs::create_symlink("nowhere", tree_.Path("work/dangling"));
  StoreSearchThreads(GetParam());
  StartHost();
  EXPECT_EQ(Run({.text = "abc"}), (Names{"full.txt"}));
  host_->ClosePlugin();
  EXPECT_EQ(Run({.text = "abc", .inverse = true}), (Names{"dangling", "empty.txt", "pipe"}));
  EXPECT_EQ(Boxes("FSOpenError"), 0u);
}

// The files a text search lists carry their sizes and attributes in the
// panel, found or, in an inverse search, not found, whoever tested them.
TEST_P(FileSearchOnThreads, ListedFilesCarryTheirSizesAndAttributes) {
  const std::map<std::string, std::string> files = {
      {"one.txt", "abc"},
      {"two.txt", std::string(70000, 'z') + "abc"},
      {"sub\\none.txt", "zz"},
      {"empty.txt", ""}};
  for (const auto& [name, content] : files) {
    std::string posix = name;
    std::replace(posix.begin(), posix.end(), '\\', '/');
    tree_.Write("work/" + posix, content);
  }
  ASSERT_EQ(chmod(tree_.Path("work/two.txt").c_str(), 0444), 0);
  StoreSearchThreads(GetParam());
  StartHost();
  const std::string prefix = tree_.ModulePath("work") + "\\";
  for (const bool inverse : {false, true}) {
    SCOPED_TRACE(inverse ? "inverse" : "plain");
    const Names found = Run({.text = "abc", .inverse = inverse});
    EXPECT_EQ(found, inverse ? (Names{"empty.txt", "sub\\none.txt"}) : (Names{"one.txt", "two.txt"}));
    size_t checked = 0;
    for (const PluginPanelItem& item : host_->panels().active().items()) {
      const std::string path = item.FindData.cFileName;
      if (!path.starts_with(prefix)) continue;  // ".."
      const std::string name = path.substr(prefix.size());
      SCOPED_TRACE(name);
      ASSERT_TRUE(files.contains(name));
      checked++;
      EXPECT_EQ(item.FindData.nFileSizeLow, files.at(name).size());
      EXPECT_EQ(item.FindData.dwFileAttributes & FILE_ATTRIBUTE_READONLY,
                name == "two.txt" ? FILE_ATTRIBUTE_READONLY : 0u);
      EXPECT_NE(item.FindData.ftLastWriteTime.dwHighDateTime, 0u);
    }
    EXPECT_EQ(checked, found.size());
    host_->ClosePlugin();
  }
}

TEST_F(FileSearch, OemTextFoundInKoi8AndWindows1251FilesWithAllTables) {
  tree_.Write("work/koi8.txt", "x \xD0\xD2\xC9\xD7\xC5\xD4 y");    // "привет" in KOI8-R
  tree_.Write("work/cp1251.txt", "x \xEF\xF0\xE8\xE2\xE5\xF2 y");  // and in Windows-1251
  tree_.Write("work/oem.txt", "x \x8F\x90\x88\x82\x85\x92 y");     // "ПРИВЕТ" in code page 866
  StartHost();
  const std::string oem = "\xAF\xE0\xA8\xA2\xA5\xE2";
  EXPECT_EQ(Run({.text = oem}), (Names{"oem.txt"}));
  host_->ClosePlugin();
  EXPECT_EQ(Run({.text = oem, .all_tables = true}), (Names{"cp1251.txt", "koi8.txt", "oem.txt"}));
}

TEST_F(FileSearch, NothingFoundShowsTheBoxAndNoPanel) {
  tree_.Write("work/a.txt", "abc");
  StartHost();
  ui_.AnswerMessage(0);
  EXPECT_TRUE(Run({.text = "zzz"}).empty());
  EXPECT_FALSE(host_->panels().active().plugin());
  std::vector<ScriptUi::Call> boxes;
  for (const ScriptUi::Call& c : ui_.CallsOf(ScriptUi::Kind::kMessage))
    if (!c.progress) boxes.push_back(c);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].help_topic, "NoFilesFound");
}

// A bad pattern, or a bad word of a pattern list, is refused before any
// folder is walked, and the dialog comes back with the text as typed.
TEST_F(FileSearch, BadPatternComesBackToTheDialogBeforeAnyWalk) {
  tree_.Write("work/a.txt", "abc");
  StartHost();
  struct Row {
    int mode;
    const char* text;
  };
  for (const Row& row : {Row{1, "a(b"}, Row{5, "+abc +("}}) {
    SCOPED_TRACE(row.text);
    ui_.AnswerMenu(0);
    ui_.AnswerDialog([row](std::span<FarDialogItem> items) {
      host::SetItemText(items[5], row.text);
      for (int i = 0; i < 6; i++) items[8 + i].Selected = i == row.mode;
      return 23;
    });
    ui_.AnswerMessage(0);
    ui_.AnswerDialog([row](std::span<FarDialogItem> items) {
      EXPECT_STREQ(items[5].Data, row.text);  // kept as typed
      return 24;                              // Cancel
    });
    EXPECT_EQ(host_->OpenPlugin(OPEN_PLUGINSMENU, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Boxes("RegExpError"), row.mode == 1 ? 1u : 2u);
  }
  EXPECT_TRUE(ui_.console_titles().empty());  // no folder was walked
}

// On one thread the files found before the Esc are listed; with workers,
// those of them they had tested by then. None is from a folder the walk
// had not handed out.
TEST_P(FileSearchOnThreads, EscDuringTheWalkKeepsWhatWasFound) {
  for (int i = 0; i < 30; i++) tree_.Write("work/d" + std::to_string(i / 10) + "/f" + std::to_string(i) + ".txt", "x");
  StoreSearchThreads(GetParam());
  StartHost();
  if (GetParam() > 1) {
    // The Esc may come before any worker has finished a file: then nothing
    // is found, and the box that says so is the one box that may come.
    ui_.SetFailureHandler([](const std::string& what) {
      if (what.find("help topic \"NoFilesFound\"") == std::string::npos) ADD_FAILURE() << what;
    });
  }
  // The root's three folders and the first folder's ten files are listed
  // and handed out; the Esc arrives while the second folder is listed.
  ui_.EscAfterPolls(30);
  Names found = Run({.text = "x"});
  if (GetParam() == 1) {
    EXPECT_EQ(found.size(), 10u);
  }
  EXPECT_LE(found.size(), 10u);
  EXPECT_EQ(Boxes("NoFilesFound"), found.empty() ? 1u : 0u);
  for (const std::string& name : found) EXPECT_EQ(name.substr(0, 3), found[0].substr(0, 3));
}

// --- Trees that could trap a walk ---

TEST_F(FileSearch, LinkLoopsAndOverlongPathsEndTheWalkSafely) {
  tree_.Write("work/a.txt", "x");
  fs::create_directory_symlink(".", tree_.Path("work/loop"));
  std::string deep = "work";
  while (deep.size() < 300) deep += "/" + std::string(40, 'd');
  tree_.Write(deep + "/far.txt", "x");
  StartHost();
  ui_.AnswerMessage(0);  // what was not reached
  Names found = Run({.text = "x"});
  EXPECT_EQ(found, (Names{"a.txt"}));  // the loop is not entered, the far file not reached
  EXPECT_EQ(SkippedBoxes(), 1);
}

// 300 levels with a file at every tenth, walked with only a few descriptors
// to spare: everything whose path fits is found, the rest is counted, and a
// walk that held a find handle per level would run out instead.
TEST_F(FileSearch, DeepTreeIsWalkedWithFewDescriptorsAndWhatIsTooLongIsCounted) {
  std::string relative = "work";
  for (int level = 1; level <= 300; level++) {
    relative += "/d";
    if (level % 10 == 0) tree_.Write(relative + "/f.txt", "x");
  }
  PlaceRealLanguage();
  StartHost();
  // The model: the folder at level k is "<work>\d…" (2 bytes a level) and
  // can be listed while "<folder>\*" fits 259 bytes; its file fits or is
  // counted; the first folder that cannot be listed is counted once.
  const size_t work = tree_.ModulePath("work").size();
  Names reachable;
  int too_long = 0;
  std::string shown = "";
  for (size_t level = 1; level <= 300; level++) {
    shown += "d\\";
    if (work + 2 * level + 2 > 259) {
      too_long++;
      break;
    }
    if (level % 10 != 0) continue;
    if (work + 2 * level + 6 > 259)
      too_long++;
    else
      reachable.push_back(shown + "f.txt");
  }
  std::sort(reachable.begin(), reachable.end());
  ASSERT_GT(reachable.size(), 5u);

  ui_.AnswerMessage(0);
  Names found;
  {
    DescriptorLimit limit(12);
    found = Run({.masks = "*.txt", .text = "x"});
  }
  EXPECT_EQ(found, reachable);
  EXPECT_EQ(SkippedLines(), (std::vector<std::string>{
                                "Not everything in the scope was reached",
                                "Paths too long (260 bytes or more): " + std::to_string(too_long)}));
}

// As nobody: folders the user may not list are counted, the rest is
// searched, and one box says how many there were.
TEST_F(FileSearch, FoldersThatCannotBeListedAreCountedInOneBox) {
  tree_.Write("work/a.txt", "x");
  tree_.Write("work/shut/b.txt", "x");
  tree_.Write("work/open/shut/c.txt", "x");
  tree_.Write("work/open/d.txt", "x");
  chmod(tree_.Path("work/shut").c_str(), 0700);
  chmod(tree_.Path("work/open/shut").c_str(), 0);
  int status = SearchAsNobody(3 /* tree */, ReadText(FINDERIX_SOURCE_DIR "/lang/finderix_en.lng"),
                              [](const NobodySearch& search) {
    std::vector<std::string> lines;
    for (const auto& c : search.ui.CallsOf(ScriptUi::Kind::kMessage))
      if (c.help_topic == "WalkSkipped") lines = c.lines;
    return search.listed == 2 && lines == std::vector<std::string>{
                                              "Not everything in the scope was reached",
                                              "Folders that could not be read: 2"};
  });
  ASSERT_NE(status, 254) << "cannot drop privileges here";
  EXPECT_EQ(status, 0);
}

TEST_F(FileSearch, AnUnreadableFileGivesOneBoxAndTheWalkGoesOn) {
  tree_.Write("work/a.txt", "x");
  tree_.Write("work/b.txt", "x");
  tree_.Write("work/c.txt", "x");
  chmod(tree_.Path("work/b.txt").c_str(), 0);
  int status = SearchAsNobody(4 /* folder */, testing_support::NumberedLanguage(200),
                              [](const NobodySearch& search) {
    int boxes = 0;
    for (const auto& c : search.ui.CallsOf(ScriptUi::Kind::kMessage)) boxes += c.help_topic == "FSOpenError";
    return search.listed == 2 && boxes == 1;
  });
  ASSERT_NE(status, 254) << "cannot drop privileges here";
  EXPECT_EQ(status, 0);
}

// A file the pattern cannot decide within its limits is neither listed as
// matching nor, inversely, as not matching: one box says so.
TEST_F(FileSearch, AFileThePatternCannotDecideIsReportedOnceAndNotListed) {
  tree_.Write("work/yes.txt", "yes\n");
  tree_.Write("work/no.txt", "no\n");
  // Nested repeats with a back reference: the DFA matcher cannot help.
  tree_.Write("work/runaway.txt", std::string(40, 'a') + "c\n" + std::string(40, 'a') + "c\n");
  StartHost();
  for (bool inverse : {false, true}) {
    SCOPED_TRACE(inverse ? "inverse" : "plain");
    ui_.AnswerMessage(0);
    const size_t boxes_before = Boxes("FSUndecided");
    EXPECT_EQ(Run({.masks = "*.txt", .text = "(a+)+\\1b|yes", .mode = 1, .inverse = inverse}),
              Names{inverse ? "no.txt" : "yes.txt"});
    EXPECT_EQ(Boxes("FSUndecided"), boxes_before + 1);
    if (host_->panels().active().plugin()) host_->ClosePlugin();
  }
}

// --- The results panel ---

TEST_F(FileSearch, ResultsPanelDropsDeletedFilesAndRemovesSelectedOnF7) {
  tree_.Write("work/a.txt", "x");
  tree_.Write("work/b.txt", "x");
  tree_.Write("work/c.txt", "x");
  StartHost();
  ASSERT_EQ(Run({.text = "x"}), (Names{"a.txt", "b.txt", "c.txt"}));
  host::Panel& panel = host_->panels().active();

  fs::remove(tree_.Path("work/a.txt"));
  panel.Reread(false);
  for (size_t i = 0; i < panel.items().size(); i++)
    if (std::string(panel.items()[i].FindData.cFileName).ends_with("c.txt"))
      panel.Select(static_cast<int>(i), true);
  EXPECT_EQ(host_->ProcessKey(0x176, PKF_CONTROL), 0);  // Ctrl+F7 is the host's
  EXPECT_EQ(host_->ProcessKey(0x176, 0), 1);
  std::vector<std::string> left;
  for (const PluginPanelItem& item : panel.items()) left.push_back(item.FindData.cFileName);
  EXPECT_EQ(left, (Names{"..", tree_.ModulePath("work/b.txt")}));
  EXPECT_TRUE(fs::exists(tree_.Path("work/c.txt")));  // only the list changed
}

TEST_F(FileSearch, BackspaceReturnsToTheStartFolderAndRootIsRefused) {
  tree_.Write("work/sub/a.txt", "x");
  StartHost();
  ASSERT_EQ(Run({.text = "x"}), (Names{"sub\\a.txt"}));
  EXPECT_EQ(host_->SetDirectory("\\", 0), 0);
  EXPECT_EQ(host_->SetDirectory("sub", OPM_FIND), 0);
  EXPECT_TRUE(host_->panels().active().plugin());
  EXPECT_EQ(host_->ProcessKey(8, 0), 1);
  EXPECT_FALSE(host_->panels().active().plugin());
  EXPECT_EQ(host_->panels().active().folder(), tree_.ModulePath("work"));
}

TEST_F(FileSearch, TwoResultsPanelsKeepTheirOwnListsAndWaysBack) {
  tree_.Write("work/a.txt", "alpha");
  tree_.Write("work/sub/b.txt", "beta");
  tree_.Write("work/sub/c.txt", "alpha beta");
  StartHost();
  host::Panels& panels = host_->panels();
  host::Panel& left = panels.active();
  ASSERT_EQ(Run({.text = "alpha"}), (Names{"a.txt", "sub\\c.txt"}));
  panels.SwitchActive();
  host::Panel& right = panels.active();
  ASSERT_TRUE(right.SetFolder(tree_.ModulePath("work/sub")));
  ASSERT_EQ(Run({.text = "beta"}), (Names{"sub\\b.txt", "sub\\c.txt"}));

  // Ctrl+R on each panel lists its own search's files.
  auto listed = [](host::Panel& panel) {
    panel.Reread(false);
    Names names;
    for (const PluginPanelItem& item : panel.items()) names.push_back(item.FindData.cFileName);
    std::sort(names.begin(), names.end());
    return names;
  };
  EXPECT_EQ(listed(left), (Names{"..", tree_.ModulePath("work/a.txt"),
                                 tree_.ModulePath("work/sub/c.txt")}));
  EXPECT_EQ(listed(right), (Names{"..", tree_.ModulePath("work/sub/b.txt"),
                                  tree_.ModulePath("work/sub/c.txt")}));

  // Backspace leaves only the panel it was pressed in, for that panel's home.
  EXPECT_EQ(host_->ProcessKey(8, 0), 1);
  EXPECT_FALSE(right.plugin());
  EXPECT_EQ(right.folder(), tree_.ModulePath("work/sub"));
  ASSERT_TRUE(left.plugin());
  EXPECT_EQ(listed(left).size(), 3u);
  panels.SwitchActive();
  EXPECT_EQ(host_->ProcessKey(8, 0), 1);
  EXPECT_FALSE(left.plugin());
  EXPECT_EQ(left.folder(), tree_.ModulePath("work"));
}

}  // namespace
