// Searching a file through a mapped view, including a file that shrinks
// while it is being read.
#include "module/files/mapped_file.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/support/recording_host.hpp"
#include "tests/support/temp_folder.hpp"

namespace {

std::string shrinking_path;

bool FindsLastByteAfterTruncating(const char* data, size_t length) {
  EXPECT_EQ(truncate(shrinking_path.c_str(), 0), 0);
  return data[length - 1] == 'z';
}

bool EndsWithZ(const char* data, size_t length) { return length > 0 && data[length - 1] == 'z'; }

}  // namespace

// The scan shows nothing itself, whatever happens: the search reports an
// unreadable file on the host's thread.
TEST(MappedFile, TestSeesTheWholeFile) {
  RecordingHost host;
  TempFolder folder;
  WriteText(folder.Posix("a.txt"), std::string(100000, 'a') + "z");
  EXPECT_EQ(ScanMappedFile(folder.Module("a.txt").c_str(), EndsWithZ), MappedScan::kFound);
  WriteText(folder.Posix("b.txt"), std::string(100000, 'a'));
  EXPECT_EQ(ScanMappedFile(folder.Module("b.txt").c_str(), EndsWithZ), MappedScan::kNotFound);
  EXPECT_TRUE(host.messages.empty());
}

TEST(MappedFile, MissingFileIsUnreadable) {
  RecordingHost host;
  TempFolder folder;
  EXPECT_EQ(ScanMappedFile(folder.Module("gone.txt").c_str(), EndsWithZ), MappedScan::kUnreadable);
  EXPECT_TRUE(host.messages.empty());
}

TEST(MappedFile, FileTruncatedDuringTheScanIsUnreadableNotACrash) {
  RecordingHost host;
  TempFolder folder;
  shrinking_path = folder.Posix("shrinks.txt");
  WriteText(shrinking_path, std::string(16 << 20, 'a') + "z");  // mapped, not read
  EXPECT_EQ(ScanMappedFile(folder.Module("shrinks.txt").c_str(), FindsLastByteAfterTruncating),
            MappedScan::kUnreadable);
  EXPECT_TRUE(host.messages.empty());
}
