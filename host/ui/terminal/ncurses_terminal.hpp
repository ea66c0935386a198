// The real terminal, driven through ncurses (wide characters). This and its
// .cpp are the only files that know ncurses: the rest of the host draws into
// a cell grid and reads keys through the Terminal interface.
#pragma once

#include <memory>
#include <string>

#include "host/ui/terminal/key_decoder.hpp"
#include "host/ui/terminal/terminal.hpp"

struct screen;  // ncurses' own, kept opaque here

namespace host::tui {

class NcursesTerminal : public Terminal {
 public:
  // Takes over the terminal on standard input and output; null with a
  // reason when they are not a terminal ncurses can drive.
  static std::unique_ptr<NcursesTerminal> Open(std::string* error);
  // Gives the terminal back as it was.
  ~NcursesTerminal() override;
  NcursesTerminal(const NcursesTerminal&) = delete;
  NcursesTerminal& operator=(const NcursesTerminal&) = delete;

  int width() const override;
  int height() const override;
  void Present(const CellGrid& grid) override;
  TerminalEvent Read(int timeout_ms) override;
  void SetTitle(const std::string& utf8_title) override;
  void Suspend() override;
  void Resume() override;

 private:
  NcursesTerminal() = default;

  struct ::screen* screen_ = nullptr;  // owned; released with the terminal
  KeyDecoder decoder_;
  bool colours_ = false;
  bool titles_ = false;  // the terminal takes window titles
};

}  // namespace host::tui
