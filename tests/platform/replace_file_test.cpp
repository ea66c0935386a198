// Replacing a file in one step: permissions, links, backups, failures.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

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
