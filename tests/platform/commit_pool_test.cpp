// The group commit: outcomes in the order of the calls, each commit checked
// as ReplaceFileA's is (a file changed, removed or replaced by another
// program after it was read is left as that program made it), a folder
// that became read-only, and far more files than descriptors.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32.hpp"
#include "tests/support/temp_folder.hpp"

namespace {

// Reads `relative` as a rewrite does, writes `content` to a scratch file
// beside it, lets `meanwhile` run, queues the replace and closes both
// handles at once, as the module does.
bool QueueNew(const TempFolder& f, const std::string& relative, const std::string& content,
              const std::function<void()>& meanwhile = [] {}) {
  const std::string target = f.Module(relative);
  const std::string scratch_name = target + ".scratch";
  HANDLE reader = CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  HANDLE scratch = CreateFileA(scratch_name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (reader == INVALID_HANDLE_VALUE || scratch == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(scratch, content.data(), static_cast<DWORD>(content.size()), &written,
                      nullptr) && written == content.size();
  meanwhile();
  ok = ok && QueueReplaceFileA(target.c_str(), scratch_name.c_str(), nullptr);
  CloseHandle(scratch);
  CloseHandle(reader);
  return ok;
}

// Every outcome decided so far, or all of them after the final flush.
void TakeOutcomes(bool wait, std::vector<DWORD>* outcomes) {
  DWORD error = 0;
  while (GetQueuedReplaceResult(wait, &error)) outcomes->push_back(error);
}

std::string Numbered(const char* what, int i) { return what + std::to_string(i) + "\n"; }

}  // namespace

TEST(CommitPool, OutcomesComeInOrderAndAFileTouchedMeanwhileIsLeftToTheOtherProgram) {
  TempFolder f;
  enum Meanwhile { kNothing, kAppended, kRemoved, kReplaced, kNothingAgain };
  constexpr int kFiles = 90;  // in three folders, more than are ever in flight
  std::vector<std::string> names;
  for (int i = 0; i < kFiles; i++) {
    if (i % 30 == 0) std::filesystem::create_directory(f.Posix("d" + std::to_string(i / 30)));
    names.push_back("d" + std::to_string(i / 30) + "/f" + std::to_string(i) + ".txt");
    WriteText(f.Posix(names.back()), Numbered("old ", i));
  }
  std::vector<DWORD> outcomes;
  for (int i = 0; i < kFiles; i++) {
    const std::string path = f.Posix(names[i]);
    const std::string other = path + ".other";
    ASSERT_TRUE(QueueNew(f, names[i], Numbered("new ", i), [&] {
      switch (i % 5) {
        case kAppended: WriteText(path, Numbered("old ", i) + "appended\n"); break;
        case kRemoved: unlink(path.c_str()); break;
        case kReplaced:
          WriteText(other, Numbered("other ", i));
          rename(other.c_str(), path.c_str());
          break;
      }
    })) << names[i];
    TakeOutcomes(false, &outcomes);
  }
  ASSERT_TRUE(FlushQueuedReplaces());
  TakeOutcomes(true, &outcomes);
  DWORD error = 0;
  EXPECT_FALSE(GetQueuedReplaceResult(TRUE, &error));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));

  ASSERT_EQ(outcomes.size(), static_cast<size_t>(kFiles));
  for (int i = 0; i < kFiles; i++) {
    SCOPED_TRACE(names[i]);
    const std::string path = f.Posix(names[i]);
    const int meanwhile = i % 5;
    const bool untouched = meanwhile == kNothing || meanwhile == kNothingAgain;
    EXPECT_EQ(outcomes[i], untouched ? ERROR_SUCCESS : static_cast<DWORD>(ERROR_FILE_INVALID));
    if (meanwhile == kRemoved)
      EXPECT_FALSE(Exists(path)) << "new content committed over a removed file";
    else if (meanwhile == kAppended)
      EXPECT_EQ(ReadText(path), Numbered("old ", i) + "appended\n");
    else
      EXPECT_EQ(ReadText(path), Numbered(meanwhile == kReplaced ? "other " : "new ", i));
  }
  for (const char* folder : {"d0", "d1", "d2"})
    for (const std::string& name : NamesIn(f.Posix(folder)))
      EXPECT_TRUE(name.ends_with(".txt")) << "stray " << folder << "/" << name;
}

TEST(CommitPool, AFolderThatBecameReadOnlyKeepsItsFileWholeAndTheOthersGoOn) {
  TempFolder f;
  chmod(f.path().c_str(), 0755);
  for (const char* folder : {"open", "locked"}) {
    ASSERT_EQ(mkdir(f.Posix(folder).c_str(), 0755), 0);
    WriteText(f.Posix(std::string(folder) + "/a.txt"), "old");
    chown(f.Posix(folder).c_str(), 65534, 65534);
    chown(f.Posix(std::string(folder) + "/a.txt").c_str(), 65534, 65534);
  }
  const std::string locked = f.Posix("locked");
  const int result = RunAsNobody([&] {
    std::vector<DWORD> outcomes;
    const bool queued = QueueNew(f, "locked/a.txt", "new", [&] { chmod(locked.c_str(), 0555); }) &&
                        QueueNew(f, "open/a.txt", "new");
    FlushQueuedReplaces();
    TakeOutcomes(true, &outcomes);
    const std::vector<DWORD> expected = {ERROR_ACCESS_DENIED, ERROR_SUCCESS};
    return queued && outcomes == expected ? 0 : 1;
  });
  chmod(locked.c_str(), 0755);
  ASSERT_NE(result, 254) << "cannot drop privileges here";
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadText(f.Posix("locked/a.txt")), "old");
  EXPECT_EQ(ReadText(f.Posix("open/a.txt")), "new");
  EXPECT_EQ(NamesIn(locked), std::vector<std::string>{"a.txt"});
}

TEST(CommitPool, FarMoreFilesThanDescriptorsAreAllCommitted) {
  TempFolder f;
  constexpr int kFiles = 200;
  for (int i = 0; i < kFiles; i++) WriteText(f.Posix("f" + std::to_string(i)), "old");
  const int failures = RunInChild([&] {
    const rlimit low{64, 64};
    if (setrlimit(RLIMIT_NOFILE, &low) != 0) return 255;
    std::vector<DWORD> outcomes;
    int failed = 0;
    for (int i = 0; i < kFiles; i++) {
      failed += !QueueNew(f, "f" + std::to_string(i), Numbered("new ", i));
      TakeOutcomes(false, &outcomes);
    }
    FlushQueuedReplaces();
    TakeOutcomes(true, &outcomes);
    for (DWORD outcome : outcomes) failed += outcome != ERROR_SUCCESS;
    return std::min(failed + kFiles - static_cast<int>(outcomes.size()), 250);
  });
  EXPECT_EQ(failures, 0);
  for (int i = 0; i < kFiles; i++) ASSERT_EQ(ReadText(f.Posix("f" + std::to_string(i))), Numbered("new ", i));
  EXPECT_EQ(NamesIn(f.path()).size(), static_cast<size_t>(kFiles));
}
