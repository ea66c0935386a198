// Running one `ff` command and ending with its exit status. Everything the
// user can get wrong (the text's characters, the folder, the registry file,
// the scope, the selection) is checked before the command runs, so a
// refused invocation changes no file and writes no setting.
#include "host/cli/invocation.hpp"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>

#include "host/cli/dry_run_report.hpp"
#include "host/cli/found_printer.hpp"
#include "host/cli/run_settings.hpp"
#include "host/cli/scope.hpp"
#include "host/cli/selected_scope.hpp"
#include "host/core/host.hpp"
#include "host/core/undo_recorder.hpp"
#include "host/ui/line_ui.hpp"
#include "platform/host_bridge.hpp"

namespace host::cli {

namespace {

namespace fs = std::filesystem;

// Help topic of the box that says the text is not a command.
constexpr const char* kSyntaxErrorTopic = "QXInvalidCmdLine";

class Failure {
 public:
  explicit Failure(LineConsole& console) : console_(console) {}
  int operator()(const std::string& message) {
    console_.Write("finderix: " + message + "\n");
    return kExitFailed;
  }

 private:
  LineConsole& console_;
};

// Marks each name selected in the active panel; false with the first name
// the panel does not hold.
bool SelectItems(Panel& panel, const std::vector<std::string>& names, std::string* missing) {
  for (const std::string& name : names) {
    bool found = false;
    for (size_t i = 0; i < panel.items().size() && !found; i++) {
      std::string posix;
      found = platform::ToPosixPath(panel.items()[i].FindData.cFileName, &posix) &&
              fs::path(posix).filename() == name;
      if (found) panel.Select(static_cast<int>(i), true);
    }
    if (!found) {
      *missing = name;
      return false;
    }
  }
  return true;
}

// Paths the user gave, made absolute before anything changes the current
// folder (it follows the panel): a relative registry file would otherwise
// be looked for in the panel's folder, and the module takes a relative
// panel folder from the drive's root.
std::string Absolute(const std::string& path) {
  if (path.empty()) return path;
  fs::path absolute = fs::absolute(path).lexically_normal();
  if (!absolute.has_filename() && absolute != absolute.root_path())
    absolute = absolute.parent_path();
  return absolute.string();
}

bool Reported(const LineUi::Outcome& outcome, const char* topic) {
  return std::find(outcome.reported_topics.begin(), outcome.reported_topics.end(), topic) !=
         outcome.reported_topics.end();
}

// The lines after the command's own output: a hint for a text that reads
// like a search without its blank, that the run was stopped, the summary.
void ReportEnd(const RunResult& result, const std::string& command_text, LineConsole& console) {
  if (Reported(result.outcome, kSyntaxErrorTopic) && !command_text.empty() &&
      std::isalnum(static_cast<unsigned char>(command_text[0])))
    console.Write("finderix: did you mean 'ff: " + command_text + "'?\n");
  if (result.outcome.stopped) console.Write("finderix: stopped; the list is what was found so far\n");
  const std::string summary = SummaryLine(result);
  if (!summary.empty()) console.Write(summary + "\n");
}

// The scope a replace or rename may not take unless asked for by name.
bool ScopeRefused(const ProgramOptions& options, const std::string& text, int scope,
                  std::string* error) {
  if (options.scope_given || !ChangesFiles(text) || !CoversWholeDrive(scope)) return false;
  *error = "the stored scope is '" + WordOfScope(scope) +
           "'; a replace or rename over it needs --scope " + WordOfScope(scope) +
           " on the command line";
  return true;
}

// The folder a dry run's diff is relative to: the scope's folder.
std::string DiffBase(const ProgramOptions& options, int scope) {
  if (CoversWholeDrive(scope)) return "/";
  std::error_code error;
  const fs::path folder = options.folder.empty() ? fs::current_path(error) : fs::path(options.folder);
  return fs::weakly_canonical(folder, error).string();
}

// With --scope selected, the text asks for the module's dialog and the UI
// marks the selected-items scope in it. False with a one-line reason.
// `label` is the module's text of the selected-items button.
bool ReachSelectedScope(const RunSettings& settings, const std::string& label, LineUi& ui,
                        std::string* text, std::string* error) {
  std::optional<DialogCommand> command = CommandWithDialog(*text, settings.mask());
  if (!command) {
    *error = "--select: the text and the mask hold every delimiter; use the /MASKS/TEXT/ form";
    return false;
  }
  *text = command->text;
  ui.PrepareDialog([label, asked = command->asked](std::span<FarDialogItem> items) {
    if (!MarkRadioButton(items, label)) return LineUi::Prepared::kNotThisDialog;
    return asked ? LineUi::Prepared::kShow : LineUi::Prepared::kAccept;
  });
  return true;
}

}  // namespace

int RunInvocation(const ProgramOptions& options, const std::string& module_path,
                  LineConsole& console, std::FILE* out) {
  Failure fail(console);
  std::string text = platform::Utf8ToOem(options.command_text);
  if (platform::OemToUtf8(text) != options.command_text)
    return fail("the command holds a character that code page 866 cannot hold");
  if (options.dry_run && !ChangesFiles(text))
    return fail("--dry-run shows what a replace or rename would change; this is a search");
  std::error_code error_code;
  if (!options.folder.empty() && !fs::is_directory(options.folder, error_code))
    return fail("-C " + options.folder + ": no such folder");

  std::string error;
  std::unique_ptr<RunSettings> settings = RunSettings::Open(
      {.stored_file = Absolute(options.registry_file), .use_stored = options.use_stored,
       .save = options.save, .scope_given = options.scope_given, .settings = options.settings},
      &error);
  if (!settings) return fail(error);
  if (ScopeRefused(options, text, settings->scope(), &error)) return fail(error);
  if (options.lines && ChangesFiles(text))
    return fail("--lines shows the matching lines of a search, not of a replace or rename");

  RunResult result;
  result.changes_files = ChangesFiles(text);
  result.dry_run = options.dry_run;
  const std::string diff_base = DiffBase(options, settings->scope());
  {
    LineUi ui(console, options.accept_dialogs, options.full_screen_dialogs,
              std::filesystem::path(module_path).parent_path().string());
    UndoRecorder undo(UndoJournal::DefaultFolder());
    // A dry run changes nothing, so it leaves nothing to take back.
    ChangeLog changes(result.changes_files && options.record_undo && !options.dry_run ? &undo
                                                                                       : nullptr);
    FoundPrinter printer(out, {.lines = options.lines, .null_ends = options.null_ends},
                         [&ui] { ui.ClearStatus(); });
    HostOptions host_options;
    host_options.matches = &printer;
    host_options.module_path = module_path;
    host_options.registry_file = settings->file();
    host_options.registry_is_scratch = true;
    host_options.folder = Absolute(options.folder);
    std::unique_ptr<Host> host = Host::Start(host_options, ui, &error);
    if (!host) return fail(error);
    std::string missing;
    if (!SelectItems(host->panels().active(), options.selected, &missing))
      return fail("--select " + missing + ": no such item in the folder");
    if (options.scope_selected &&
        !ReachSelectedScope(*settings, host->language().GetMsg(SelectedScopeMessage()), ui,
                            &text, &error))
      return fail(error);

    if (options.dry_run) platform::BeginDryRun();
    HANDLE panel = INVALID_HANDLE_VALUE;
    {
      RecordedRun run(&undo, fs::current_path(error_code).string(), "ff:" + options.command_text);
      panel = host->OpenPlugin(OPEN_COMMANDLINE, reinterpret_cast<intptr_t>(text.c_str()));
    }
    ui.Finish();
    if (std::string undo_error = undo.TakeError(); !undo_error.empty())
      console.Write("finderix: " + undo_error + "\n");
    // A dry run's output is what it would change, ready for patch.
    if (options.dry_run)
      PrintPlannedChanges(platform::EndDryRun(), diff_base, out);
    else if (panel != INVALID_HANDLE_VALUE)
      printer.PrintRest(host->panels().active());
    result.listed = printer.listed();
    host.reset();  // the module ends, storing its settings in the run's file
    result.changed = changes.count();
    result.outcome = ui.outcome();
  }
  ReportEnd(result, options.command_text, console);
  if (options.save && !settings->Save(&error)) return fail(error);
  return ExitStatusOf(result);
}

}  // namespace host::cli
