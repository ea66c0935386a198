// Unified diffs against GNU patch: whatever the two texts (repeated lines,
// CR LF, no final newline, empty sides), patch turns the old one into the
// new one byte for byte; and a change keeps the lines around it as context.
#include "host/cli/unified_diff.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <utility>
#include <vector>

#include "tests/support/temp_folder.hpp"

namespace {

using host::cli::UnifiedDiff;

// Runs patch -p1 on `diff` in `folder`; false when it fails.
bool Patch(const TempFolder& folder, const std::string& diff) {
  WriteText(folder.Posix("change.diff"), diff);
  const std::string command =
      "cd '" + folder.path() + "' && patch -p1 -s --no-backup-if-mismatch < change.diff";
  return std::system(command.c_str()) == 0;
}

std::string RandomText(std::mt19937& random) {
  const char* lines[] = {"alpha", "beta", "gamma", "}", "", "delta x", "beta "};
  std::string text;
  const int count = static_cast<int>(random() % 12);
  const bool crlf = random() % 3 == 0;
  for (int i = 0; i < count; i++) {
    text += lines[random() % 7];
    if (i + 1 < count || random() % 2) text += crlf && random() % 4 ? "\r\n" : "\n";
  }
  return text;
}

// `text` with a few of its lines changed, added or removed.
std::string Edited(std::string text, std::mt19937& random) {
  for (int edits = 1 + static_cast<int>(random() % 3); edits > 0; edits--) {
    const size_t at = text.empty() ? 0 : random() % text.size();
    switch (random() % 3) {
      case 0: text.insert(at, "inserted\n"); break;
      case 1: text.erase(at, random() % 9); break;
      default: text.insert(at, "X"); break;
    }
  }
  return text;
}

}  // namespace

TEST(UnifiedDiff, PatchGivesTheNewTextByteForByte) {
  TempFolder folder;
  std::mt19937 random(20);
  std::vector<std::pair<std::string, std::string>> texts;  // before, after; one file each
  std::string diff;
  for (int file = 0; file < 150; file++) {
    std::string before = RandomText(random);
    std::string after = file % 2 ? Edited(before, random) : RandomText(random);
    const std::string name = "f y" + std::to_string(file) + ".txt";
    WriteText(folder.Posix(name), before);
    const std::string file_diff = UnifiedDiff(before, after, "a/" + name, "b/" + name);
    EXPECT_EQ(file_diff.empty(), before == after) << name;
    diff += file_diff;
    texts.emplace_back(std::move(before), std::move(after));
  }
  diff += UnifiedDiff("", "one\r\ntwo", "/dev/null", "b/new.old");
  ASSERT_TRUE(Patch(folder, diff)) << diff;
  for (size_t file = 0; file < texts.size(); file++) {
    const auto& [before, after] = texts[file];
    SCOPED_TRACE(testing::Message() << "file " << file << "\n[" << before << "]\n[" << after << "]");
    EXPECT_EQ(ReadText(folder.Posix("f y" + std::to_string(file) + ".txt")), after);
  }
  EXPECT_EQ(ReadText(folder.Posix("new.old")), "one\r\ntwo");
}

TEST(UnifiedDiff, KeepsUnchangedLinesAsContextInSeparateHunks) {
  std::string before, after;
  for (int i = 0; i < 40; i++) {
    before += "line " + std::to_string(i) + "\n";
    after += (i == 5 || i == 30 ? "LINE " : "line ") + std::to_string(i) + "\n";
  }
  EXPECT_EQ(UnifiedDiff(before, after, "a/f", "b/f"),
            "--- a/f\n+++ b/f\n"
            "@@ -3,7 +3,7 @@\n line 2\n line 3\n line 4\n-line 5\n+LINE 5\n line 6\n line 7\n line 8\n"
            "@@ -28,7 +28,7 @@\n line 27\n line 28\n line 29\n-line 30\n+LINE 30\n line 31\n"
            " line 32\n line 33\n");
}
