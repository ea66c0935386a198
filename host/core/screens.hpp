// Saved screen areas. The module saves an area before it draws progress
// boxes over it and restores it by handle afterwards; the host remembers
// which area each handle stands for and tells the Ui to redraw it.
#pragma once

#include <cstdint>
#include <map>

#include "host/ui/ui.hpp"

namespace host {

class Screens {
 public:
  explicit Screens(Ui& ui) : ui_(ui) {}

  // Never null, never INVALID_HANDLE_VALUE.
  HANDLE Save(int x1, int y1, int x2, int y2);
  // Restores and forgets a saved area. A null handle redraws the whole
  // screen; a handle that was never handed out (or already restored) is
  // ignored, so a module mistake cannot touch another area.
  void Restore(HANDLE screen);

  int saved_count() const { return static_cast<int>(saved_.size()); }

 private:
  Ui& ui_;
  uintptr_t next_handle_ = 1;
  std::map<uintptr_t, ScreenArea> saved_;
};

}  // namespace host
