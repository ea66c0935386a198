// Running one `ff` command and ending with its exit status. Everything the
// user can get wrong (the text's characters, the folder, the registry file,
// the selection) is checked before the command runs, so a refused
// invocation changes no file.
#include "host/cli/invocation.hpp"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>

#include "host/cli/settings_writer.hpp"
#include "host/core/host.hpp"
#include "host/ui/line_ui.hpp"
#include "host/ui/shown_text.hpp"
#include "platform/host_bridge.hpp"

namespace host::cli {

namespace {

namespace fs = std::filesystem;

// Help topics of the boxes that say the command could not run as written.
constexpr const char* kErrorTopics[] = {"QXInvalidCmdLine", "RegExpError"};
constexpr const char* kNothingFoundTopic = "NoFilesFound";

// The registry connection opened for the invocation goes with it.
struct RegistryCloser {
  ~RegistryCloser() { platform::CloseRegistry(); }
};

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

void PrintFiles(const Panel& panel, std::FILE* out) {
  for (const PluginPanelItem& item : panel.items()) {
    const char* name = item.FindData.cFileName;
    if (std::strcmp(name, "..") == 0) continue;
    std::string posix;
    const std::string shown =
        platform::ToPosixPath(name, &posix) ? platform::EscapeForDisplay(posix) : ShownLine(name);
    std::fprintf(out, "%s\n", shown.c_str());
  }
  std::fflush(out);
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

int StatusOf(const LineUi::Outcome& outcome, bool listed) {
  for (const char* topic : kErrorTopics)
    if (Reported(outcome, topic)) return kExitFailed;
  if (outcome.cancelled) return kExitFailed;
  if (listed) return kExitDone;
  return Reported(outcome, kNothingFoundTopic) ? kExitNothingFound : kExitDone;
}

}  // namespace

int RunInvocation(const ProgramOptions& options, const std::string& module_path,
                  LineConsole& console, std::FILE* out) {
  Failure fail(console);
  const std::string text = platform::Utf8ToOem(options.command_text);
  if (platform::OemToUtf8(text) != options.command_text)
    return fail("the command holds a character that code page 866 cannot hold");
  std::error_code error_code;
  if (!options.folder.empty() && !fs::is_directory(options.folder, error_code))
    return fail("-C " + options.folder + ": no such folder");

  const std::string registry_file = Absolute(options.registry_file);
  RegistryCloser registry_closer;
  if (!registry_file.empty()) platform::SetRegistryFile(registry_file);
  std::string error;
  if (!PrepareModuleSettings(options.settings, &error)) {
    std::string file = registry_file.empty() ? "the default settings file" : registry_file;
    return fail("cannot use " + file + ": " + error);
  }

  LineUi ui(console, options.accept_dialogs, options.full_screen_dialogs,
            std::filesystem::path(module_path).parent_path().string());
  HostOptions host_options;
  host_options.module_path = module_path;
  host_options.registry_file = registry_file;
  host_options.folder = Absolute(options.folder);
  std::unique_ptr<Host> host = Host::Start(host_options, ui, &error);
  if (!host) return fail(error);
  std::string missing;
  if (!SelectItems(host->panels().active(), options.selected, &missing))
    return fail("--select " + missing + ": no such item in the folder");

  HANDLE panel = host->OpenPlugin(OPEN_COMMANDLINE, reinterpret_cast<intptr_t>(text.c_str()));
  ui.Finish();
  bool listed = panel != INVALID_HANDLE_VALUE;
  if (listed) PrintFiles(host->panels().active(), out);
  return StatusOf(ui.outcome(), listed);
}

}  // namespace host::cli
