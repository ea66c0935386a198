// Unified diffs against GNU patch: whatever the two texts (repeated lines,
// CR LF, no final newline, empty sides), patch turns the old one into the
// new one byte for byte; and a change keeps the lines around it as context.
#include "host/cli/unified_diff.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "tests/support/temp_folder.hpp"

namespace {

using host::cli::UnifiedDiff;

// Applies `diff` with patch -p1 in `folder`, where `name` holds `before`
// (or nothing, for a diff that creates it), and reads the result.
std::string Patched(const TempFolder& folder, const std::string& name, const std::string& before,
                    const std::string& diff, bool create) {
  std::filesystem::remove(folder.Posix(name));
  if (!create) WriteText(folder.Posix(name), before);
  WriteText(folder.Posix("change.diff"), diff);
  const std::string command = "cd '" + folder.path() + "' && patch -p1 -s --no-backup-if-mismatch < change.diff";
  if (std::system(command.c_str()) != 0) return "<patch failed>";
  return ReadText(folder.Posix(name));
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
  for (int round = 0; round < 100; round++) {
    const std::string before = RandomText(random);
    const std::string after = round % 2 ? Edited(before, random) : RandomText(random);
    SCOPED_TRACE(testing::Message() << "round " << round << "\n[" << before << "]\n[" << after << "]");
    const std::string diff = UnifiedDiff(before, after, "a/f y.txt", "b/f y.txt");
    EXPECT_EQ(diff.empty(), before == after);
    if (!diff.empty()) {
      EXPECT_EQ(Patched(folder, "f y.txt", before, diff, false), after) << diff;
    }
  }
  const std::string created = UnifiedDiff("", "one\r\ntwo", "/dev/null", "b/new.old");
  EXPECT_EQ(Patched(folder, "new.old", "", created, true), "one\r\ntwo");
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
