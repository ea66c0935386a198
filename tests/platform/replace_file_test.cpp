// Replacing a file in one step: permissions, links, backups, failures.
#include <gtest/gtest.h>
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
