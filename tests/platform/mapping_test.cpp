// Read-only whole-file memory maps, as the module's scans use them.
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "platform/win32.hpp"
#include "tests/support/temp_folder.hpp"

namespace {

constexpr DWORD kUntouched = 0xdeadbeef;
constexpr DWORD kSecCommit = 0x08000000;

class MappingTest : public ::testing::Test {
 protected:
  HANDLE OpenFile(const std::string& name, const std::string& content,
                  DWORD access = GENERIC_READ) {
    WriteText(folder_.Posix(name), content);
    HANDLE file = CreateFileA(folder_.Module(name).c_str(), access, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    return file;
  }

  TempFolder folder_;
};

TEST_F(MappingTest, WholeFileViewShowsContentAndOutlivesHandles) {
  std::string content(3 * 4096 + 123, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
  HANDLE file = OpenFile("data", content);
  SetLastError(kUntouched);
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY | kSecCommit, 0, 0, nullptr);
  ASSERT_NE(mapping, nullptr);
  const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(GetLastError(), kUntouched);
  // Windows keeps a view valid after its mapping and file handles are closed.
  EXPECT_TRUE(CloseHandle(mapping));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(std::memcmp(view, content.data(), content.size()), 0);
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_EQ(GetLastError(), kUntouched);
}

TEST_F(MappingTest, MappingSizeMayNameTheWholeFile) {
  HANDLE file = OpenFile("data", "abcdef");
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 6, nullptr);
  ASSERT_NE(mapping, nullptr);
  const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 6);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(std::memcmp(view, "abcdef", 6), 0);
  EXPECT_TRUE(UnmapViewOfFile(view));
  CloseHandle(mapping);
  CloseHandle(file);
}

TEST_F(MappingTest, FileBeyondFourGigabytesMapsWhole) {
  constexpr uint64_t kSize = (5ULL << 30) + 1;
  HANDLE file = OpenFile("big", "");
  ASSERT_EQ(truncate(folder_.Posix("big").c_str(), kSize), 0);
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 1, (1u << 30) + 1, nullptr);
  ASSERT_NE(mapping, nullptr);
  const char* view = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view[kSize - 1], '\0');  // the last byte is inside the view
  EXPECT_TRUE(UnmapViewOfFile(view));
  CloseHandle(mapping);
  CloseHandle(file);
}

TEST_F(MappingTest, ZeroLengthFileIsRefusedWithFileInvalid) {
  HANDLE file = OpenFile("empty", "");
  SetLastError(kUntouched);
  EXPECT_EQ(CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_INVALID);
  CloseHandle(file);
}

TEST_F(MappingTest, CreateFileMappingRefusesWhatIsNotAReadOnlyWholeFileMap) {
  HANDLE file = OpenFile("data", "abcdef");
  HANDLE writer = CreateFileA(folder_.Module("data").c_str(), GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  struct Row {
    const char* label;
    HANDLE file;
    DWORD protect;
    DWORD size_low;
    DWORD error;
  } rows[] = {
      {"writable pages", file, 0x04 /* PAGE_READWRITE */, 0, ERROR_INVALID_PARAMETER},
      {"part of the file", file, PAGE_READONLY, 3, ERROR_INVALID_PARAMETER},
      {"beyond the file", file, PAGE_READONLY, 7, ERROR_INVALID_PARAMETER},
      {"handle without read access", writer, PAGE_READONLY, 0, ERROR_ACCESS_DENIED},
      {"not a handle", INVALID_HANDLE_VALUE, PAGE_READONLY, 0, ERROR_INVALID_HANDLE},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    SetLastError(kUntouched);
    EXPECT_EQ(CreateFileMappingA(row.file, nullptr, row.protect, 0, row.size_low, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), row.error);
  }
  CloseHandle(writer);
  CloseHandle(file);
}

TEST_F(MappingTest, MapViewRefusesOffsetsAndOversizedViews) {
  HANDLE file = OpenFile("data", "abcdef");
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  ASSERT_NE(mapping, nullptr);
  SetLastError(kUntouched);
  EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_READ, 0, 4096, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 7), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(MapViewOfFile(file, FILE_MAP_READ, 0, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  CloseHandle(mapping);
  CloseHandle(file);
}

TEST_F(MappingTest, UnmapViewOfFileRefusesUnknownAddressAndSecondUnmap) {
  HANDLE file = OpenFile("data", "abcdef");
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  const char* view = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
  ASSERT_NE(view, nullptr);
  SetLastError(kUntouched);
  EXPECT_FALSE(UnmapViewOfFile(view + 1));
  EXPECT_NE(GetLastError(), kUntouched);
  EXPECT_EQ(view[0], 'a');  // still mapped
  EXPECT_TRUE(UnmapViewOfFile(view));
  SetLastError(kUntouched);
  EXPECT_FALSE(UnmapViewOfFile(view));
  EXPECT_NE(GetLastError(), kUntouched);
  CloseHandle(mapping);
  CloseHandle(file);
}

// Small files are read into a reused buffer and large ones mapped; either
// way every live view shows its own file, however views of several files
// and several views of one file interleave.
TEST_F(MappingTest, ViewsOfSmallAndLargeFilesKeepTheirOwnContent) {
  const size_t sizes[] = {1, 4096, (16u << 20) - 1, 16u << 20, (16u << 20) + 1, 3u << 20};
  for (size_t size : sizes) {
    SCOPED_TRACE(size);
    std::string first(size, 'a'), second(size / 2 + 1, 'b');
    first.back() = 'z';
    HANDLE file_a = OpenFile("a", first);
    HANDLE file_b = OpenFile("b", second);
    HANDLE mapping_a = CreateFileMappingA(file_a, nullptr, PAGE_READONLY, 0, 0, nullptr);
    const char* view_a = static_cast<const char*>(MapViewOfFile(mapping_a, FILE_MAP_READ, 0, 0, 0));
    const char* again_a = static_cast<const char*>(MapViewOfFile(mapping_a, FILE_MAP_READ, 0, 0, 0));
    CloseHandle(mapping_a);
    HANDLE mapping_b = CreateFileMappingA(file_b, nullptr, PAGE_READONLY, 0, 0, nullptr);
    const char* view_b = static_cast<const char*>(MapViewOfFile(mapping_b, FILE_MAP_READ, 0, 0, 0));
    ASSERT_TRUE(view_a && again_a && view_b);
    EXPECT_EQ(std::string(view_b, second.size()), second);
    EXPECT_TRUE(UnmapViewOfFile(view_a));
    EXPECT_EQ(std::string(again_a, first.size()), first);  // the other view still shows it
    EXPECT_TRUE(UnmapViewOfFile(again_a));
    EXPECT_TRUE(UnmapViewOfFile(view_b));
    EXPECT_FALSE(UnmapViewOfFile(view_b));
    CloseHandle(mapping_b);
    CloseHandle(file_a);
    CloseHandle(file_b);
  }
}

// A small file that shrank after its open cannot give the size its handle
// reports: the mapping fails for that file rather than showing stale or
// missing bytes; a large one is mapped and its reads are the fault guard's.
TEST_F(MappingTest, SmallFileShrunkSinceItsOpenFailsWithFileInvalid) {
  HANDLE file = OpenFile("shrinks", std::string(5000, 'x'));
  ASSERT_EQ(truncate(folder_.Posix("shrinks").c_str(), 100), 0);
  SetLastError(kUntouched);
  EXPECT_EQ(CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_INVALID);
  CloseHandle(file);
}

}  // namespace

namespace {

// What a handle reports after its file has grown: the size seen by its size
// question, and the length of a whole-file view.
struct SizesAfterGrowth {
  LONGLONG reported;
  bool view_covers_growth;
};

SizesAfterGrowth GrowUnderHandle(TempFolder& folder, DWORD access, DWORD share) {
  WriteText(folder.Posix("grows"), std::string(100, 'a'));
  HANDLE file = CreateFileA(folder.Module("grows").c_str(), access, share, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(file, INVALID_HANDLE_VALUE);
  WriteText(folder.Posix("grows"), std::string(5000, 'b'));  // rewritten in place, longer
  LARGE_INTEGER size{};
  EXPECT_TRUE(GetFileSizeEx(file, &size));
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  EXPECT_NE(mapping, nullptr);
  // A view of more than the handle's size is refused; of exactly it, given.
  const void* grown = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 5000);
  if (grown) UnmapViewOfFile(grown);
  const void* whole = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  EXPECT_NE(whole, nullptr);
  UnmapViewOfFile(whole);
  CloseHandle(mapping);
  CloseHandle(file);
  return {size.QuadPart, grown != nullptr};
}

}  // namespace

// A file opened to read, sharing no write, cannot change size under its
// handle on Windows: its size and its mapping both keep the size the open
// saw, so the two always agree. A handle that shares writing or writes
// itself sees the file as it is now.
TEST_F(MappingTest, SizeIsTheOpensWhereNoWriteIsShared) {
  const SizesAfterGrowth fixed = GrowUnderHandle(folder_, GENERIC_READ, FILE_SHARE_READ);
  EXPECT_EQ(fixed.reported, 100);
  EXPECT_FALSE(fixed.view_covers_growth);
  const SizesAfterGrowth shared =
      GrowUnderHandle(folder_, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
  EXPECT_EQ(shared.reported, 5000);
  EXPECT_TRUE(shared.view_covers_growth);
  const SizesAfterGrowth writer =
      GrowUnderHandle(folder_, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ);
  EXPECT_EQ(writer.reported, 5000);
  EXPECT_TRUE(writer.view_covers_growth);
}
