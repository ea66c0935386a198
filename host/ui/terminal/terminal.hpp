// The terminal as the host's screen code sees it: a size, a grid to show,
// and keys to read. The ncurses implementation is the real one; tests use a
// scripted one, so every screen and every key path runs without a terminal.
#pragma once

#include <string>

#include "host/ui/terminal/cell_grid.hpp"
#include "host/ui/terminal/key.hpp"

namespace host::tui {

struct TerminalEvent {
  enum class Kind { kNothing, kKey, kResize };
  Kind kind = Kind::kNothing;
  Key key{};
};

class Terminal {
 public:
  virtual ~Terminal() = default;
  virtual int width() const = 0;
  virtual int height() const = 0;
  // Shows the grid; the grid has the terminal's size.
  virtual void Present(const CellGrid& grid) = 0;
  // Waits up to timeout_ms (0: only looks, -1: as long as it takes) for a
  // key or a change of size.
  virtual TerminalEvent Read(int timeout_ms) = 0;
  // The window title, in UTF-8.
  virtual void SetTitle(const std::string& utf8_title) = 0;
  // Hands the screen back to the terminal's own mode (for a shell command)
  // and takes it again.
  virtual void Suspend() = 0;
  virtual void Resume() = 0;
};

}  // namespace host::tui
