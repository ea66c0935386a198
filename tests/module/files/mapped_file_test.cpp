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

TEST(MappedFile, TestSeesTheWholeFile) {
  RecordingHost host;
  TempFolder folder;
  WriteText(folder.Posix("a.txt"), std::string(100000, 'a') + "z");
  EXPECT_TRUE(SearchMappedFile(folder.Module("a.txt").c_str(), EndsWithZ));
  EXPECT_TRUE(host.messages.empty());
}

TEST(MappedFile, MissingFileShowsTheOpenErrorWithItsPath) {
  RecordingHost host;
  TempFolder folder;
  const std::string path = folder.Module("gone.txt");
  EXPECT_FALSE(SearchMappedFile(path.c_str(), EndsWithZ));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].help_topic, "FSOpenError");
  EXPECT_EQ(host.messages[0].items.at(2), path);
}

TEST(MappedFile, FileTruncatedDuringTheScanIsAnErrorNotACrash) {
  RecordingHost host;
  TempFolder folder;
  shrinking_path = folder.Posix("shrinks.txt");
  WriteText(shrinking_path, std::string(1 << 20, 'a') + "z");
  EXPECT_FALSE(SearchMappedFile(folder.Module("shrinks.txt").c_str(), FindsLastByteAfterTruncating));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].help_topic, "FSOpenError");
}
