// The key bar at the widths people use: whole labels from 80 columns up,
// shortened ones below, never past the screen's edge.
#include "host/ui/terminal/key_bar.hpp"

#include <gtest/gtest.h>

#include <numeric>

namespace {

using host::tui::KeyLabels;

const KeyLabels kPanelKeys = {"Help", "", "", "Edit", "", "", "", "", "Config", "Quit", "Plugins",
                              ""};

std::wstring BarAt(int width) {
  host::tui::CellGrid grid(width, 1);
  host::tui::RenderKeyBar(grid, 0, kPanelKeys);
  return grid.Row(0);
}

TEST(KeyBar, EveryLabelIsWholeFromEightyColumnsAndShortenedBelow) {
  for (int width : {80, 100, 132}) {
    SCOPED_TRACE(width);
    std::wstring bar = BarAt(width);
    for (const wchar_t* key : {L"1Help", L"4Edit", L"9Config", L"10Quit", L"11Plugins"}) {
      EXPECT_NE(bar.find(key), std::wstring::npos) << key << " in " << bar;
    }
  }
  // Forty columns: every number is still there, in order.
  std::wstring narrow = BarAt(40);
  size_t at = 0;
  for (int key = 1; key <= 12; ++key) {
    at = narrow.find(std::to_wstring(key), at);
    ASSERT_NE(at, std::wstring::npos) << key << " in " << narrow;
  }
  for (int width : {40, 80, 101}) {
    std::array<int, 12> widths = host::tui::KeyWidths(kPanelKeys, width);
    EXPECT_EQ(std::accumulate(widths.begin(), widths.end(), 0), width);
  }
}

}  // namespace
