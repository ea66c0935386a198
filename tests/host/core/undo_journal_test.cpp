// The undo journal's limits and its refusals: the newest runs are kept up
// to the run count and the size of their saved content; a missing or
// damaged journal is refused and left as it is.
#include "host/core/undo_journal.hpp"

#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_folder.hpp"

namespace {

using host::JournalChange;
using host::JournalRun;
using host::UndoJournal;

constexpr int64_t kMiB = int64_t{1} << 20;

class UndoJournalLimits : public testing::Test {
 protected:
  std::unique_ptr<UndoJournal> Open(bool create) {
    std::string error;
    std::unique_ptr<UndoJournal> journal = UndoJournal::Open(folder_.Posix("state"), create, &error);
    error_ = error;
    return journal;
  }

  // A run of one rewrite whose saved content is `saved_bytes` long (sparse).
  int64_t AddRun(UndoJournal& journal, int64_t saved_bytes) {
    JournalRun run;
    EXPECT_TRUE(journal.MakeRunFolder(&run));
    JournalChange change;
    change.seq = 1;
    change.path = "/nowhere/file";
    change.saved = "1";
    WriteText(journal.RunFolder(run) + "/1", "");
    EXPECT_EQ(truncate((journal.RunFolder(run) + "/1").c_str(), saved_bytes), 0);
    EXPECT_TRUE(journal.Record(&run, {change}, {})) << journal.error();
    EXPECT_TRUE(journal.Settle(run, {.made = {1}, .failed = {}})) << journal.error();
    return run.id;
  }

  std::vector<int64_t> Kept(UndoJournal& journal) {
    std::vector<int64_t> ids;
    for (const JournalRun& run : journal.Runs()) ids.push_back(run.id);
    return ids;
  }

  TempFolder folder_;
  std::string error_;
};

TEST_F(UndoJournalLimits, KeepsTheNewestRunsWithinCountAndSavedSize) {
  struct Row {
    std::vector<int64_t> sizes_in_mib;  // oldest first
    size_t kept;                        // the newest this many
  };
  const Row rows[] = {
      {std::vector<int64_t>(23, 1), 20},
      {{200, 300, 300, 300}, 3},  // 900 MiB fit, 1100 do not
      {{10, 1500}, 1},            // the newest stays whatever its size
      {{1, 1, 1, 1}, 4},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sizes_in_mib.size());
    std::filesystem::remove_all(folder_.Posix("state"));
    std::unique_ptr<UndoJournal> journal = Open(true);
    ASSERT_TRUE(journal) << error_;
    std::vector<int64_t> ids;
    for (int64_t mib : row.sizes_in_mib) ids.insert(ids.begin(), AddRun(*journal, mib * kMiB));
    journal->Prune();
    ids.resize(row.kept);
    EXPECT_EQ(Kept(*journal), ids);
    for (const JournalRun& run : journal->Runs())
      EXPECT_TRUE(std::filesystem::exists(journal->RunFolder(run)));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.Posix("state/saved")),
                            std::filesystem::directory_iterator()),
              static_cast<long>(row.kept));
  }
}

TEST_F(UndoJournalLimits, MissingOrDamagedJournalIsRefusedAndLeftAsItIs) {
  EXPECT_FALSE(Open(false));
  EXPECT_NE(error_.find("no undo journal"), std::string::npos) << error_;
  EXPECT_FALSE(std::filesystem::exists(folder_.Posix("state")));

  std::filesystem::create_directories(folder_.Posix("state"));
  const std::string garbage(8192, 'x');
  WriteText(folder_.Posix("state/journal.db"), garbage);
  for (bool create : {false, true}) {
    EXPECT_FALSE(Open(create));
    EXPECT_NE(error_.find("is damaged"), std::string::npos) << error_;
    EXPECT_EQ(ReadText(folder_.Posix("state/journal.db")), garbage);
  }
}

}  // namespace
