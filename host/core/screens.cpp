// Screen save/restore bookkeeping: handles are counters, never addresses.
#include "host/core/screens.hpp"

namespace host {

HANDLE Screens::Save(int x1, int y1, int x2, int y2) {
  ScreenArea area{x1, y1, x2, y2};
  uintptr_t handle = next_handle_++;
  saved_[handle] = area;
  ui_.SaveScreen(area);
  return reinterpret_cast<HANDLE>(handle);
}

void Screens::Restore(HANDLE screen) {
  if (!screen) {
    ui_.RestoreScreen(ScreenArea{});
    return;
  }
  auto found = saved_.find(reinterpret_cast<uintptr_t>(screen));
  if (found == saved_.end()) return;
  ScreenArea area = found->second;
  saved_.erase(found);
  ui_.RestoreScreen(area);
}

}  // namespace host
