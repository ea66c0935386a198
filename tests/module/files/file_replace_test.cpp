// The file replace end to end through the plugins menu: every mode, the
// questions, backups, and files that must come out untouched.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

#include "platform/host_bridge.hpp"
#include "tests/support/host_fixture.hpp"
#include "tests/support/temp_folder.hpp"

namespace {

namespace fs = std::filesystem;
using host::ScriptUi;

struct Replace {
  std::string masks = "*.*";
  std::string text;
  std::string replace;
  int mode = 0;   // FSearchAs: 0 plain, 1 line pattern, 2 window
  int scope = 3;  // FSearchIn
  bool case_sensitive = false;
  bool open_modified = true;
  bool confirm_file = false;
  bool confirm_line = false;
  bool save_original = false;
};

class FileReplace : public testing_support::HostTest {
 protected:
  FileReplace() : HostTest(FINDERIX_MODULE_PATH) {}

  void ScriptReplace(const Replace& r) {
    ui_.AnswerMenu(1);
    ui_.AnswerDialog([r](std::span<FarDialogItem> items) {
      host::SetItemText(items[3], r.masks);
      host::SetItemText(items[5], r.text);
      host::SetItemText(items[7], r.replace);
      items[9].Selected = r.case_sensitive;
      for (int i = 0; i < 3; i++) items[10 + i].Selected = i == r.mode;
      for (int i = 0; i < 6; i++) items[14 + i].Selected = i == r.scope;
      items[20].Selected = r.open_modified;
      items[21].Selected = r.confirm_file;
      items[22].Selected = r.confirm_line;
      items[23].Selected = r.save_original;
      return 24;
    });
  }

  // Runs the replace; returns whether the results panel opened.
  bool Run(const Replace& r) {
    ScriptReplace(r);
    bool opened = host_->OpenPlugin(OPEN_PLUGINSMENU, 0) != INVALID_HANDLE_VALUE;
    if (opened) host_->ClosePlugin();
    return opened;
  }

  std::string Read(const std::string& relative) { return ReadText(tree_.Path(relative)); }

  // Selects every file of the active panel, so that a walk of the selection
  // takes them in the panel's name order.
  void SelectAllFiles() {
    host::Panel& panel = host_->panels().active();
    for (size_t i = 0; i < panel.items().size(); i++)
      if (!(panel.items()[i].FindData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        panel.Select(static_cast<int>(i), true);
  }

  std::vector<ScriptUi::Call> Boxes(const std::string& topic) {
    std::vector<ScriptUi::Call> found;
    for (const ScriptUi::Call& c : ui_.CallsOf(ScriptUi::Kind::kMessage))
      if (c.help_topic == topic) found.push_back(c);
    return found;
  }
};

// --- Modes ---

TEST_F(FileReplace, PlainTextWithAndWithoutCase) {
  tree_.Write("work/a.txt", "Foo foo FOO\r\nfoo");
  tree_.Write("work/b.txt", "Foo foo FOO\r\nfoo");
  StartHost();
  Run({.masks = "a.txt", .text = "foo", .replace = "bar"});
  EXPECT_EQ(Read("work/a.txt"), "bar bar bar\r\nbar");
  Run({.masks = "b.txt", .text = "foo", .replace = "bar", .case_sensitive = true});
  EXPECT_EQ(Read("work/b.txt"), "Foo bar FOO\r\nbar");
}

TEST_F(FileReplace, LinePatternKeepsLineEndsAndAnchorsToTheLineStart) {
  tree_.Write("work/a.txt", "aaa\n\nab\r\nxa\rba");
  StartHost();
  Run({.text = "^a", .replace = "<$0>", .mode = 1});
  EXPECT_EQ(Read("work/a.txt"), "<a>aa\n\n<a>b\r\nxa\rba");
}

TEST_F(FileReplace, LinePatternGroupsAndWordBoundaries) {
  tree_.Write("work/a.txt", "John Smith\nfoofoo-foo\n");
  StartHost();
  // Matches go on from an offset in the whole line: the foo inside foofoo
  // stands after a word character and is no word start.
  Run({.text = "(\\w+) (\\w+)|\\bfoo", .replace = "[$2,$1]", .mode = 1});
  EXPECT_EQ(Read("work/a.txt"), "[Smith,John]\n[,]foo-[,]\n");
}

TEST_F(FileReplace, EmptyMatchesStepForwardAndWriteEveryByteOnce) {
  tree_.Write("work/a.txt", "abc\nxab\n");
  StartHost();
  Run({.text = "x*", .replace = "-", .mode = 1});
  EXPECT_EQ(Read("work/a.txt"), "-a-b-c-\n--a-b-\n");
}

TEST_F(FileReplace, WindowPatternSpansLineBreaksWithinTheWindowOnly) {
  tree_.Write("work/a.txt", "one\ntwo\nthree\nfour\n");
  tree_.Write("work/b.txt", "one\ntwo\nthree\nfour\n");
  StartHost();
  // SeveralLines is 5 by default: a match over three lines is found.
  Run({.masks = "a.txt", .text = "one\\ntwo\\nthree", .replace = "X", .mode = 2});
  EXPECT_EQ(Read("work/a.txt"), "X\nfour\n");
  Run({.masks = "b.txt", .text = "two\\nthree\\nfour\\n$", .replace = "Y", .mode = 2});
  EXPECT_EQ(Read("work/b.txt"), "one\nY");
}

TEST_F(FileReplace, TemplateLineBreakIsASingleLineFeed) {
  tree_.Write("work/a.txt", "a,b\r\n");
  StartHost();
  Run({.text = ",", .replace = "\\n"});
  EXPECT_EQ(Read("work/a.txt"), "a\nb\r\n");
}

// --- What stays untouched ---

TEST_F(FileReplace, FileWithoutAMatchKeepsItsBytesAndTimes) {
  tree_.Write("work/a.txt", "nothing here");
  struct stat before;
  ASSERT_EQ(stat(tree_.Path("work/a.txt").c_str(), &before), 0);
  sleep(1);
  StartHost();
  ui_.AnswerMessage(0);  // nothing rewritten: the not-found box
  EXPECT_FALSE(Run({.text = "zzz", .replace = "y"}));
  struct stat after;
  ASSERT_EQ(stat(tree_.Path("work/a.txt").c_str(), &after), 0);
  EXPECT_EQ(before.st_mtim.tv_sec, after.st_mtim.tv_sec);
  EXPECT_EQ(before.st_ino, after.st_ino);
  EXPECT_EQ(Read("work/a.txt"), "nothing here");
}

TEST_F(FileReplace, ReadOnlyFileIsRefusedAndKept) {
  tree_.Write("work/a.txt", "foo");
  chmod(tree_.Path("work/a.txt").c_str(), 0444);
  StartHost();
  ui_.AnswerMessage(0);  // the create error
  ui_.AnswerMessage(0);  // nothing rewritten
  Run({.text = "foo", .replace = "bar"});
  EXPECT_EQ(Read("work/a.txt"), "foo");
  EXPECT_EQ(Boxes("FRCreateError").size(), 1u);
}

TEST_F(FileReplace, PermissionsAndLinksSurviveARewrite) {
  tree_.Write("work/data/a.txt", "foo");
  chmod(tree_.Path("work/data/a.txt").c_str(), 0751);
  fs::create_symlink("data/a.txt", tree_.Path("work/link.txt"));
  StartHost();
  Run({.masks = "link.txt", .text = "foo", .replace = "bar", .scope = 4});
  EXPECT_TRUE(fs::is_symlink(tree_.Path("work/link.txt")));
  EXPECT_EQ(Read("work/data/a.txt"), "bar");
  struct stat st;
  ASSERT_EQ(stat(tree_.Path("work/data/a.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0751u);
}

// --- Backups ---

TEST_F(FileReplace, BackupKeepsThePreviousTextAndAnExistingOneIsNeverOverwritten) {
  tree_.Write("work/report.txt", "old text");
  StartHost();
  Run({.masks = "report.txt", .text = "old", .replace = "new", .save_original = true});
  EXPECT_EQ(Read("work/report.txt"), "new text");
  EXPECT_EQ(Read("work/report.txt.old"), "old text");

  ui_.AnswerMessage(0);  // the backup error
  ui_.AnswerMessage(0);  // nothing rewritten
  Run({.masks = "report.txt", .text = "new", .replace = "newer", .save_original = true});
  EXPECT_EQ(Read("work/report.txt"), "new text");
  EXPECT_EQ(Read("work/report.txt.old"), "old text");
  EXPECT_EQ(Boxes("FRBackupError").size(), 1u);
}

TEST_F(FileReplace, WithoutBackupsNoOtherFileRemains) {
  tree_.Write("work/a.txt", "foo");
  StartHost();
  Run({.text = "foo", .replace = "bar"});
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(tree_.Path("work"))) names.push_back(e.path().filename());
  EXPECT_EQ(names, (std::vector<std::string>{"a.txt"}));
}

// --- Questions ---

TEST_F(FileReplace, ReplacementQuestionButtons) {
  tree_.Write("work/a.txt", "x x x x");
  tree_.Write("work/b.txt", "x x");
  StartHost();
  SelectAllFiles();
  // a.txt: replace, skip, all (the fourth x follows without asking);
  // b.txt asks again: stop leaves both of its matches.
  for (int answer : {0, 2, 1, 3}) ui_.AnswerMessage(answer);
  Run({.text = "x", .replace = "y", .scope = 5, .confirm_line = true});
  EXPECT_EQ(Read("work/a.txt"), "y x y y");
  EXPECT_EQ(Read("work/b.txt"), "x x");
  std::vector<ScriptUi::Call> asked = Boxes("FRAskReplace");
  ASSERT_EQ(asked.size(), 4u);
  EXPECT_EQ(asked[0].buttons.size(), 4u);
}

TEST_F(FileReplace, FileQuestionButtons) {
  for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"}) tree_.Write(std::string("work/") + name, "x");
  tree_.Write("work/clean.txt", "nothing");
  StartHost();
  SelectAllFiles();
  // a: yes; b: skip; c: all (d follows without asking). clean.txt has no
  // match and is never asked about.
  for (int answer : {0, 2, 1}) ui_.AnswerMessage(answer);
  Run({.text = "x", .replace = "y", .scope = 5, .confirm_file = true});
  EXPECT_EQ(Read("work/a.txt"), "y");
  EXPECT_EQ(Read("work/b.txt"), "x");
  EXPECT_EQ(Read("work/c.txt"), "y");
  EXPECT_EQ(Read("work/d.txt"), "y");
  EXPECT_EQ(Boxes("FRConfirmFile").size(), 3u);
}

TEST_F(FileReplace, FourthButtonOfTheFileQuestionStopsTheWalk) {
  tree_.Write("work/a.txt", "x");
  tree_.Write("work/b.txt", "x");
  StartHost();
  ui_.AnswerMessage(3);
  ui_.AnswerMessage(0);  // nothing rewritten
  Run({.text = "x", .replace = "y", .scope = 4, .confirm_file = true});
  EXPECT_EQ(Read("work/a.txt") + Read("work/b.txt"), "xx");
}

TEST_F(FileReplace, EachCommandStartsWithoutTheLastOnesAnswersOrStop) {
  tree_.Write("work/a.txt", "x");
  tree_.Write("work/b.txt", "x");
  StartHost();
  const Replace asking{.text = "x", .replace = "y", .scope = 5, .confirm_file = true};
  SelectAllFiles();
  ui_.AnswerMessage(3);  // stop at a.txt
  ui_.AnswerMessage(0);  // nothing rewritten
  Run(asking);
  SelectAllFiles();
  ui_.AnswerMessage(1);  // the stop is over: asked at a.txt again; all
  Run(asking);
  EXPECT_EQ(Read("work/a.txt") + Read("work/b.txt"), "yy");
  tree_.Write("work/a.txt", "x");
  SelectAllFiles();
  ui_.AnswerMessage(2);  // "all" is over too: asked again; skip
  ui_.AnswerMessage(0);  // nothing rewritten
  Run(asking);
  EXPECT_EQ(Read("work/a.txt"), "x");
  EXPECT_EQ(Boxes("FRConfirmFile").size(), 3u);
}

// Nothing changes without a yes: a file whose every replacement is
// declined (Skip, or Esc, which skips) or stopped at (Cancel) keeps its
// bytes, inode and times, and is not listed.
TEST_F(FileReplace, DecliningEveryMatchLeavesTheFileUntouchedAndUnlisted) {
  tree_.Write("work/a.txt", "x and x");
  StartHost();
  struct stat before{};
  ASSERT_EQ(stat(tree_.Path("work/a.txt").c_str(), &before), 0);
  for (std::vector<int> answers : {std::vector<int>{2, 2, 0}, std::vector<int>{-1, -1, 0},
                                   std::vector<int>{3, 0}}) {
    SCOPED_TRACE(answers[0]);
    for (int answer : answers) ui_.AnswerMessage(answer);  // 0: the nothing-found box
    EXPECT_FALSE(Run({.text = "x", .replace = "y", .confirm_line = true}));
    EXPECT_EQ(Read("work/a.txt"), "x and x");
    struct stat after{};
    ASSERT_EQ(stat(tree_.Path("work/a.txt").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec);
  }
}

TEST_F(FileReplace, AnExistingBackupIsNamedAndTheRunGoesOn) {
  tree_.Write("work/a.txt", "foo");
  tree_.Write("work/a.txt.old", "an earlier foo");
  tree_.Write("work/b.txt", "foo");
  StartHost();
  ui_.AnswerMessage(0);  // a.txt's backup exists
  Run({.masks = "*.txt", .text = "foo", .replace = "bar", .save_original = true});
  EXPECT_EQ(Read("work/a.txt"), "foo");
  EXPECT_EQ(Read("work/a.txt.old"), "an earlier foo");
  EXPECT_EQ(Read("work/b.txt"), "bar");
  EXPECT_EQ(Read("work/b.txt.old"), "foo");
  std::vector<ScriptUi::Call> boxes = Boxes("FRBackupError");
  ASSERT_EQ(boxes.size(), 1u);
  bool names_backup = false;
  for (const std::string& line : boxes[0].lines) names_backup |= line.ends_with("a.txt.old");
  EXPECT_TRUE(names_backup);
}

// --- Files that are not what their names suggest ---

TEST_F(FileReplace, AFileReachedByTwoNamesIsRewrittenOnce) {
  struct Case {
    const char* text;
    const char* replace;
    int mode;
    const char* expected;
  };
  // The second names: one beside the file, in the walk's order either
  // before or after it, and one met well after its rewrite was committed
  // (past many files of a subfolder), when the file already holds its new
  // content, which the last case's pattern no longer matches.
  const char* links[] = {"work/alias.txt", "work/sub/later/alias.txt"};
  size_t boxes = 0;
  for (const Case& c : {Case{"version=1", "version=1.0", 0, "version=1.0 ver 1"},
                        Case{"ver (\\d+)", "ver 1$1", 1, "version=1 ver 11"},
                        Case{"version=1", "v2", 0, "v2 ver 1"}}) {
    SCOPED_TRACE(c.text);
    tree_.Write("work/conf.txt", "version=1 ver 1");
    for (int i = 0; i < 200; i++) tree_.Write("work/sub/filler" + std::to_string(i) + ".txt", "none");
    fs::create_directories(tree_.Path("work/sub/later"));
    for (const char* link : links) {
      fs::remove(tree_.Path(link));
      fs::create_symlink(fs::relative(tree_.Path("work/conf.txt"), fs::path(tree_.Path(link)).parent_path()),
                         tree_.Path(link));
    }
    StartHost();
    for (size_t i = 0; i < std::size(links); i++) ui_.AnswerMessage(0);  // each second name
    Run({.masks = "*.txt", .text = c.text, .replace = c.replace, .mode = c.mode});
    EXPECT_EQ(Read("work/conf.txt"), c.expected);
    for (const char* link : links) EXPECT_TRUE(fs::is_symlink(tree_.Path(link)));
    boxes += std::size(links);
    EXPECT_EQ(Boxes("FRSameFile").size(), boxes);
    StopHost();
  }
}

TEST_F(FileReplace, AFileWithSeveralHardLinksIsRefusedAndKeptWhole) {
  tree_.Write("work/a.txt", "foo");
  ASSERT_EQ(link(tree_.Path("work/a.txt").c_str(), tree_.Path("work/b.txt").c_str()), 0);
  StartHost();
  ui_.AnswerMessage(0);  // a.txt
  ui_.AnswerMessage(0);  // b.txt
  ui_.AnswerMessage(0);  // nothing rewritten
  Run({.text = "foo", .replace = "bar"});
  EXPECT_EQ(Read("work/a.txt"), "foo");
  struct stat st;
  ASSERT_EQ(stat(tree_.Path("work/b.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_nlink, 2u);
  EXPECT_EQ(Boxes("FRHardLinks").size(), 2u);
}

TEST_F(FileReplace, AnotherProgramsAppendDuringTheReplaceIsNeverLost) {
  std::string big;
  for (int i = 0; i < 200000; i++) big += "line with foo\n";  // mapped: over 1 MiB
  tree_.Write("work/big.txt", big);
  StartHost();
  ui_.AnswerMessage(0);  // the file changed meanwhile
  ui_.AnswerMessage(0);  // nothing rewritten
  std::atomic<bool> stop = false;
  int appended = 0;
  std::thread writer([&] {
    for (; !stop; appended++) {
      FILE* file = fopen(tree_.Path("work/big.txt").c_str(), "a");
      fprintf(file, "appended %d\n", appended);
      fclose(file);
      usleep(100);
    }
  });
  Run({.text = "foo", .replace = "bar"});
  stop = true;
  writer.join();
  const std::string now = Read("work/big.txt");
  EXPECT_TRUE(now.starts_with(big)) << "the replace was dropped";
  for (int i = 0; i < appended; i++)
    ASSERT_NE(now.find("appended " + std::to_string(i) + "\n"), std::string::npos) << i;
  EXPECT_EQ(Boxes("FRFileChanged").size(), 1u);
}

// --- Large files go through a mapped view ---

TEST_F(FileReplace, LargeFilesAreMappedAndRewrittenTheSameWay) {
  std::string big;
  for (int i = 0; i < 50000; i++) big += "line " + std::to_string(i) + " foo\n";
  tree_.Write("work/big.txt", big);
  StartHost();
  Run({.text = "foo", .replace = "bar"});  // 1 MiB over the default 1024 KB
  std::string expected = big;
  for (size_t at = expected.find("foo"); at != std::string::npos; at = expected.find("foo", at))
    expected.replace(at, 3, "bar");
  EXPECT_EQ(Read("work/big.txt"), expected);
  EXPECT_FALSE(fs::exists(tree_.Path("work/big.txt.old")));
}

// --- A killed rewrite ---

TEST_F(FileReplace, AKillAtAnyMomentLeavesEveryFileOldOrNewAndNoStrayFile) {
  placed_module_ = testing_support::PlaceModule(tree_, module_path_, "module",
                                                testing_support::NumberedLanguage(200));
  // One large file, then a batch of files whose commits overlap.
  struct Batch {
    int files;
    int lines;
  };
  for (const Batch batch : {Batch{1, 400000}, Batch{40, 10000}}) {
    std::string old_text;
    for (int i = 0; i < batch.lines; i++) old_text += "line with foo in it\n";
    std::string new_text = old_text;
    for (size_t at = new_text.find("foo"); at != std::string::npos; at = new_text.find("foo", at))
      new_text.replace(at, 3, "bar");
    std::vector<std::string> files;
    for (int i = 0; i < batch.files; i++) files.push_back("f" + std::to_string(100 + i) + ".txt");
    for (int delay_ms : {5, 20, 60, 150, 400}) {
      SCOPED_TRACE(testing::Message() << batch.files << " files, killed after " << delay_ms << " ms");
      for (const std::string& name : files) tree_.Write("work/" + name, old_text);
      pid_t child = fork();
      ASSERT_GE(child, 0);
      if (child == 0) {  // the replace, killed somewhere on its way
        // Its copy of the module goes into the tree, which the parent removes.
        tree_.MakeFolder("tmp");
        setenv("TMPDIR", tree_.Path("tmp").c_str(), 1);
        std::string error;
        host_ = host::Host::Start(Options(), ui_, &error);
        if (host_) {
          ScriptReplace({.text = "foo", .replace = "bar", .scope = 4, .open_modified = false});
          host_->OpenPlugin(OPEN_PLUGINSMENU, 0);
        }
        _exit(0);
      }
      usleep(delay_ms * 1000);
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
      for (const std::string& name : files) {
        std::string now = ReadText(tree_.Path("work/" + name));
        EXPECT_TRUE(now == old_text || now == new_text) << name << ": size " << now.size();
      }
      std::vector<std::string> names;
      for (const auto& e : fs::directory_iterator(tree_.Path("work"))) names.push_back(e.path().filename());
      std::sort(names.begin(), names.end());
      EXPECT_EQ(names, files);
      fs::remove_all(tree_.Path("tmp"));
    }
    for (const std::string& name : files) fs::remove(tree_.Path("work/" + name));
  }
}

// --- A full disk ---

TEST_F(FileReplace, AFullDiskMidBatchKeepsCommittedFilesNewTheRestWholeAndNamesThem) {
  // The tree lives on a tiny private file system in a child process. Each
  // rewrite doubles its file: the first one always fits, the third never
  // does, whatever the commits in flight hold.
  // The fixture's tree is made here, so that the parent removes it.
  std::string module = module_path_;
  testing_support::TempTree& tree = tree_;
  int status = RunInChild([&]() -> int {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
      return 77;
    if (mount("tmpfs", tree.Path("work").c_str(), "tmpfs", 0, "size=256k") != 0) return 77;
    const std::string original(30 * 1024, 'a');
    const std::string rewritten(60 * 1024, 'b');
    std::vector<std::string> files;
    for (int i = 0; i < 5; i++) {
      files.push_back(tree.Path("work/f" + std::to_string(i) + ".txt"));
      WriteText(files.back(), original);
    }
    host::ScriptUi ui;
    int unexpected = 0;
    ui.SetFailureHandler([&](const std::string&) { unexpected++; });
    testing_support::PlaceModule(tree, module, "module", testing_support::NumberedLanguage(200));
    host::HostOptions options;
    options.module_path = tree.Path("module/finderix.so");
    options.registry_file = tree.Path("registry.db");
    options.folder = tree.Path("work");
    options.lang = "C";
    std::string error;
    auto host = host::Host::Start(options, ui, &error);
    if (!host) return 10;
    ui.AnswerMenu(1);
    ui.AnswerDialog([](std::span<FarDialogItem> items) {
      host::SetItemText(items[5], "a");
      host::SetItemText(items[7], "bb");
      for (int i = 0; i < 6; i++) items[14 + i].Selected = i == 4;
      return 24;
    });
    for (size_t i = 0; i < files.size(); i++) ui.AnswerMessage(0);  // write errors
    host->OpenPlugin(OPEN_PLUGINSMENU, 0);
    std::vector<std::string> warned;  // the files named by write errors, in order
    for (const auto& c : ui.CallsOf(host::ScriptUi::Kind::kMessage))
      if (c.help_topic == "FRWriteError") warned.push_back(c.lines.at(1));
    host.reset();
    size_t kept = 0, renewed = 0;
    for (const std::string& file : files) {
      const std::string now = ReadText(file);
      if (now != original && now != rewritten) return 11;
      kept += now == original;
      renewed += now == rewritten;
      // Every file kept whole is named in a warning, and no other.
      const bool named = std::find(warned.begin(), warned.end(), ModuleForm(file)) != warned.end();
      if ((now == original) != named) return 12;
    }
    if (renewed == 0 || kept == 0 || warned.size() != kept) return 13;
    size_t entries = 0;
    for (const auto& e : fs::directory_iterator(tree.Path("work"))) entries += e.path().filename() != "";
    umount(tree.Path("work").c_str());
    return entries == files.size() && unexpected == 0 ? 0 : 14;
  });
  if (status == 77) GTEST_SKIP() << "no private mounts here";
  EXPECT_EQ(status, 0);
}

}  // namespace
