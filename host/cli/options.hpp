// The finderix program's arguments: what to do, and for a command-line
// invocation its panel folder, selection, scope, registry file and whether
// it is read or written, settings to apply first, how dialogs are answered,
// and the text after the "ff" prefix.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "host/cli/stored_settings.hpp"

namespace host::cli {

struct ProgramOptions {
  enum class Action { kFullScreen, kCommandLine, kHelp, kVersion, kListSettings, kUndo, kHistory };
  Action action = Action::kFullScreen;
  std::string folder;                   // -C; empty: the current folder
  std::vector<std::string> selected;    // --select, bare names in the panel's folder
  std::string registry_file;            // --registry; empty: the default file
  bool use_stored = false;              // --use-stored: start from the stored settings
  bool save = false;                    // --save: store the settings the run ends with
  std::vector<StoredSetting> settings;  // --set and --scope, checked, in order
  bool scope_given = false;             // --scope (or --set FSearchIn) on this command line
  bool scope_selected = false;          // --scope selected, or --select alone
  bool accept_dialogs = false;          // -y
  bool dry_run = false;                 // --dry-run: print what would change, change nothing
  bool lines = false;                   // --lines: a search prints its matching lines
  bool null_ends = false;               // -0, --null: a zero byte ends each printed path
  std::string command_text;             // UTF-8, after "ff:" or the word "ff"
  std::string edit_file;                // -e: the file the full-screen editor opens
  bool full_screen_dialogs = false;     // dialogs open full-screen on the process's terminal
  std::optional<int64_t> undo_run;      // --undo ID; unset: the newest run
  bool record_undo = true;              // false: --no-undo, the run keeps no journal
};

extern const char kUsage[];

// Reads the arguments after the program name. False with a one-line reason
// for an unknown option, a missing option value, a bad --set or a second
// command.
bool ParseProgramOptions(std::span<const char* const> arguments, ProgramOptions* options,
                         std::string* error);

}  // namespace host::cli
