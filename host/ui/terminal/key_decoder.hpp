// Turns what a terminal sends (characters and escape sequences of the xterm,
// VT220, rxvt and Linux console kinds, with their modifier parameters) into
// keys. An Esc may start a sequence, so a lone Esc, or a sequence cut short,
// only counts once the terminal has been quiet for a moment: the reader says
// so by asking for the next key after a pause. Sequences it does not know
// become KeyCode::kNone and are dropped by the views.
#pragma once

#include <optional>
#include <string>

#include "host/ui/terminal/key.hpp"

namespace host::tui {

class KeyDecoder {
 public:
  void Feed(wchar_t unit) { buffer_ += unit; }
  // The next complete key of the input fed so far.
  std::optional<Key> Next() { return Take(false); }
  // The same after a pause, when whatever is pending stands for itself.
  std::optional<Key> NextAfterPause() { return Take(true); }
  bool pending() const { return !buffer_.empty(); }

 private:
  std::optional<Key> Take(bool quiet);
  std::wstring buffer_;
};

}  // namespace host::tui
