// A dry run: moves and rewrites are answered as Windows would answer them
// and seen by every later call, while the disk keeps every name, byte,
// inode and time it had.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <set>
#include <tuple>

#include "platform/dry_run.hpp"
#include "platform/win32.hpp"
#include "tests/support/temp_folder.hpp"

namespace {

namespace fs = std::filesystem;
using Kind = platform::PlannedChange::Kind;

// Every entry under a folder with its inode, times and content.
std::map<std::string, std::tuple<ino_t, long, long, std::string>> Snapshot(const std::string& root) {
  std::map<std::string, std::tuple<ino_t, long, long, std::string>> entries;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    struct stat st;
    lstat(entry.path().c_str(), &st);
    entries[entry.path()] = {st.st_ino, st.st_mtim.tv_nsec + st.st_mtim.tv_sec * 1000000000L,
                             st.st_ctim.tv_nsec + st.st_ctim.tv_sec * 1000000000L,
                             entry.is_regular_file() ? ReadText(entry.path()) : ""};
  }
  return entries;
}

std::set<std::string> Listed(const std::string& pattern) {
  std::set<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do names.insert(data.cFileName);
  while (FindNextFileA(find, &data));
  FindClose(find);
  return names;
}

std::string ReadThrough(const std::string& module_path) {
  HANDLE file = CreateFileA(module_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<cannot open>";
  char buffer[256];
  DWORD read = 0;
  ReadFile(file, buffer, sizeof buffer, &read, nullptr);
  CloseHandle(file);
  return std::string(buffer, read);
}

// Writes new content for `name` through a scratch handle, as a rewrite
// does, and commits it with ReplaceFileA; `scratch_identity`, when given,
// gets the scratch file's identity as the rewrite takes it before the commit.
BOOL Rewrite(const TempFolder& f, const std::string& name, const std::string& content,
             const char* backup, BY_HANDLE_FILE_INFORMATION* scratch_identity = nullptr) {
  HANDLE reader = CreateFileA(f.Module(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  const std::string scratch = f.Module("fx1.tmp");
  HANDLE output = CreateFileA(scratch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  DWORD written = 0;
  WriteFile(output, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  if (scratch_identity) {
    EXPECT_TRUE(GetFileInformationByHandle(output, scratch_identity));
  }
  const BOOL done = ReplaceFileA(f.Module(name).c_str(), scratch.c_str(),
                                 backup ? f.Module(backup).c_str() : nullptr, 0, nullptr, nullptr);
  const DWORD error = GetLastError();
  CloseHandle(output);
  CloseHandle(reader);
  SetLastError(error);
  return done;
}

}  // namespace

TEST(DryRun, MovesAreAnsweredAndSeenButNeverMade) {
  TempFolder f;
  fs::create_directories(f.Posix("d"));
  WriteText(f.Posix("d/a.txt"), "A");
  WriteText(f.Posix("d/b.txt"), "B");
  WriteText(f.Posix("d/ro.txt"), "R");
  chmod(f.Posix("d/ro.txt").c_str(), 0444);
  const auto before = Snapshot(f.path());
  platform::BeginDryRun();

  ASSERT_TRUE(MoveFileA(f.Module("d\\a.txt").c_str(), f.Module("d\\c.txt").c_str()));
  EXPECT_EQ(GetFileAttributesA(f.Module("d\\a.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(Listed(f.Module("d\\*")), (std::set<std::string>{".", "..", "b.txt", "c.txt", "ro.txt"}));
  // A name an earlier move took is taken; one it freed is free.
  EXPECT_FALSE(MoveFileA(f.Module("d\\b.txt").c_str(), f.Module("d\\c.txt").c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(MoveFileExA(f.Module("d\\b.txt").c_str(), f.Module("d\\ro.txt").c_str(),
                           MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  ASSERT_TRUE(MoveFileA(f.Module("d\\b.txt").c_str(), f.Module("d\\a.txt").c_str()));

  // A moved folder takes what the run moved inside it along.
  ASSERT_TRUE(MoveFileA(f.Module("d").c_str(), f.Module("e").c_str()));
  EXPECT_EQ(Listed(f.Module("d\\*")), std::set<std::string>{});
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(Listed(f.Module("*")), (std::set<std::string>{".", "..", "e"}));
  EXPECT_EQ(ReadThrough(f.Module("e\\c.txt")), "A");
  EXPECT_EQ(ReadThrough(f.Module("e\\a.txt")), "B");
  ASSERT_TRUE(MoveFileExA(f.Module("e\\a.txt").c_str(), f.Module("e\\c.txt").c_str(),
                          MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(Listed(f.Module("e\\*")), (std::set<std::string>{".", "..", "c.txt", "ro.txt"}));
  EXPECT_EQ(ReadThrough(f.Module("e\\c.txt")), "B");
  EXPECT_EQ(ReadThrough(f.Module("e\\a.txt")), "<cannot open>");

  const std::vector<platform::PlannedChange> changes = platform::EndDryRun();
  EXPECT_EQ(Snapshot(f.path()), before);
  std::vector<std::pair<std::string, std::string>> moves;
  for (const platform::PlannedChange& change : changes) {
    EXPECT_EQ(change.kind, Kind::kMove);
    moves.emplace_back(change.path, change.to);
  }
  EXPECT_EQ(moves, (std::vector<std::pair<std::string, std::string>>{
                       {f.Posix("d/a.txt"), f.Posix("d/c.txt")},
                       {f.Posix("d/b.txt"), f.Posix("d/a.txt")},
                       {f.Posix("d"), f.Posix("e")},
                       {f.Posix("d/b.txt"), f.Posix("e/c.txt")}}));
  // Ended: the disk answers again.
  EXPECT_EQ(ReadThrough(f.Module("d\\a.txt")), "A");
}

TEST(DryRun, RewritesAreSeenWithTheirBackupsButNeverMade) {
  TempFolder f;
  WriteText(f.Posix("x.txt"), "old");
  WriteText(f.Posix("y.txt"), "why");
  WriteText(f.Posix("y.txt.old"), "kept");
  const auto before = Snapshot(f.path());
  platform::BeginDryRun();

  ASSERT_TRUE(Rewrite(f, "x.txt", "new content", "x.txt.old"));
  EXPECT_EQ(ReadThrough(f.Module("x.txt")), "new content");
  EXPECT_EQ(ReadThrough(f.Module("x.txt.old")), "old");
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(f.Module("x.txt").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  FindClose(find);
  EXPECT_EQ(data.nFileSizeLow, 11u);
  EXPECT_EQ(Listed(f.Module("*")),
            (std::set<std::string>{".", "..", "x.txt", "x.txt.old", "y.txt", "y.txt.old"}));
  // A backup is never overwritten, in a dry run either.
  EXPECT_FALSE(Rewrite(f, "y.txt", "new", "y.txt.old"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  // A dry run creates nothing and writes nothing itself.
  EXPECT_EQ(CreateFileA(f.Module("z.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

  const std::vector<platform::PlannedChange> changes = platform::EndDryRun();
  EXPECT_EQ(Snapshot(f.path()), before);
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0].kind, Kind::kRewrite);
  EXPECT_EQ(changes[0].path, f.Posix("x.txt"));
  EXPECT_EQ(*changes[0].content, "new content");
  EXPECT_EQ(changes[1].kind, Kind::kBackup);
  EXPECT_EQ(changes[1].to, f.Posix("x.txt.old"));
}

// After a rewrite, the file is the scratch file its new content was written
// to, by its name and through a link alike: a caller that remembers which
// files it rewrote, by identity, knows a second name of one in a dry run
// as it does after a real commit.
TEST(DryRun, ARewrittenFileIsTheCommittedScratchFileByEachOfItsNamesAsInARealRun) {
  for (const bool dry : {false, true}) {
    SCOPED_TRACE(dry ? "dry run" : "real run");
    TempFolder f;
    WriteText(f.Posix("a.txt"), "old");
    fs::create_symlink("a.txt", f.Posix("link.txt"));
    if (dry) platform::BeginDryRun();
    BY_HANDLE_FILE_INFORMATION scratch{};
    ASSERT_TRUE(Rewrite(f, "a.txt", "new", nullptr, &scratch));
    for (const char* name : {"a.txt", "link.txt", "a.txt"}) {
      SCOPED_TRACE(name);
      HANDLE file = CreateFileA(f.Module(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      BY_HANDLE_FILE_INFORMATION seen{};
      EXPECT_TRUE(GetFileInformationByHandle(file, &seen));
      CloseHandle(file);
      EXPECT_EQ(seen.dwVolumeSerialNumber, scratch.dwVolumeSerialNumber);
      EXPECT_EQ(seen.nFileIndexHigh, scratch.nFileIndexHigh);
      EXPECT_EQ(seen.nFileIndexLow, scratch.nFileIndexLow);
      EXPECT_EQ(seen.nFileSizeLow, 3u);
    }
    if (dry) platform::EndDryRun();
  }
}
