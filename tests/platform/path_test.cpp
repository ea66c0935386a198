// Module paths: drive C: as the POSIX root, both separators, relative paths,
// folding, lengths, lossy names, the current folder and the drive calls.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/host_bridge.hpp"
#include "platform/win32.hpp"
#include "tests/support/temp_folder.hpp"

namespace {

constexpr DWORD kUntouched = 0xdeadbeef;

// Enters a folder for one test and goes back afterwards.
class CurrentFolderScope {
 public:
  explicit CurrentFolderScope(const std::string& folder)
      : previous_(getcwd(nullptr, 0), &std::free) {
    EXPECT_EQ(chdir(folder.c_str()), 0);
  }
  ~CurrentFolderScope() { EXPECT_EQ(chdir(previous_.get()), 0); }

 private:
  std::unique_ptr<char, decltype(&std::free)> previous_;
};

class PathTest : public ::testing::Test {
 protected:
  TempFolder folder_;
};

// ---------------------------------------------------------------------------
// Module path to POSIX path
// ---------------------------------------------------------------------------
TEST_F(PathTest, ToPosixPathMapsDriveCToRootAndFoldsNames) {
  ASSERT_EQ(mkdir(folder_.Posix("sub").c_str(), 0755), 0);
  CurrentFolderScope inside(folder_.Posix("sub"));
  struct Row {
    std::string module_path;
    std::string posix_path;
  } rows[] = {
      {"C:\\", "/"},
      {"c:/", "/"},
      {"C:\\home\\ann\\x", "/home/ann/x"},
      {"C:/home/ann\\x\\", "/home/ann/x"},
      {"C:\\home\\.\\ann\\..\\bob\\\\x", "/home/bob/x"},
      {"C:\\..\\..\\etc", "/etc"},
      {"\\etc", "/etc"},
      {"file.txt", folder_.Posix("sub/file.txt")},
      {"C:file.txt", folder_.Posix("sub/file.txt")},
      {"..\\other\\.\\f", folder_.Posix("other/f")},
      {".", folder_.Posix("sub")},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.module_path);
    std::string posix = "untouched";
    SetLastError(kUntouched);
    ASSERT_TRUE(platform::ToPosixPath(row.module_path.c_str(), &posix));
    EXPECT_EQ(posix, row.posix_path);
    EXPECT_EQ(GetLastError(), kUntouched);
  }
}

TEST_F(PathTest, ToPosixPathRefusesOtherDrivesSharesAndLongPaths) {
  struct Row {
    std::string module_path;
    DWORD error;
  } rows[] = {
      {"D:\\x", ERROR_PATH_NOT_FOUND},
      {"z:", ERROR_PATH_NOT_FOUND},
      {"\\\\server\\share", ERROR_PATH_NOT_FOUND},
      {"", ERROR_PATH_NOT_FOUND},
      {"C:\\" + std::string(257, 'a'), ERROR_FILENAME_EXCED_RANGE},
      {"C:\\" + std::string(256, 'a'), ERROR_SUCCESS},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.module_path);
    std::string posix = "untouched";
    SetLastError(kUntouched);
    const bool ok = platform::ToPosixPath(row.module_path.c_str(), &posix);
    EXPECT_EQ(ok, row.error == ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), ok ? kUntouched : row.error);
    if (!ok) {
      EXPECT_EQ(posix, "untouched");
    }
  }
}

TEST_F(PathTest, RelativePathBeyond259BytesFromCurrentFolderIsRefused) {
  CurrentFolderScope inside(folder_.path());
  const std::string name(MAX_PATH - folder_.Module().size(), 'n');
  std::string posix;
  SetLastError(kUntouched);
  EXPECT_FALSE(platform::ToPosixPath(name.c_str(), &posix));
  EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);
  EXPECT_TRUE(platform::ToPosixPath(name.substr(2).c_str(), &posix));
}

TEST_F(PathTest, ToPosixPathFindsEntryBehindAlias) {
  ASSERT_EQ(mkdir(folder_.Posix("папка€").c_str(), 0755), 0);
  WriteText(folder_.Posix("папка€/\xff.txt"), "");
  // "папка" is in code page 866; "€" and the stray byte are not.
  const std::string module_folder = folder_.Module() + "\\\xaf\xa0\xaf\xaa\xa0?~1";
  std::string posix;
  ASSERT_TRUE(platform::ToPosixPath((module_folder + "\\?~1.txt").c_str(), &posix));
  EXPECT_EQ(posix, folder_.Posix("папка€/\xff.txt"));
  SetLastError(kUntouched);
  EXPECT_FALSE(platform::ToPosixPath((module_folder + "\\??.txt").c_str(), &posix));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(platform::ToPosixPath((folder_.Module() + "\\?\\?.txt").c_str(), &posix));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

// A path is resolved through the folder resolved just before when it names
// an entry there; the answer (path or error) must be the one a resolution
// from the root gives.
TEST_F(PathTest, PathInTheFolderResolvedBeforeResolvesAsFromTheRoot) {
  ASSERT_EQ(mkdir(folder_.Posix("d").c_str(), 0755), 0);
  WriteText(folder_.Posix("d/\xff.txt"), "");
  const std::string d = folder_.Module() + "\\d\\";
  const std::string names[] = {"plain.txt", "?~1.txt", "??.txt", "a:b", "a|b", ".", "..",
                               "", "x\\y", std::string(MAX_PATH - d.size(), 'n'),
                               std::string(MAX_PATH - d.size() - 1, 'n')};
  const std::string elsewhere = folder_.Module() + "\\elsewhere";
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    auto resolve = [&](const std::string& before) {
      std::string primed;
      platform::ToPosixPath(before.c_str(), &primed);
      std::string posix = "untouched";
      SetLastError(kUntouched);
      const bool ok = platform::ToPosixPath((d + name).c_str(), &posix);
      return std::make_pair(ok ? posix : std::string(), GetLastError());
    };
    EXPECT_EQ(resolve(d + "first"), resolve(elsewhere));
  }
}

TEST_F(PathTest, ToModulePathConvertsNamesToCodePage866) {
  struct Row {
    std::string posix_path;
    std::string module_path;
  } rows[] = {
      {"/", "C:\\"},
      {"/home//ann/", "C:\\home\\ann"},
      {"/tmp/Привет", "C:\\tmp\\\x8f\xe0\xa8\xa2\xa5\xe2"},
      // A name that cannot be spelt and is not on disk gets an alias that
      // names nothing.
      {"/tmp/€ and 日本", "C:\\tmp\\? and ??~0"},
      {"/tmp/bad\xff", "C:\\tmp\\bad?~0"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.posix_path);
    EXPECT_EQ(platform::ToModulePath(row.posix_path), row.module_path);
  }
}

// ---------------------------------------------------------------------------
// Full paths and the current folder
// ---------------------------------------------------------------------------
TEST_F(PathTest, GetFullPathNameFoldsAndPointsAtNamePart) {
  CurrentFolderScope inside(folder_.path());
  struct Row {
    const char* name;
    std::string full;
    const char* file_part;  // nullptr when the path ends in a separator
  } rows[] = {
      {"a.txt", folder_.Module("a.txt"), "a.txt"},
      {"C:\\x\\..\\y\\.\\z", "C:\\y\\z", "z"},
      {"/etc/", "C:\\etc\\", nullptr},
      {"C:\\", "C:\\", nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    char buffer[MAX_PATH];
    char* file_part = buffer;
    SetLastError(kUntouched);
    EXPECT_EQ(GetFullPathNameA(row.name, sizeof buffer, buffer, &file_part), row.full.size());
    EXPECT_STREQ(buffer, row.full.c_str());
    if (row.file_part == nullptr) {
      EXPECT_EQ(file_part, nullptr);
    } else {
      ASSERT_NE(file_part, nullptr);
      EXPECT_STREQ(file_part, row.file_part);
    }
    EXPECT_EQ(GetLastError(), kUntouched);
  }
}

TEST_F(PathTest, SetCurrentDirectoryChangesFolderOrNamesTheFault) {
  CurrentFolderScope inside("/");
  ASSERT_EQ(mkdir(folder_.Posix("sub").c_str(), 0755), 0);
  WriteText(folder_.Posix("file"), "");
  SetLastError(kUntouched);
  ASSERT_TRUE(SetCurrentDirectoryA(folder_.Module("sub").c_str()));
  EXPECT_EQ(GetLastError(), kUntouched);
  char buffer[MAX_PATH];
  GetFullPathNameA(".", sizeof buffer, buffer, nullptr);
  EXPECT_STREQ(buffer, folder_.Module("sub").c_str());

  EXPECT_FALSE(SetCurrentDirectoryA(folder_.Module("missing").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(SetCurrentDirectoryA(folder_.Module("file").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
  GetFullPathNameA(".", sizeof buffer, buffer, nullptr);
  EXPECT_STREQ(buffer, folder_.Module("sub").c_str());
}

// ---------------------------------------------------------------------------
// Drives
// ---------------------------------------------------------------------------
TEST(Drives, OnlyDriveCExistsAndIsFixed) {
  EXPECT_EQ(GetLogicalDrives(), 1u << 2);
  struct Row {
    const char* root;
    UINT type;
  } rows[] = {{"C:\\", DRIVE_FIXED},  {"c:\\", DRIVE_FIXED},       {"C:", DRIVE_FIXED},
              {nullptr, DRIVE_FIXED}, {"D:\\", DRIVE_NO_ROOT_DIR}, {"C:\\home", DRIVE_NO_ROOT_DIR},
              {"", DRIVE_NO_ROOT_DIR}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.root == nullptr ? "null" : row.root);
    EXPECT_EQ(GetDriveTypeA(row.root), row.type);
  }
}

}  // namespace
