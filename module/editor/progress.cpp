// The progress counter. It ends just left of column 60 of an 80-column
// status row (54 when the host shows its clock there), moving right with a
// wider window; nothing erases it, the host's next redraw covers it.
#include "module/editor/progress.hpp"

#include <cstdio>
#include <cstring>

#include "module/base/host_access.hpp"
#include "module/base/settings.hpp"

int LastShownLine = 0;

namespace {

constexpr int kRedrawDistance = 25;
constexpr int kCounterColour = 0x30;

}  // namespace

void ShowProgress(int line, int total_lines, int window_width) {
  if (line >= LastShownLine && line <= LastShownLine + kRedrawDistance) return;
  char text[20];
  std::snprintf(text, sizeof text, "%d/%d", line, total_lines);
  int length = static_cast<int>(std::strlen(text));
  int base = ClockShown == 1 ? 19 : 25;
  if (window_width > 80) base += window_width - 81;
  StartupInfo.Text(base + 35 - length, 0, kCounterColour, text);
  // No text: the host flushes what was drawn.
  StartupInfo.Text(0, 0, kCounterColour, nullptr);
  LastShownLine = line;
}
