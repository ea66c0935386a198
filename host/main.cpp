// The finderix program: reads its arguments and runs one `ff` command on
// the line UI, or, without one, shows the full-screen host.
#include <cstdio>
#include <string>

#include "host/app/full_screen.hpp"
#include "host/cli/invocation.hpp"
#include "host/cli/options.hpp"
#include "host/cli/settings_writer.hpp"
#include "host/cli/undo_command.hpp"
#include "host/core/program_files.hpp"
#include "host/core/undo_journal.hpp"

int main(int argc, char** argv) {
  using host::cli::ProgramOptions;
  ProgramOptions options;
  std::string error;
  if (!host::cli::ParseProgramOptions({argv + 1, static_cast<size_t>(argc - 1)}, &options,
                                      &error)) {
    std::fprintf(stderr, "finderix: %s\n", error.c_str());
    return host::cli::kExitFailed;
  }
  switch (options.action) {
    case ProgramOptions::Action::kHelp:
      std::fputs(host::cli::kUsage, stdout);
      return 0;
    case ProgramOptions::Action::kVersion:
      std::printf("finderix %s\n", FINDERIX_VERSION);
      return 0;
    case ProgramOptions::Action::kListSettings:
      for (const host::cli::SettingRule& rule : host::cli::StoredSettingRules())
        std::puts(rule.name);
      return 0;
    case ProgramOptions::Action::kUndo:
      return host::cli::RunUndo(host::UndoJournal::DefaultFolder(), options.undo_run, stdout,
                                stderr);
    case ProgramOptions::Action::kHistory:
      return host::cli::ShowHistory(host::UndoJournal::DefaultFolder(), stdout, stderr);
    case ProgramOptions::Action::kFullScreen:
      // The full-screen program keeps its settings, so --set (and --scope)
      // are stored before it starts, as its dialogs would store them.
      if (!options.settings.empty() &&
          !host::cli::StoreModuleSettings(options.registry_file, options.settings, &error)) {
        std::fprintf(stderr, "finderix: %s\n", error.c_str());
        return host::cli::kExitFailed;
      }
      return host::app::RunFullScreen({.module_path = host::ModulePath(),
                                       .registry_file = options.registry_file,
                                       .folder = options.folder,
                                       .edit_file = options.edit_file});
    case ProgramOptions::Action::kCommandLine:
      break;
  }
  std::unique_ptr<host::LineConsole> console = host::OpenProcessConsole();
  options.full_screen_dialogs = true;
  return host::cli::RunInvocation(options, host::ModulePath(), *console, stdout);
}
