// What a screen layer is: it draws itself into the cell grid and handles
// keys by changing its state and returning a reaction. It never draws
// from a key handler; the loop that runs it draws after every key.
#pragma once

#include <memory>
#include <string>

#include "host/ui/terminal/cell_grid.hpp"
#include "host/ui/terminal/key.hpp"

namespace host::tui {

enum class Reaction {
  kNone,    // nothing changed
  kRedraw,  // the view changed
  kClose,   // the view is done; its result is ready
  kHelp,    // show the view's help topic, then go on
  kPopup,   // run the view's popup, hand it back, then go on
};

class View {
 public:
  virtual ~View() = default;
  // Called before the first drawing and whenever the screen size changes.
  virtual void Layout(int screen_width, int screen_height) = 0;
  virtual void Render(CellGrid& grid) const = 0;
  virtual Reaction HandleKey(const Key& key) = 0;
  // Called when no key has come for a while (about a second), so a view
  // can notice changes around it, such as a folder that went away.
  virtual Reaction Tick() { return Reaction::kNone; }
  virtual std::string help_topic() const { return {}; }
  // After kPopup: the view to run on top, and what it ended with.
  virtual std::unique_ptr<View> TakePopup() { return nullptr; }
  virtual void PopupClosed(View& /*popup*/) {}
};

}  // namespace host::tui
