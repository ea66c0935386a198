// Starting the full-screen program: help file, terminal, host, then the
// panels' or the editor's loop.
#include "host/app/full_screen.hpp"

#include <cstdio>
#include <filesystem>
#include <memory>

#include "host/app/editor_screen.hpp"
#include "host/app/file_manager.hpp"
#include "host/core/host.hpp"
#include "host/core/undo_recorder.hpp"
#include "host/ui/terminal/help_file.hpp"
#include "host/ui/terminal/ncurses_terminal.hpp"
#include "host/ui/terminal_ui.hpp"

namespace host::app {

namespace {

constexpr int kFailed = 2;

int Fail(const std::string& reason) {
  std::fprintf(stderr, "finderix: %s\n", reason.c_str());
  return kFailed;
}

}  // namespace

int RunFullScreen(const FullScreenOptions& options) {
  tui::HelpFile help;
  help.Load(tui::HelpFilePath(std::filesystem::path(options.module_path).parent_path().string()));

  std::string error;
  std::unique_ptr<tui::NcursesTerminal> terminal = tui::NcursesTerminal::Open(&error);
  if (!terminal) return Fail(error);
  tui::RegistryHistory history;
  TerminalUi ui(*terminal, help, &history);

  FirstMatchedLines first_lines;
  HostOptions host_options;
  host_options.matches = &first_lines;
  host_options.module_path = options.module_path;
  host_options.registry_file = options.registry_file;
  host_options.folder = options.folder;
  std::unique_ptr<Host> host = Host::Start(host_options, ui, &error);
  if (host && !options.edit_file.empty() && !host->OpenEditor(options.edit_file, &error)) {
    host.reset();
  }
  if (!host) {
    terminal.reset();  // the reason goes to the terminal's own screen
    return Fail(error);
  }

  if (!options.edit_file.empty()) {
    EditorScreen editor(*host, ui);
    ui.Run(editor);
  } else {
    UndoRecorder undo(UndoJournal::DefaultFolder());
    platform::InstallChangeObserver(&undo);
    FileManager manager(*host, ui, &first_lines);
    manager.RecordRunsFor(&undo);
    ui.Run(manager);
    platform::InstallChangeObserver(nullptr);
  }
  host.reset();  // ExitFAR, while the Ui can still show what the module says
  return 0;
}

}  // namespace host::app
