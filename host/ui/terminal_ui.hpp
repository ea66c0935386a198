// The full-screen Ui: every message box, menu and dialog of the module as a
// view on a stack over the host's own screens (the panels, the editor), all
// drawn into one cell grid and shown through a Terminal. The loop in Run is
// the only place that draws for a key; the module's progress boxes and
// direct text are drawn as they come, since the module is busy meanwhile.
#pragma once

#include <chrono>
#include <deque>
#include <string>
#include <vector>

#include "host/ui/terminal/cell_grid.hpp"
#include "host/ui/terminal/dialog_history.hpp"
#include "host/ui/terminal/help_file.hpp"
#include "host/ui/terminal/terminal.hpp"
#include "host/ui/terminal/view.hpp"
#include "host/ui/ui.hpp"

namespace host {

class TerminalUi : public Ui {
 public:
  // All three must outlive the Ui; history may be null.
  TerminalUi(tui::Terminal& terminal, const tui::HelpFile& help, tui::DialogHistory* history);

  // Runs a view on top of the others until it closes: draws when no key is
  // waiting, hands each key to the view, shows help and popups it asks for.
  void Run(tui::View& view);
  // Draws every view of the stack, bottom first, and shows the result.
  void Draw();
  tui::Terminal& terminal() { return terminal_; }
  tui::DialogHistory* history() { return history_; }
  // How many warning boxes with buttons have been shown: a command that
  // raised one was refused or failed.
  int warnings_shown() const { return warnings_shown_; }

  // Ui
  int ShowMessage(const MessageBox& box) override;
  MenuChoice ShowMenu(const Menu& menu) override;
  int RunDialog(const Dialog& dialog) override;
  void Text(int x, int y, int colour, const char* text) override;
  void SaveScreen(const ScreenArea& area) override;
  void RestoreScreen(const ScreenArea& area) override;
  // The console: keys typed while the module works, for its Esc poll.
  bool PeekInput(INPUT_RECORD* event) override;
  bool ReadInput(INPUT_RECORD* event) override;
  void SetTitle(const char* oem_title) override;

  // The smallest screen the views are drawn on; below it a notice asks for
  // a larger terminal (keys still reach the views).
  static constexpr int kMinWidth = 20;
  static constexpr int kMinHeight = 6;

 private:
  using Clock = std::chrono::steady_clock;

  tui::TerminalEvent NextEvent(int timeout_ms);
  // Draws every view of the stack into the screen grid, without showing it.
  void Compose();
  void ShowHelp(const std::string& topic);
  void Resize();
  // Moves keys the terminal has ready into the queue the console reads.
  void PollConsole();
  void HandleReaction(tui::View& view, tui::Reaction reaction, bool* dirty);
  // True, and *last set to now, when at least `interval` has passed since *last.
  bool Due(Clock::time_point* last, Clock::duration interval) const;

  tui::Terminal& terminal_;
  const tui::HelpFile& help_;
  tui::DialogHistory* history_;
  std::vector<tui::View*> stack_;  // bottom first; the views belong to their callers
  tui::CellGrid screen_;           // what the terminal shows
  std::deque<tui::Key> typed_;     // keys read while the module was busy
  Clock::time_point last_progress_{};
  Clock::time_point last_title_{};
  Clock::time_point last_poll_{};
  int warnings_shown_ = 0;
};

}  // namespace host
