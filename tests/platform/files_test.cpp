// Opening, reading, writing and sizing files through the Windows calls, held
// to what Windows does: return values, last errors and untouched outputs.
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sched.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "platform/win32.hpp"
#include "tests/support/temp_folder.hpp"

namespace {

constexpr DWORD kUntouched = 0xdeadbeef;

HANDLE Open(const std::string& module_path, DWORD access, DWORD disposition) {
  return CreateFileA(module_path.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Owns a handle for the length of a test.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (valid()) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

class FilesTest : public ::testing::Test {
 protected:
  TempFolder folder_;
};

// ---------------------------------------------------------------------------
// Dispositions
// ---------------------------------------------------------------------------
TEST_F(FilesTest, CreateFileFollowsEachDispositionAsWindowsDoes) {
  enum Content { kAbsent, kEmpty, kOriginal };
  struct Row {
    const char* label;
    DWORD disposition;
    bool exists;
    bool opens;
    DWORD error;
    Content after;
  } rows[] = {
      {"CREATE_NEW, missing", CREATE_NEW, false, true, ERROR_SUCCESS, kEmpty},
      {"CREATE_NEW, existing", CREATE_NEW, true, false, ERROR_FILE_EXISTS, kOriginal},
      {"CREATE_ALWAYS, missing", CREATE_ALWAYS, false, true, ERROR_SUCCESS, kEmpty},
      {"CREATE_ALWAYS, existing", CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, kEmpty},
      {"OPEN_EXISTING, missing", OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, kAbsent},
      {"OPEN_EXISTING, existing", OPEN_EXISTING, true, true, ERROR_SUCCESS, kOriginal},
      {"OPEN_ALWAYS, missing", OPEN_ALWAYS, false, true, ERROR_SUCCESS, kEmpty},
      {"OPEN_ALWAYS, existing", OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, kOriginal},
      {"TRUNCATE_EXISTING, missing", TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND,
       kAbsent},
      {"TRUNCATE_EXISTING, existing", TRUNCATE_EXISTING, true, true, ERROR_SUCCESS, kEmpty},
  };
  int index = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    const std::string name = "file" + std::to_string(index++);
    if (row.exists) WriteText(folder_.Posix(name), "original");
    SetLastError(kUntouched);
    Handle file(Open(folder_.Module(name), GENERIC_READ | GENERIC_WRITE, row.disposition));
    EXPECT_EQ(file.valid(), row.opens);
    EXPECT_EQ(GetLastError(), row.error);
    if (row.after == kAbsent) {
      EXPECT_FALSE(Exists(folder_.Posix(name)));
    } else {
      EXPECT_EQ(ReadText(folder_.Posix(name)), row.after == kEmpty ? "" : "original");
    }
  }
}

TEST_F(FilesTest, CreateFileTellsMissingFolderFromMissingFile) {
  SetLastError(kUntouched);
  EXPECT_EQ(Open(folder_.Module("no\\file"), GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(Open(folder_.Module("no\\file"), GENERIC_WRITE, CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(Open(folder_.Module("file"), GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FilesTest, CreateFileRefusesBadArguments) {
  WriteText(folder_.Posix("file"), "original");
  SetLastError(kUntouched);
  EXPECT_EQ(Open(folder_.Module("file"), GENERIC_READ, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  SetLastError(kUntouched);
  EXPECT_EQ(Open(folder_.Module("file"), GENERIC_READ, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(ReadText(folder_.Posix("file")), "original");
}

TEST_F(FilesTest, CreateFileGivesNewFilesModeFromUmask) {
  const mode_t previous = umask(027);
  Handle file(Open(folder_.Module("new"), GENERIC_WRITE, CREATE_NEW));
  umask(previous);
  ASSERT_TRUE(file.valid());
  struct stat st;
  ASSERT_EQ(stat(folder_.Posix("new").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// ---------------------------------------------------------------------------
// What does not open
// ---------------------------------------------------------------------------
TEST_F(FilesTest, CreateFileRefusesFolderWithAccessDenied) {
  ASSERT_EQ(mkdir(folder_.Posix("sub").c_str(), 0755), 0);
  for (DWORD access : {GENERIC_READ, GENERIC_WRITE}) {
    SCOPED_TRACE(access);
    SetLastError(kUntouched);
    EXPECT_EQ(Open(folder_.Module("sub"), access, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  }
}

TEST_F(FilesTest, CreateFileRefusesFifoWithoutWaitingForPeer) {
  ASSERT_EQ(mkfifo(folder_.Posix("pipe").c_str(), 0666), 0);
  alarm(20);  // a wait for the other end would otherwise hang the test
  for (DWORD access : {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE}) {
    SCOPED_TRACE(access);
    SetLastError(kUntouched);
    EXPECT_EQ(Open(folder_.Module("pipe"), access, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  }
  alarm(0);
}

TEST_F(FilesTest, CreateFileRefusesDevice) {
  SetLastError(kUntouched);
  EXPECT_EQ(Open("C:\\dev\\null", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(FilesTest, ReadOnlyFileRefusesWritingEvenForRootAndKeepsContent) {
  const std::string path = folder_.Posix("locked");
  WriteText(path, "keep");
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  for (DWORD disposition : {OPEN_EXISTING, OPEN_ALWAYS, CREATE_ALWAYS, TRUNCATE_EXISTING}) {
    SCOPED_TRACE(disposition);
    SetLastError(kUntouched);
    EXPECT_EQ(Open(folder_.Module("locked"), GENERIC_WRITE, disposition), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  }
  EXPECT_EQ(ReadText(path), "keep");
  Handle reader(Open(folder_.Module("locked"), GENERIC_READ, OPEN_EXISTING));
  EXPECT_TRUE(reader.valid());
}

TEST_F(FilesTest, UnreadableFileFailsWithAccessDeniedForOthers) {
  ASSERT_EQ(chmod(folder_.path().c_str(), 0755), 0);
  WriteText(folder_.Posix("secret"), "x");
  ASSERT_EQ(chmod(folder_.Posix("secret").c_str(), 0), 0);
  const std::string module_path = folder_.Module("secret");
  const int result = RunAsNobody([&module_path] {
    HANDLE file = Open(module_path, GENERIC_READ, OPEN_EXISTING);
    return file == INVALID_HANDLE_VALUE ? static_cast<int>(GetLastError()) : 0;
  });
  EXPECT_EQ(result, static_cast<int>(ERROR_ACCESS_DENIED));
}

// ---------------------------------------------------------------------------
// Reading and writing
// ---------------------------------------------------------------------------
TEST_F(FilesTest, WriteFileAndReadFileReportWholeCounts) {
  std::string payload(100000, 'a');
  for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<char>('a' + i % 26);
  {
    Handle file(Open(folder_.Module("data"), GENERIC_WRITE, CREATE_NEW));
    ASSERT_TRUE(file.valid());
    DWORD written = kUntouched;
    SetLastError(kUntouched);
    ASSERT_TRUE(WriteFile(file.get(), payload.data(), payload.size(), &written, nullptr));
    EXPECT_EQ(written, payload.size());
    EXPECT_EQ(GetLastError(), kUntouched);
  }
  Handle file(Open(folder_.Module("data"), GENERIC_READ, OPEN_EXISTING));
  std::string back(payload.size() + 10, '\0');
  DWORD read = kUntouched;
  SetLastError(kUntouched);
  ASSERT_TRUE(ReadFile(file.get(), back.data(), back.size(), &read, nullptr));
  EXPECT_EQ(read, payload.size());
  back.resize(read);
  EXPECT_EQ(back, payload);
  EXPECT_EQ(GetLastError(), kUntouched);
}

TEST_F(FilesTest, ReadFileAtEndSucceedsWithZeroBytes) {
  WriteText(folder_.Posix("data"), "abc");
  Handle file(Open(folder_.Module("data"), GENERIC_READ, OPEN_EXISTING));
  char buffer[8];
  ASSERT_TRUE(ReadFile(file.get(), buffer, sizeof buffer, nullptr, nullptr));
  DWORD read = kUntouched;
  SetLastError(kUntouched);
  EXPECT_TRUE(ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(read, 0u);
  EXPECT_EQ(GetLastError(), kUntouched);
}

TEST_F(FilesTest, ReadFileAndWriteFileRefuseAccessNotAskedFor) {
  WriteText(folder_.Posix("data"), "abc");
  Handle reader(Open(folder_.Module("data"), GENERIC_READ, OPEN_EXISTING));
  DWORD count = kUntouched;
  EXPECT_FALSE(WriteFile(reader.get(), "x", 1, &count, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(count, 0u);
  Handle writer(Open(folder_.Module("data"), GENERIC_WRITE, OPEN_EXISTING));
  char buffer[4];
  EXPECT_FALSE(ReadFile(writer.get(), buffer, sizeof buffer, &count, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(ReadText(folder_.Posix("data")), "abc");
}

TEST_F(FilesTest, WriteFileOnFullDiskFailsWithDiskFull) {
  const std::string mount_point = folder_.Posix("small");
  ASSERT_EQ(mkdir(mount_point.c_str(), 0755), 0);
  const std::string module_path = folder_.Module("small\\big");
  const int result = RunInChild([&] {
    // A private mount namespace takes the small file system away with the child.
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) ||
        mount("tmpfs", mount_point.c_str(), "tmpfs", 0, "size=64k") != 0) {
      return 253;
    }
    HANDLE file = Open(module_path, GENERIC_WRITE, CREATE_NEW);
    static char block[1 << 20];
    DWORD written = 0;
    const BOOL ok = WriteFile(file, block, sizeof block, &written, nullptr);
    const DWORD error = GetLastError();
    CloseHandle(file);
    return !ok && written < sizeof block ? static_cast<int>(error) : 0;
  });
  if (result == 253) GTEST_SKIP() << "cannot mount a small file system here";
  EXPECT_EQ(result, static_cast<int>(ERROR_DISK_FULL));
}

TEST_F(FilesTest, HandleCallsRefuseClosedHandle) {
  HANDLE file = Open(folder_.Module("data"), GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
  ASSERT_TRUE(CloseHandle(file));
  SetLastError(kUntouched);
  EXPECT_FALSE(CloseHandle(file));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  LARGE_INTEGER size;
  size.QuadPart = kUntouched;
  EXPECT_FALSE(GetFileSizeEx(file, &size));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(size.QuadPart, kUntouched);
  EXPECT_FALSE(FindClose(file));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

// ---------------------------------------------------------------------------
// Sizes
// ---------------------------------------------------------------------------
TEST_F(FilesTest, GetFileSizeExReportsSparseFiveGigabyteFile) {
  constexpr LONGLONG kSize = 5LL << 30;
  {
    const int fd = open(folder_.Posix("big").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, kSize), 0);
    close(fd);
  }
  Handle file(Open(folder_.Module("big"), GENERIC_READ, OPEN_EXISTING));
  LARGE_INTEGER size;
  SetLastError(kUntouched);
  ASSERT_TRUE(GetFileSizeEx(file.get(), &size));
  EXPECT_EQ(size.QuadPart, kSize);
  EXPECT_EQ(GetLastError(), kUntouched);
}

// ---------------------------------------------------------------------------
// Final path
// ---------------------------------------------------------------------------
TEST_F(FilesTest, GetFinalPathNameByHandleResolvesLinksAndFollowsSizeContract) {
  WriteText(folder_.Posix("target"), "x");
  ASSERT_EQ(symlink("target", folder_.Posix("link").c_str()), 0);
  Handle file(Open(folder_.Module("link"), GENERIC_READ, OPEN_EXISTING));
  const std::string expected = folder_.Module("target");
  const DWORD needed = expected.size() + 1;
  std::string buffer(needed + 1, '#');
  SetLastError(kUntouched);
  struct {
    DWORD size;
    DWORD result;
  } rows[] = {{needed + 1, needed - 1}, {needed, needed - 1}, {needed - 1, needed}, {0, needed}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.size);
    buffer.assign(needed + 1, '#');
    EXPECT_EQ(GetFinalPathNameByHandleA(file.get(), buffer.data(), row.size, 0), row.result);
    if (row.result < row.size) {
      EXPECT_STREQ(buffer.c_str(), expected.c_str());
    } else {
      EXPECT_EQ(buffer, std::string(needed + 1, '#'));
    }
  }
  EXPECT_EQ(GetLastError(), kUntouched);
}

// ---------------------------------------------------------------------------
// Temporary file names
// ---------------------------------------------------------------------------
TEST_F(FilesTest, GetTempFileNameWithUniqueNumberOnlyBuildsName) {
  char name[MAX_PATH];
  SetLastError(kUntouched);
  EXPECT_EQ(GetTempFileNameA(folder_.Module().c_str(), "abcdef", 0x1A2B, name), 0x1A2Bu);
  EXPECT_STREQ(name, folder_.Module("abc1A2B.tmp").c_str());
  EXPECT_FALSE(Exists(folder_.Posix("abc1A2B.tmp")));
  EXPECT_EQ(GetLastError(), kUntouched);
}

TEST_F(FilesTest, GetTempFileNameWithZeroCreatesDistinctEmptyFiles) {
  char first[MAX_PATH];
  char second[MAX_PATH];
  const UINT a = GetTempFileNameA(folder_.Module().c_str(), "ff", 0, first);
  const UINT b = GetTempFileNameA((folder_.Module() + "\\").c_str(), "ff", 0, second);
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  EXPECT_NE(a, b);
  EXPECT_STRNE(first, second);
  for (const char* name : {first, second}) {
    std::string posix(name + 2);
    for (char& c : posix) {
      if (c == '\\') c = '/';
    }
    EXPECT_TRUE(Exists(posix)) << name;
    EXPECT_EQ(ReadText(posix), "");
  }
}

// ---------------------------------------------------------------------------
// Long and lossy names
// ---------------------------------------------------------------------------
TEST_F(FilesTest, CreateFileRefusesPathsOf260BytesOrMore) {
  const std::string stem = folder_.Module() + "\\";
  const std::string fits = stem + std::string(MAX_PATH - 1 - stem.size(), 'n');
  ASSERT_EQ(fits.size(), 259u);
  Handle file(Open(fits, GENERIC_WRITE, CREATE_NEW));
  EXPECT_TRUE(file.valid());
  SetLastError(kUntouched);
  const std::string too_long = fits + "x";
  EXPECT_EQ(Open(too_long, GENERIC_WRITE, CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);
}

TEST_F(FilesTest, AliasOpensItsOwnFileForReadingAndWriting) {
  WriteText(folder_.Posix("€.txt"), "euro");
  WriteText(folder_.Posix("日本.txt"), "nihon");
  struct Row {
    const char* on_disk;
    const char* alias;
    const char* content;
  } rows[] = {{"€.txt", "?~1.txt", "euro"}, {"日本.txt", "??~1.txt", "nihon"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.alias);
    const std::string module_path = folder_.Module(row.alias);
    {
      Handle reader(Open(module_path, GENERIC_READ, OPEN_EXISTING));
      ASSERT_TRUE(reader.valid());
      char buffer[16] = {};
      DWORD read = 0;
      ASSERT_TRUE(ReadFile(reader.get(), buffer, sizeof buffer, &read, nullptr));
      EXPECT_EQ(std::string(buffer, read), row.content);
    }
    Handle writer(Open(module_path, GENERIC_WRITE, TRUNCATE_EXISTING));
    EXPECT_TRUE(writer.valid());
    EXPECT_EQ(ReadText(folder_.Posix(row.on_disk)), "");
  }
}

TEST_F(FilesTest, LossyTextThatIsNoAliasNamesNothing) {
  WriteText(folder_.Posix("€.txt"), "euro");
  WriteText(folder_.Posix("™.txt"), "trade");
  SetLastError(kUntouched);
  EXPECT_EQ(Open(folder_.Module("?.txt"), GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  for (DWORD disposition : {CREATE_ALWAYS, OPEN_ALWAYS, TRUNCATE_EXISTING}) {
    SCOPED_TRACE(disposition);
    SetLastError(kUntouched);
    EXPECT_EQ(Open(folder_.Module("?.txt"), GENERIC_WRITE, disposition), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
  }
  EXPECT_EQ(ReadText(folder_.Posix("€.txt")), "euro");
  EXPECT_EQ(ReadText(folder_.Posix("™.txt")), "trade");
  EXPECT_FALSE(Exists(folder_.Posix("?.txt")));
}

TEST_F(FilesTest, CreatingNameWithQuestionMarkFailsWithInvalidName) {
  SetLastError(kUntouched);
  EXPECT_EQ(Open(folder_.Module("new?.txt"), GENERIC_WRITE, CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
  EXPECT_FALSE(Exists(folder_.Posix("new?.txt")));
}

TEST_F(FilesTest, RealQuestionMarkInNameIsReachedThroughItsAliasOnly) {
  WriteText(folder_.Posix("what?.txt"), "old");
  SetLastError(kUntouched);
  EXPECT_EQ(Open(folder_.Module("what?.txt"), GENERIC_WRITE, TRUNCATE_EXISTING),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
  Handle file(Open(folder_.Module("what?~1.txt"), GENERIC_WRITE, TRUNCATE_EXISTING));
  EXPECT_TRUE(file.valid());
  EXPECT_EQ(ReadText(folder_.Posix("what?.txt")), "");
}

}  // namespace
