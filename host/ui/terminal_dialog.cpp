// A full-screen dialog for the command-line host.
#include "host/ui/terminal_dialog.hpp"

#include "host/ui/terminal/dialog_history.hpp"
#include "host/ui/terminal/help_file.hpp"
#include "host/ui/terminal/ncurses_terminal.hpp"
#include "host/ui/terminal_ui.hpp"

namespace host {

std::optional<int> RunDialogOnTerminal(const Dialog& dialog, const std::string& help_folder) {
  std::string error;
  std::unique_ptr<tui::NcursesTerminal> terminal = tui::NcursesTerminal::Open(&error);
  if (!terminal) return std::nullopt;
  tui::HelpFile help;
  help.Load(tui::HelpFilePath(help_folder));
  tui::RegistryHistory history;
  TerminalUi ui(*terminal, help, &history);
  return ui.RunDialog(dialog);
}

}  // namespace host
