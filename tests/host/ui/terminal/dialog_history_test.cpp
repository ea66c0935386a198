// Dialog history in the registry: most recent first, no repeats, at most
// twenty entries, kept across runs.
#include "host/ui/terminal/dialog_history.hpp"

#include <gtest/gtest.h>

#include "platform/host_bridge.hpp"
#include "tests/support/host_fixture.hpp"

namespace {

using host::tui::RegistryHistory;

class DialogHistoryTest : public testing::Test {
 protected:
  void SetUp() override { platform::SetRegistryFile(tree_.Path("registry.db")); }
  void TearDown() override { platform::CloseRegistry(); }
  testing_support::TempTree tree_;
};

TEST_F(DialogHistoryTest, NewestFirstWithoutRepeatsAndTwentyAtMost) {
  RegistryHistory history;
  for (int i = 0; i < 25; ++i) history.Add("Masks", "mask" + std::to_string(i));
  history.Add("Masks", "mask20");
  std::vector<std::string> entries = history.Entries("Masks");
  ASSERT_EQ(entries.size(), 20u);
  EXPECT_EQ(entries[0], "mask20");
  EXPECT_EQ(entries[1], "mask24");
  EXPECT_EQ(entries[19], "mask5");
  EXPECT_TRUE(history.Entries("SearchText").empty());
}

TEST_F(DialogHistoryTest, EntriesSurviveTheRegistryBeingClosedAndEmptyTextsAreNotKept) {
  RegistryHistory().Add("SearchText", "needle \x8f\xa0");
  RegistryHistory().Add("SearchText", "");
  platform::CloseRegistry();
  platform::SetRegistryFile(tree_.Path("registry.db"));
  EXPECT_EQ(RegistryHistory().Entries("SearchText"),
            (std::vector<std::string>{"needle \x8f\xa0"}));
}

}  // namespace
