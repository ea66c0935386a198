// Reading a mapped file that shrank under its view.
#include "platform/fault_guard.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "platform/win32.hpp"
#include "tests/support/temp_folder.hpp"

namespace {

struct Sum {
  const char* data;
  size_t length;
  unsigned long total;
};

void AddBytes(void* context) {
  auto* sum = static_cast<Sum*>(context);
  for (size_t i = 0; i < sum->length; i++) sum->total += static_cast<unsigned char>(sum->data[i]);
}

}  // namespace

TEST(FaultGuard, ReadOfATruncatedMappingIsReportedNotFatal) {
  TempFolder folder;
  const size_t size = 4 * static_cast<size_t>(sysconf(_SC_PAGESIZE));
  WriteText(folder.Posix("shrinks"), std::string(size, '\x01'));
  HANDLE file = CreateFileA(folder.Module("shrinks").c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  ASSERT_NE(mapping, nullptr);
  const char* view = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
  ASSERT_NE(view, nullptr);

  Sum whole{view, size, 0};
  EXPECT_TRUE(platform::CallWithFaultGuard(AddBytes, &whole));
  EXPECT_EQ(whole.total, size);

  ASSERT_EQ(truncate(folder.Posix("shrinks").c_str(), 100), 0);
  Sum shrunk{view, size, 0};
  EXPECT_FALSE(platform::CallWithFaultGuard(AddBytes, &shrunk));
  EXPECT_EQ(shrunk.total, 100u);  // the vanished pages read as zeros

  EXPECT_TRUE(UnmapViewOfFile(view));
  CloseHandle(mapping);
  CloseHandle(file);
}
