// Folder listings and entry attributes: wildcards on module-form names, the
// "." and ".." entries, links, special files, pseudo file systems, and
// GetFileAttributesA agreeing with the listing.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win32.hpp"
#include "tests/support/temp_folder.hpp"

namespace {

constexpr DWORD kUntouched = 0xdeadbeef;

// Every record a pattern lists, by name; empty when the listing fails.
// With flags, listed by FindFirstFileExA.
std::map<std::string, WIN32_FIND_DATAA> List(const std::string& pattern, DWORD flags = 0) {
  std::map<std::string, WIN32_FIND_DATAA> records;
  WIN32_FIND_DATAA data;
  HANDLE find = flags == 0 ? FindFirstFileA(pattern.c_str(), &data)
                           : FindFirstFileExA(pattern.c_str(), FindExInfoBasic, &data,
                                              FindExSearchNameMatch, nullptr, flags);
  if (find == INVALID_HANDLE_VALUE) return records;
  do {
    EXPECT_EQ(records.count(data.cFileName), 0u) << "listed twice: " << data.cFileName;
    records[data.cFileName] = data;
  } while (FindNextFileA(find, &data));
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_TRUE(FindClose(find));
  return records;
}

std::set<std::string> Names(const std::string& pattern) {
  std::set<std::string> names;
  for (const auto& [name, record] : List(pattern)) names.insert(name);
  return names;
}

uint64_t SizeOf(const WIN32_FIND_DATAA& record) {
  return (static_cast<uint64_t>(record.nFileSizeHigh) << 32) | record.nFileSizeLow;
}

class FindTest : public ::testing::Test {
 protected:
  TempFolder folder_;
};

// ---------------------------------------------------------------------------
// Wildcards
// ---------------------------------------------------------------------------
TEST_F(FindTest, WildcardsMatchModuleNamesLikeWindows) {
  for (const char* name : {"a.txt", "B.TXT", "readme", "ab.c", "x.tar.gz", "€.txt", ".hidden"}) {
    WriteText(folder_.Posix(name), "");
  }
  using Set = std::set<std::string>;
  const Set all = {".", "..", "a.txt", "B.TXT", "readme", "ab.c", "x.tar.gz", "?~1.txt", ".hidden"};
  struct Row {
    const char* pattern;
    Set names;
  } rows[] = {
      {"*", all},
      {"*.*", all},
      {"*.txt", {"a.txt", "B.TXT", "?~1.txt"}},
      {"?~1.txt", {"?~1.txt"}},  // the alias itself comes back, as a lookup
      {"?.txt", {"a.txt", "B.TXT"}},
      {"??.c", {"ab.c"}},
      {"A*", {"a.txt", "ab.c"}},
      {"readme.*", {"readme"}},
      {"*.gz", {"x.tar.gz"}},
      {"*e*", {"readme", ".hidden"}},
      {".*", {".", "..", ".hidden"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.pattern);
    EXPECT_EQ(Names(folder_.Module(row.pattern)), row.names);
  }
}

TEST_F(FindTest, QuestionMarkListsAsWildcardWhenNoEntryHasThatName) {
  for (const char* name : {"a.txt", "b.txt", "ab.txt"}) WriteText(folder_.Posix(name), "");
  EXPECT_EQ(Names(folder_.Module("?.txt")), (std::set<std::string>{"a.txt", "b.txt"}));
}

TEST_F(FindTest, FindFirstFileFailsWithFileNotFoundWhenNothingMatches) {
  WriteText(folder_.Posix("a.txt"), "");
  WIN32_FIND_DATAA data;
  std::memset(&data, 0x5a, sizeof data);
  const WIN32_FIND_DATAA before = data;
  SetLastError(kUntouched);
  EXPECT_EQ(FindFirstFileA(folder_.Module("*.doc").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(std::memcmp(&data, &before, sizeof data), 0);
  EXPECT_EQ(FindFirstFileA(folder_.Module("no\\*").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(FindFirstFileA(folder_.Module("b.txt").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(std::memcmp(&data, &before, sizeof data), 0);
}

TEST_F(FindTest, EmptyFolderListsDotsAndRootListsNone) {
  const auto names = Names(folder_.Module("*"));
  EXPECT_EQ(names, (std::set<std::string>{".", ".."}));
  const auto root = Names("C:\\*");
  EXPECT_EQ(root.count("."), 0u);
  EXPECT_EQ(root.count(".."), 0u);
  EXPECT_EQ(root.count("tmp"), 1u);
}

TEST_F(FindTest, PlainPathReturnsThatOneEntry) {
  WriteText(folder_.Posix("one.txt"), "12345");
  WriteText(folder_.Posix("two.txt"), "");
  const auto records = List(folder_.Module("one.txt"));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(SizeOf(records.at("one.txt")), 5u);
  const std::string folder_name = folder_.path().substr(folder_.path().rfind('/') + 1);
  EXPECT_EQ(Names(folder_.Module()), (std::set<std::string>{folder_name}));
}

TEST_F(FindTest, ListingStartsFromCurrentFolderWhenRelative) {
  WriteText(folder_.Posix("here.txt"), "");
  char previous[MAX_PATH];
  ASSERT_GT(GetFullPathNameA(".", sizeof previous, previous, nullptr), 0u);
  ASSERT_TRUE(SetCurrentDirectoryA(folder_.Module().c_str()));
  const auto relative = Names("*.txt");
  const auto drive_relative = Names("C:*.txt");
  ASSERT_TRUE(SetCurrentDirectoryA(previous));
  EXPECT_EQ(relative, (std::set<std::string>{"here.txt"}));
  EXPECT_EQ(drive_relative, relative);
}

// ---------------------------------------------------------------------------
// Attributes, sizes and times
// ---------------------------------------------------------------------------
TEST_F(FindTest, AttributesFollowOwnerWriteBitDotNamesAndKind) {
  WriteText(folder_.Posix("plain"), "abc");
  WriteText(folder_.Posix("locked"), "");
  ASSERT_EQ(chmod(folder_.Posix("locked").c_str(), 0444), 0);
  WriteText(folder_.Posix(".dot"), "");
  ASSERT_EQ(mkdir(folder_.Posix("dir").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(folder_.Posix("ro-dir").c_str(), 0555), 0);
  struct Row {
    const char* name;
    DWORD attributes;
  } rows[] = {
      {"plain", FILE_ATTRIBUTE_ARCHIVE},
      {"locked", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY},
      {".dot", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN},
      {"dir", FILE_ATTRIBUTE_DIRECTORY},
      {"ro-dir", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY},
      {".", FILE_ATTRIBUTE_DIRECTORY},
      {"..", FILE_ATTRIBUTE_DIRECTORY},
  };
  const auto records = List(folder_.Module("*"));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_EQ(records.count(row.name), 1u);
    const WIN32_FIND_DATAA& record = records.at(row.name);
    EXPECT_EQ(record.dwFileAttributes, row.attributes);
    EXPECT_STREQ(record.cAlternateFileName, "");
    if (std::strcmp(row.name, ".") != 0 && std::strcmp(row.name, "..") != 0) {
      SetLastError(kUntouched);
      EXPECT_EQ(GetFileAttributesA(folder_.Module(row.name).c_str()), row.attributes);
      EXPECT_EQ(GetLastError(), kUntouched);
      WIN32_FILE_ATTRIBUTE_DATA data;
      ASSERT_TRUE(
          GetFileAttributesExA(folder_.Module(row.name).c_str(), GetFileExInfoStandard, &data));
      EXPECT_EQ(data.dwFileAttributes, row.attributes);
      EXPECT_EQ(data.nFileSizeLow, record.nFileSizeLow);
      EXPECT_EQ(data.ftLastWriteTime.dwLowDateTime, record.ftLastWriteTime.dwLowDateTime);
      EXPECT_EQ(data.ftCreationTime.dwLowDateTime, record.ftCreationTime.dwLowDateTime);
    }
  }
  EXPECT_EQ(SizeOf(records.at("plain")), 3u);
  EXPECT_EQ(SizeOf(records.at("dir")), 0u);
}

TEST_F(FindTest, LinksReportTargetPlusReparsePointAndDanglingLinkIsEmptyFile) {
  WriteText(folder_.Posix("file"), "12345");
  ASSERT_EQ(mkdir(folder_.Posix("dir").c_str(), 0755), 0);
  ASSERT_EQ(symlink("file", folder_.Posix("to-file").c_str()), 0);
  ASSERT_EQ(symlink("dir", folder_.Posix("to-dir").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", folder_.Posix("dangling").c_str()), 0);
  const auto records = List(folder_.Module("*"));
  EXPECT_EQ(records.at("to-file").dwFileAttributes,
            FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT);
  EXPECT_EQ(SizeOf(records.at("to-file")), 5u);
  EXPECT_EQ(records.at("to-dir").dwFileAttributes,
            FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
  EXPECT_EQ(records.at("dangling").dwFileAttributes,
            FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT);
  EXPECT_EQ(SizeOf(records.at("dangling")), 0u);
  EXPECT_EQ(GetFileAttributesA(folder_.Module("to-dir").c_str()),
            FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
}

// A names-only listing lists the same names, folders, hidden names and
// links as a full one; only plain files and folders go undescribed, and
// links, whose kind only their target tells, are described in full.
TEST_F(FindTest, NamesOnlyListingAgreesOnNamesKindsAndLinks) {
  WriteText(folder_.Posix("file"), "12345");
  WriteText(folder_.Posix(".hidden"), "x");
  WriteText(folder_.Posix("€.txt"), "");  // listed under an alias
  ASSERT_EQ(mkdir(folder_.Posix("dir").c_str(), 0555), 0);
  ASSERT_EQ(symlink("file", folder_.Posix("to-file").c_str()), 0);
  ASSERT_EQ(symlink("dir", folder_.Posix("to-dir").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", folder_.Posix("dangling").c_str()), 0);
  ASSERT_EQ(mkfifo(folder_.Posix("pipe").c_str(), 0644), 0);
  const auto full = List(folder_.Module("*"));
  const auto names_only = List(folder_.Module("*"), FIND_FIRST_EX_NAMES_ONLY);
  ASSERT_EQ(names_only.size(), full.size());
  constexpr DWORD kKind =
      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_HIDDEN;
  for (const auto& [name, record] : full) {
    SCOPED_TRACE(name);
    ASSERT_EQ(names_only.count(name), 1u);
    const WIN32_FIND_DATAA& bare = names_only.at(name);
    EXPECT_EQ(bare.dwFileAttributes & kKind, record.dwFileAttributes & kKind);
    if (record.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      EXPECT_EQ(bare.dwFileAttributes, record.dwFileAttributes);
      EXPECT_EQ(SizeOf(bare), SizeOf(record));
      EXPECT_EQ(bare.ftLastWriteTime.dwLowDateTime, record.ftLastWriteTime.dwLowDateTime);
    }
  }
  EXPECT_EQ(SizeOf(full.at("file")), 5u);
  EXPECT_EQ(SizeOf(names_only.at("to-file")), 5u);
  // A plain path names one entry, which is described whatever the flags say.
  const auto single = List(folder_.Module("file"), FIND_FIRST_EX_NAMES_ONLY);
  ASSERT_EQ(single.size(), 1u);
  EXPECT_EQ(SizeOf(single.begin()->second), 5u);
}

TEST_F(FindTest, FindFirstFileExRefusesWhatItCannotDo) {
  WriteText(folder_.Posix("file"), "");
  const std::string pattern = folder_.Module("*");
  WIN32_FIND_DATAA data;
  struct Row {
    int level;
    int search;
    DWORD flags;
  } rows[] = {
      {2, FindExSearchNameMatch, 0},      // no such level here
      {FindExInfoBasic, 1, 0},            // limiting to folders is not done
      {FindExInfoBasic, FindExSearchNameMatch, 1},  // case-sensitive matching
  };
  for (const Row& row : rows) {
    SetLastError(kUntouched);
    EXPECT_EQ(FindFirstFileExA(pattern.c_str(), static_cast<FINDEX_INFO_LEVELS>(row.level), &data,
                               static_cast<FINDEX_SEARCH_OPS>(row.search), nullptr, row.flags),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  HANDLE find = FindFirstFileExA(pattern.c_str(), FindExInfoStandard, &data, FindExSearchNameMatch,
                                 nullptr, FIND_FIRST_EX_LARGE_FETCH);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(FindClose(find));
}

TEST_F(FindTest, FifoAndSocketListAsEmptyFiles) {
  WriteText(folder_.Posix("fill"), "data");
  ASSERT_EQ(mkfifo(folder_.Posix("pipe").c_str(), 0644), 0);
  const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(sock, 0);
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  const std::string socket_path = folder_.Posix("sock");
  ASSERT_LT(socket_path.size(), sizeof address.sun_path);
  std::strcpy(address.sun_path, socket_path.c_str());
  ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  const auto records = List(folder_.Module("*"));
  close(sock);
  for (const char* name : {"pipe", "sock"}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(records.count(name), 1u);
    EXPECT_EQ(records.at(name).dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(SizeOf(records.at(name)), 0u);
  }
}

TEST_F(FindTest, SizesAreSixtyFourBit) {
  WriteText(folder_.Posix("big"), "");
  ASSERT_EQ(truncate(folder_.Posix("big").c_str(), (5LL << 30) + 7), 0);
  const auto records = List(folder_.Module("big"));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records.at("big").nFileSizeHigh, 1u);
  EXPECT_EQ(records.at("big").nFileSizeLow, (1u << 30) + 7);
}

TEST_F(FindTest, WriteTimeIsModificationTimeIn100NsSince1601) {
  WriteText(folder_.Posix("file"), "");
  const timespec times[2] = {{1000000000, 0}, {1600000000, 123456700}};
  ASSERT_EQ(utimensat(AT_FDCWD, folder_.Posix("file").c_str(), times, 0), 0);
  const auto records = List(folder_.Module("file"));
  const WIN32_FIND_DATAA& record = records.at("file");
  constexpr uint64_t kEpochShift = 116444736000000000ULL;  // 1601 to 1970
  const uint64_t write = (static_cast<uint64_t>(record.ftLastWriteTime.dwHighDateTime) << 32) |
                         record.ftLastWriteTime.dwLowDateTime;
  const uint64_t access = (static_cast<uint64_t>(record.ftLastAccessTime.dwHighDateTime) << 32) |
                          record.ftLastAccessTime.dwLowDateTime;
  EXPECT_EQ(write, kEpochShift + 1600000000ULL * 10000000 + 1234567);
  EXPECT_EQ(access, kEpochShift + 1000000000ULL * 10000000);
}

// ---------------------------------------------------------------------------
// What is left out
// ---------------------------------------------------------------------------
bool DevIsDevtmpfs() {
  std::ifstream mounts("/proc/self/mounts");
  for (std::string line; std::getline(mounts, line);) {
    if (line.find(" /dev devtmpfs ") != std::string::npos) return true;
  }
  return false;
}

TEST_F(FindTest, KernelPseudoFileSystemsListAsEmptyFolders) {
  std::vector<std::string> folders = {"C:\\proc\\*", "C:\\proc\\self\\*", "C:\\sys\\*"};
  if (DevIsDevtmpfs()) folders.push_back("C:\\dev\\*");
  for (const std::string& folder : folders) {
    SCOPED_TRACE(folder);
    EXPECT_EQ(Names(folder), (std::set<std::string>{".", ".."}));
  }
}

// Windows lists such a name and refuses only its path: a caller that walks
// the folder sees what it cannot reach instead of missing it unaware.
TEST_F(FindTest, NameThatMakesAPathOf260BytesOrMoreIsListedButCannotBeOpened) {
  const size_t room = MAX_PATH - folder_.Module().size() - 1;  // after "<folder>\"
  const std::string fits(room - 1, 'f');
  const std::string too_long(room, 'l');
  WriteText(folder_.Posix(fits), "");
  WriteText(folder_.Posix(too_long), "");
  EXPECT_EQ(Names(folder_.Module("*")), (std::set<std::string>{".", "..", fits, too_long}));
  SetLastError(kUntouched);
  EXPECT_EQ(GetFileAttributesA(folder_.Module(too_long).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);
}

TEST_F(FindTest, GetFileAttributesFailsForMissingEntries) {
  SetLastError(kUntouched);
  EXPECT_EQ(GetFileAttributesA(folder_.Module("missing").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetFileAttributesA(folder_.Module("no\\missing").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  WIN32_FILE_ATTRIBUTE_DATA data;
  EXPECT_FALSE(
      GetFileAttributesExA(folder_.Module("missing").c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  WriteText(folder_.Posix("here"), "");
  EXPECT_FALSE(GetFileAttributesExA(folder_.Module("here").c_str(),
                                    static_cast<GET_FILEEX_INFO_LEVELS>(1), &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(FindTest, FindNextFileRefusesOtherHandles) {
  WriteText(folder_.Posix("file"), "");
  HANDLE file = CreateFileA(folder_.Module("file").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  WIN32_FIND_DATAA data;
  SetLastError(kUntouched);
  EXPECT_FALSE(FindNextFileA(file, &data));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(FindClose(file));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_TRUE(CloseHandle(file));
}

}  // namespace
