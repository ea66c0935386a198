// Replacing a file in one step: permissions, links, backups, failures,
// files changed under the caller, what a file carries, the scratch name.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <thread>
#include <vector>

#include "platform/host_bridge.hpp"
#include "platform/win32.hpp"
#include "tests/support/temp_folder.hpp"

namespace {

mode_t ModeOf(const std::string& path) {
  struct stat st;
  EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

}  // namespace

TEST(ReplaceFile, ReplacesAtomicallyAndKeepsPermissions) {
  TempFolder f;
  WriteText(f.Posix("a.txt"), "old");
  chmod(f.Posix("a.txt").c_str(), 0640);
  WriteText(f.Posix("new.tmp"), "new content");
  SetLastError(0xdeadbeef);
  ASSERT_TRUE(ReplaceFileA(f.Module("a.txt").c_str(), f.Module("new.tmp").c_str(), nullptr, 0,
                           nullptr, nullptr));
  EXPECT_EQ(GetLastError(), 0xdeadbeefu);
  EXPECT_EQ(ReadText(f.Posix("a.txt")), "new content");
  EXPECT_EQ(ModeOf(f.Posix("a.txt")), 0640u);
  EXPECT_FALSE(Exists(f.Posix("new.tmp")));
}

TEST(ReplaceFile, KeepsTheOldContentAsABackupButNeverOverwritesOne) {
  TempFolder f;
  WriteText(f.Posix("a.txt"), "old");
  WriteText(f.Posix("new.tmp"), "new");
  ASSERT_TRUE(ReplaceFileA(f.Module("a.txt").c_str(), f.Module("new.tmp").c_str(),
                           f.Module("a.txt.old").c_str(), 0, nullptr, nullptr));
  EXPECT_EQ(ReadText(f.Posix("a.txt")), "new");
  EXPECT_EQ(ReadText(f.Posix("a.txt.old")), "old");

  WriteText(f.Posix("newer.tmp"), "newer");
  EXPECT_FALSE(ReplaceFileA(f.Module("a.txt").c_str(), f.Module("newer.tmp").c_str(),
                            f.Module("a.txt.old").c_str(), 0, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(ReadText(f.Posix("a.txt")), "new");
  EXPECT_EQ(ReadText(f.Posix("a.txt.old")), "old");
  EXPECT_TRUE(Exists(f.Posix("newer.tmp")));  // left for the caller
}

TEST(ReplaceFile, FollowsASymbolicLinkAndKeepsIt) {
  TempFolder f;
  WriteText(f.Posix("target.txt"), "old");
  ASSERT_EQ(symlink("target.txt", f.Posix("link.txt").c_str()), 0);
  WriteText(f.Posix("new.tmp"), "new");
  ASSERT_TRUE(ReplaceFileA(f.Module("link.txt").c_str(), f.Module("new.tmp").c_str(), nullptr, 0,
                           nullptr, nullptr));
  char buffer[64] = {};
  ASSERT_GT(readlink(f.Posix("link.txt").c_str(), buffer, sizeof buffer - 1), 0);
  EXPECT_STREQ(buffer, "target.txt");
  EXPECT_EQ(ReadText(f.Posix("target.txt")), "new");
}

TEST(WriteFileSafely, WritesNewAndExistingFilesAndLeavesNoTemporaryOnFailure) {
  TempFolder f;
  std::string error;
  ASSERT_TRUE(platform::WriteFileSafely(f.Posix("fresh.txt"), "one\r\ntwo", &error)) << error;
  EXPECT_EQ(ReadText(f.Posix("fresh.txt")), "one\r\ntwo");
  chmod(f.Posix("fresh.txt").c_str(), 0600);
  ASSERT_TRUE(platform::WriteFileSafely(f.Posix("fresh.txt"), std::string("a\0b", 3), &error));
  EXPECT_EQ(ReadText(f.Posix("fresh.txt")), std::string("a\0b", 3));
  EXPECT_EQ(ModeOf(f.Posix("fresh.txt")), 0600u);

  EXPECT_FALSE(platform::WriteFileSafely(f.Posix("missing/x.txt"), "x", &error));
  EXPECT_FALSE(error.empty());
}

TEST(WriteFileSafely, AReadOnlyFolderKeepsTheFileWhole) {
  TempFolder f;
  ASSERT_EQ(mkdir(f.Posix("locked").c_str(), 0755), 0);
  WriteText(f.Posix("locked/a.txt"), "precious");
  chmod(f.Posix("locked").c_str(), 0555);
  std::string path = f.Posix("locked/a.txt");
  int result = RunAsNobody([&] {
    std::string error;
    return platform::WriteFileSafely(path, "lost?", &error) ? 1 : 0;
  });
  chmod(f.Posix("locked").c_str(), 0755);
  ASSERT_NE(result, 254) << "cannot drop privileges here";
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadText(path), "precious");
}

// --- Scratch files that vanish unless committed ---

namespace {

HANDLE CreateScratch(const std::string& module_path) {
  return CreateFileA(module_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                     FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

bool WriteAll(HANDLE file, const std::string& text) {
  DWORD written = 0;
  return WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

}  // namespace

TEST(ReplaceFile, ScratchFileVanishesWhenClosedUncommitted) {
  TempFolder f;
  HANDLE scratch = CreateScratch(f.Module("x.tmp"));
  ASSERT_NE(scratch, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(WriteAll(scratch, "data"));
  EXPECT_FALSE(Exists(f.Posix("x.tmp")));  // no name while it is written
  CloseHandle(scratch);
  EXPECT_FALSE(Exists(f.Posix("x.tmp")));

  WriteText(f.Posix("taken.tmp"), "");
  EXPECT_EQ(CreateScratch(f.Module("taken.tmp")), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
}

TEST(ReplaceFile, ScratchFileCommitsOverTheFileFromItsOpenHandle) {
  TempFolder f;
  WriteText(f.Posix("a.txt"), "old");
  chmod(f.Posix("a.txt").c_str(), 0604);
  HANDLE scratch = CreateScratch(f.Module("x.tmp"));
  ASSERT_NE(scratch, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(WriteAll(scratch, "new"));
  ASSERT_TRUE(ReplaceFileA(f.Module("a.txt").c_str(), f.Module("x.tmp").c_str(), nullptr, 0,
                           nullptr, nullptr));
  CloseHandle(scratch);
  EXPECT_EQ(ReadText(f.Posix("a.txt")), "new");
  EXPECT_EQ(ModeOf(f.Posix("a.txt")), 0604u);
  EXPECT_FALSE(Exists(f.Posix("x.tmp")));
}

TEST(ReplaceFile, AKilledWriterLeavesTheFileWholeAndNoScratchBehind) {
  TempFolder f;
  WriteText(f.Posix("a.txt"), "original");
  std::string scratch_name = f.Module("x.tmp");
  int status = RunInChild([&] {
    HANDLE scratch = CreateScratch(scratch_name);
    WriteAll(scratch, "half of the new cont");
    raise(SIGKILL);  // dies before committing
    return 0;
  });
  EXPECT_EQ(status, -1);
  EXPECT_EQ(ReadText(f.Posix("a.txt")), "original");
  EXPECT_FALSE(Exists(f.Posix("x.tmp")));
}

// --- Committing relative to what was read ---

namespace {

HANDLE OpenForReading(const std::string& module_path) {
  return CreateFileA(module_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Reads `name` as a rewrite does, writes "new" beside it, lets `meanwhile`
// run, then commits; the commit's error, ERROR_SUCCESS when it committed.
DWORD CommitNew(const TempFolder& f, const std::string& name,
                const std::function<void()>& meanwhile = [] {}) {
  const std::string scratch_name = f.Module(name + "-scratch.tmp");
  HANDLE reader = OpenForReading(f.Module(name));
  HANDLE scratch = CreateScratch(scratch_name);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(WriteAll(scratch, "new"));
  meanwhile();
  const bool ok = ReplaceFileA(f.Module(name).c_str(), scratch_name.c_str(), nullptr, 0, nullptr,
                               nullptr);
  const DWORD error = ok ? static_cast<DWORD>(ERROR_SUCCESS) : GetLastError();
  CloseHandle(scratch);
  CloseHandle(reader);
  return error;
}

}  // namespace

TEST(ReplaceFile, AFileChangedSinceItWasReadIsLeftAsTheOtherProgramMadeIt) {
  struct Case {
    const char* what;
    std::function<void(const TempFolder&)> change;
    std::function<void(const TempFolder&)> check;
  };
  const std::vector<Case> cases = {
      {"appended to", [](const TempFolder& f) {
         FILE* file = fopen(f.Posix("a.txt").c_str(), "a");
         fputs(" more", file);
         fclose(file);
       }, [](const TempFolder& f) { EXPECT_EQ(ReadText(f.Posix("a.txt")), "old more"); }},
      {"rewritten in place, same size", [](const TempFolder& f) {
         usleep(2000);
         WriteText(f.Posix("a.txt"), "OLD");
       }, [](const TempFolder& f) { EXPECT_EQ(ReadText(f.Posix("a.txt")), "OLD"); }},
      {"its mode changed", [](const TempFolder& f) { chmod(f.Posix("a.txt").c_str(), 0600); },
       [](const TempFolder& f) { EXPECT_EQ(ReadText(f.Posix("a.txt")), "old"); }},
      {"deleted", [](const TempFolder& f) { unlink(f.Posix("a.txt").c_str()); },
       [](const TempFolder& f) { EXPECT_FALSE(Exists(f.Posix("a.txt"))) << "never re-created"; }},
      {"replaced by another file", [](const TempFolder& f) {
         WriteText(f.Posix("theirs"), "theirs");
         rename(f.Posix("theirs").c_str(), f.Posix("a.txt").c_str());
       }, [](const TempFolder& f) { EXPECT_EQ(ReadText(f.Posix("a.txt")), "theirs"); }},
      {"replaced by a link to a file outside", [](const TempFolder& f) {
         unlink(f.Posix("a.txt").c_str());
         symlink(f.Posix("victim").c_str(), f.Posix("a.txt").c_str());
       }, [](const TempFolder& f) {
         EXPECT_TRUE(std::filesystem::is_symlink(f.Posix("a.txt")));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder f;
    WriteText(f.Posix("a.txt"), "old");
    WriteText(f.Posix("victim"), "victim");
    EXPECT_EQ(CommitNew(f, "a.txt", [&] { c.change(f); }), static_cast<DWORD>(ERROR_FILE_INVALID));
    c.check(f);
    EXPECT_EQ(ReadText(f.Posix("victim")), "victim");
    for (const std::string& name : NamesIn(f.path()))
      EXPECT_TRUE(name == "a.txt" || name == "victim") << name;
  }
}

namespace {

// Does what it is given to the old file while a rewrite is announced, as a
// host keeping old content (a link) or another program (a new mode) might.
class ActingObserver : public platform::ChangeObserver {
 public:
  explicit ActingObserver(std::function<void(const platform::PendingChange&)> act)
      : act_(std::move(act)) {
    platform::InstallChangeObserver(this);
  }
  ~ActingObserver() override { platform::InstallChangeObserver(nullptr); }
  bool AboutToCommit(const platform::PendingChange& change) override {
    act_(change);
    return true;
  }
  void Committed(const std::string&) override {}

 private:
  std::function<void(const platform::PendingChange&)> act_;
};

}  // namespace

// While the host keeps the old content, the file's ctime changes: by the
// host's own link, which the commit expects, or by another program's
// chmod, which the commit must not overwrite with the old mode.
TEST(ReplaceFile, OnlyTheObserversOwnLinkMayChangeTheFileWhileItKeepsTheOldContent) {
  TempFolder f;
  WriteText(f.Posix("a.txt"), "old");
  {
    ActingObserver keeps([&](const platform::PendingChange& change) {
      const std::string old = "/proc/self/fd/" + std::to_string(change.old_content);
      ASSERT_EQ(linkat(AT_FDCWD, old.c_str(), AT_FDCWD, f.Posix("kept").c_str(),
                       AT_SYMLINK_FOLLOW), 0);
    });
    EXPECT_EQ(CommitNew(f, "a.txt"), static_cast<DWORD>(ERROR_SUCCESS));
  }
  EXPECT_EQ(ReadText(f.Posix("a.txt")), "new");
  EXPECT_EQ(ReadText(f.Posix("kept")), "old");

  ActingObserver meddles([&](const platform::PendingChange&) {
    ASSERT_EQ(chmod(f.Posix("a.txt").c_str(), 0600), 0);
  });
  EXPECT_EQ(CommitNew(f, "a.txt"), static_cast<DWORD>(ERROR_FILE_INVALID));
  EXPECT_EQ(ReadText(f.Posix("a.txt")), "new");
  struct stat st;
  ASSERT_EQ(stat(f.Posix("a.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// A reader remembers where a folder leads, for the next file read there;
// a folder link pointed elsewhere meanwhile must not send a write to the
// file the folder held before, nor keep refusing the folder's files later
// (as in the next command of a full-screen session).
TEST(ReplaceFile, AFolderLinkRepointedBetweenTwoReadsNeverMisdirectsTheWrite) {
  TempFolder f;
  for (const std::string folder : {"x", "y"}) {
    ASSERT_EQ(mkdir(f.Posix(folder).c_str(), 0755), 0);
    WriteText(f.Posix(folder + "/a.txt"), folder);
    WriteText(f.Posix(folder + "/b.txt"), folder);
  }
  ASSERT_EQ(symlink("x", f.Posix("d").c_str()), 0);
  HANDLE first = OpenForReading(f.Module("d/a.txt"));
  ASSERT_NE(first, INVALID_HANDLE_VALUE);
  CloseHandle(first);
  ASSERT_EQ(unlink(f.Posix("d").c_str()), 0);
  ASSERT_EQ(symlink("y", f.Posix("d").c_str()), 0);
  const DWORD error = CommitNew(f, "d/b.txt");
  EXPECT_EQ(ReadText(f.Posix("x/b.txt")), "x");
  EXPECT_EQ(ReadText(f.Posix("y/b.txt")), error == ERROR_SUCCESS ? "new" : "y");
  // A file with a second name where the folder used to lead: the write
  // goes to the name the folder leads to now, and the other keeps its bytes.
  WriteText(f.Posix("x/c.txt"), "shared");
  ASSERT_EQ(link(f.Posix("x/c.txt").c_str(), f.Posix("y/c.txt").c_str()), 0);
  EXPECT_EQ(CommitNew(f, "d/c.txt"), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(ReadText(f.Posix("x/c.txt")), "shared");
  EXPECT_EQ(ReadText(f.Posix("y/c.txt")), "new");

  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  EXPECT_EQ(CommitNew(f, "d/a.txt"), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(ReadText(f.Posix("y/a.txt")), "new");
  EXPECT_EQ(ReadText(f.Posix("x/a.txt")), "x");
}

TEST(ReplaceFile, ALinkSwappedInDuringTheRunNeverRedirectsTheWrite) {
  TempFolder f;
  ASSERT_EQ(mkdir(f.Posix("scope").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(f.Posix("outside").c_str(), 0755), 0);
  WriteText(f.Posix("outside/victim.txt"), "victim");
  const std::string name = f.Posix("scope/a.txt"), held = f.Posix("scope/held");
  const std::string link = f.Posix("scope/link");
  int committed = 0, refused = 0;
  for (int attempt = 0; attempt < 200; attempt++) {
    WriteText(name, "old");
    std::atomic<bool> stop = false;
    std::thread swapper;
    DWORD error = CommitNew(f, "scope/a.txt", [&] {
      swapper = std::thread([&] {
        // The file steps aside for a link to a file outside, then comes back.
        while (!stop) {
          symlink("../outside/victim.txt", link.c_str());
          rename(name.c_str(), held.c_str());
          rename(link.c_str(), name.c_str());
          rename(held.c_str(), name.c_str());
        }
      });
      while (!Exists(held) && !std::filesystem::is_symlink(name)) sched_yield();
    });
    stop = true;
    swapper.join();
    (error == ERROR_SUCCESS ? committed : refused)++;
    if (error != ERROR_SUCCESS) {
      EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_INVALID));
    }
    ASSERT_EQ(ReadText(f.Posix("outside/victim.txt")), "victim") << "attempt " << attempt;
    ASSERT_EQ(NamesIn(f.Posix("outside")), std::vector<std::string>{"victim.txt"});
  }
  EXPECT_GT(refused, 0) << committed << " committed";
}

namespace {

struct CarriedState {
  uid_t uid;
  gid_t gid;
  mode_t mode;
  std::map<std::string, std::string> attributes;  // every extended attribute, ACLs included
  bool operator==(const CarriedState&) const = default;
};

CarriedState CarriedBy(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(lstat(path.c_str(), &st), 0);
  CarriedState state{st.st_uid, st.st_gid, static_cast<mode_t>(st.st_mode & 07777), {}};
  char names[4096];
  ssize_t length = llistxattr(path.c_str(), names, sizeof names);
  for (ssize_t at = 0; at < length; at += static_cast<ssize_t>(strlen(names + at)) + 1) {
    char value[4096];
    ssize_t size = lgetxattr(path.c_str(), names + at, value, sizeof value);
    state.attributes[names + at] = std::string(value, size > 0 ? static_cast<size_t>(size) : 0);
  }
  return state;
}

ino_t InodeOf(const std::string& path) {
  struct stat st {};
  stat(path.c_str(), &st);
  return st.st_ino;
}

}  // namespace

TEST(ReplaceFile, KeepsOwnerSetIdBitsExtendedAttributesAndAcls) {
  TempFolder f;
  const std::string tool = f.Posix("tool"), plain = f.Posix("plain");
  WriteText(tool, "old");
  WriteText(plain, "old");
  ASSERT_EQ(chown(tool.c_str(), 65534, 65534), 0);
  ASSERT_EQ(system(("setfattr -n user.origin -v kept '" + tool + "'").c_str()), 0);
  ASSERT_EQ(system(("setfacl -m u:65534:rw,g:65534:r '" + tool + "'").c_str()), 0);
  ASSERT_EQ(chmod(tool.c_str(), 06775), 0);
  // A folder default that the plain file does not carry must not slip in.
  ASSERT_EQ(system(("setfacl -d -m u:65534:r '" + f.path() + "'").c_str()), 0);
  ASSERT_EQ(CarriedBy(tool).attributes.count("user.origin"), 1u);
  ASSERT_EQ(CarriedBy(tool).attributes.count("system.posix_acl_access"), 1u);
  ASSERT_TRUE(CarriedBy(plain).attributes.empty());

  for (const char* name : {"tool", "plain"}) {
    SCOPED_TRACE(name);
    const CarriedState before = CarriedBy(f.Posix(name));
    const ino_t inode = InodeOf(f.Posix(name));
    ASSERT_EQ(CommitNew(f, name), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(ReadText(f.Posix(name)), "new");
    EXPECT_NE(InodeOf(f.Posix(name)), inode);
    const CarriedState after = CarriedBy(f.Posix(name));
    EXPECT_EQ(after.uid, before.uid);
    EXPECT_EQ(after.gid, before.gid);
    EXPECT_EQ(after.mode, before.mode);
    EXPECT_EQ(after.attributes, before.attributes);
  }
  EXPECT_EQ(CarriedBy(tool).mode, 06775u);
}

TEST(ReplaceFile, AnOwnerThatCannotBeKeptLeavesTheFileAsItWas) {
  TempFolder f;
  chmod(f.path().c_str(), 0755);
  ASSERT_EQ(mkdir(f.Posix("shared").c_str(), 0777), 0);
  chmod(f.Posix("shared").c_str(), 0777);
  WriteText(f.Posix("shared/a.txt"), "old");  // root's, writable by all
  chmod(f.Posix("shared/a.txt").c_str(), 0666);
  int result = RunAsNobody([&] {
    DWORD error = CommitNew(f, "shared/a.txt");
    return error == ERROR_EA_ACCESS_DENIED ? 0 : 1;
  });
  ASSERT_NE(result, 254) << "cannot drop privileges here";
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadText(f.Posix("shared/a.txt")), "old");
  EXPECT_EQ(NamesIn(f.Posix("shared")), std::vector<std::string>{"a.txt"});
}

// --- The new content's name ---

TEST(ReplaceFile, TheNewContentGetsANameOnlyForTheRenameComplete) {
  TempFolder f;
  WriteText(f.Posix("a.txt"), "old");
  int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(inotify_add_watch(watch, f.path().c_str(), IN_ALL_EVENTS), 0);
  ASSERT_EQ(CommitNew(f, "a.txt"), static_cast<DWORD>(ERROR_SUCCESS));
  alignas(inotify_event) char buffer[16384];
  ssize_t length = read(watch, buffer, sizeof buffer);
  close(watch);
  ASSERT_GT(length, 0);
  // The events on every name but the file's own, in order; the kernel
  // reports a file without a name as "#inode".
  std::vector<std::pair<std::string, uint32_t>> events;
  size_t last_change_unnamed = 0;
  for (char* at = buffer; at < buffer + length;) {
    auto* event = reinterpret_cast<inotify_event*>(at);
    at += sizeof(inotify_event) + event->len;
    if (event->len == 0 || std::string(event->name) == "a.txt") continue;
    if (event->name[0] == '#') {
      if (event->mask & (IN_MODIFY | IN_ATTRIB)) last_change_unnamed = events.size() + 1;
      continue;
    }
    events.emplace_back(event->name, event->mask & ~IN_ISDIR);
  }
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(last_change_unnamed, 1u) << "written and given its attributes before its name";
  EXPECT_EQ(events[0].second, static_cast<uint32_t>(IN_CREATE)) << events[0].first;
  EXPECT_EQ(events[1], std::make_pair(events[0].first, static_cast<uint32_t>(IN_MOVED_FROM)));
  EXPECT_EQ(events[0].first[0], '.');
  EXPECT_EQ(events[0].first.find(".tmp"), std::string::npos);
}

TEST(ReplaceFile, ATerminatedRewriterNeverLeavesANamedScratchFile) {
  TempFolder f;
  WriteText(f.Posix("a.txt"), "0");
  for (int delay_us : {0, 100, 300, 700, 1500, 3000, 6000, 12000}) {
    SCOPED_TRACE(delay_us);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (;;) CommitNew(f, "a.txt");
    }
    usleep(delay_us);
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(NamesIn(f.path()), std::vector<std::string>{"a.txt"});
    std::string now = ReadText(f.Posix("a.txt"));
    EXPECT_TRUE(now == "0" || now == "new") << now;
  }
}
