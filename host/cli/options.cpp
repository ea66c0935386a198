// Reading the program's arguments. Options may come before or after the
// command; after the bare word "ff" the next argument is the command text
// whatever it looks like, and after "--" every argument is a command.
#include "host/cli/options.hpp"

#include <strings.h>

#include <string_view>

namespace host::cli {

const char kUsage[] =
    "usage: finderix [options] ff:TEXT\n"
    "       finderix [options] ff TEXT\n"
    "Runs one command of the module's ff: command line in a folder, then exits.\n"
    "  ff: TEXT             search the files for TEXT (note the blank)\n"
    "  ff:/MASKS/TEXT/OPTS  search the files matching MASKS for TEXT\n"
    "  ff:/MASKS/TEXT/NEW/OPTS  replace TEXT by NEW in them (option n: rename them)\n"
    "options:\n"
    "  -C DIR               the panel's folder (default: the current folder)\n"
    "  --select NAME        select NAME in the panel (repeatable; for the scope of\n"
    "                       the selected items)\n"
    "  --registry FILE      the settings file (default:\n"
    "                       $XDG_CONFIG_HOME/finderix/registry.db)\n"
    "  --set NAME=VALUE     store one of the module's settings first, as its dialog\n"
    "                       would (FSearchIn=3: the folder tree, 4: the folder only)\n"
    "  -y, --accept-dialogs accept every dialog as the module filled it\n"
    "  -e FILE              edit FILE full-screen (without ff: the panels show)\n"
    "  --list-settings      list the names --set takes, one per line\n"
    "  -h, --help           show this help\n"
    "  --version            show the version\n"
    "Found or changed files are printed one per line. Exit status: 0 done,\n"
    "1 nothing found, 2 a syntax or pattern error, or a cancelled command.\n";

namespace {

constexpr std::string_view kPrefix = "ff";

bool IsPrefixWord(std::string_view argument) {
  return argument.size() == kPrefix.size() &&
         strncasecmp(argument.data(), kPrefix.data(), kPrefix.size()) == 0;
}

bool HasPrefix(std::string_view argument) {
  return argument.size() > kPrefix.size() && argument[kPrefix.size()] == ':' &&
         IsPrefixWord(argument.substr(0, kPrefix.size()));
}

class ArgumentReader {
 public:
  ArgumentReader(std::span<const char* const> arguments, ProgramOptions* options,
                 std::string* error)
      : arguments_(arguments), options_(options), error_(error) {}

  bool Read() {
    for (next_ = 0; next_ < arguments_.size();) {
      std::string_view argument = arguments_[next_++];
      if (argument == "-h" || argument == "--help") {
        options_->action = ProgramOptions::Action::kHelp;
        return true;
      }
      if (!ReadOne(argument)) return false;
    }
    if (options_->action != ProgramOptions::Action::kVersion &&
        options_->action != ProgramOptions::Action::kListSettings)
      options_->action = has_command_ ? ProgramOptions::Action::kCommandLine
                                      : ProgramOptions::Action::kFullScreen;
    return true;
  }

 private:
  bool ReadOne(std::string_view argument) {
    std::string value;
    if (only_commands_ || argument.empty() || argument[0] != '-') return ReadCommand(argument);
    if (argument == "--") {
      only_commands_ = true;
    } else if (argument == "--version") {
      options_->action = ProgramOptions::Action::kVersion;
    } else if (argument == "--list-settings") {
      options_->action = ProgramOptions::Action::kListSettings;
    } else if (argument == "-y" || argument == "--accept-dialogs") {
      options_->accept_dialogs = true;
    } else if (Valued(argument, "-C", &value)) {
      options_->folder = value;
    } else if (Valued(argument, "--select", &value)) {
      options_->selected.push_back(value);
    } else if (Valued(argument, "-e", &value)) {
      options_->edit_file = value;
    } else if (Valued(argument, "--registry", &value)) {
      options_->registry_file = value;
    } else if (Valued(argument, "--set", &value)) {
      StoredSetting setting;
      if (!ParseSettingAssignment(value, &setting, error_)) return false;
      options_->settings.push_back(std::move(setting));
    } else {
      *error_ = "unknown option " + std::string(argument) + " (try -h)";
    }
    return error_->empty();
  }

  // "NAME VALUE" or "NAME=VALUE"; an empty or missing value is an error.
  bool Valued(std::string_view argument, std::string_view name, std::string* value) {
    if (argument.substr(0, name.size()) != name) return false;
    std::string_view rest = argument.substr(name.size());
    if (rest.empty() && next_ < arguments_.size()) {
      *value = arguments_[next_++];
    } else if (!rest.empty() && rest[0] == '=') {
      *value = rest.substr(1);
    } else if (!rest.empty()) {
      return false;  // another option that starts alike
    }
    if (value->empty()) *error_ = std::string(name) + " needs a value";
    return true;
  }

  bool ReadCommand(std::string_view argument) {
    bool word = IsPrefixWord(argument);
    if (!word && !HasPrefix(argument)) {
      *error_ = "unexpected argument " + std::string(argument) + "; a command starts with ff:";
      return false;
    }
    if (has_command_) {
      *error_ = "one ff command at a time; put the text in quotes";
      return false;
    }
    if (!word)
      options_->command_text = argument.substr(kPrefix.size() + 1);
    else if (next_ < arguments_.size())
      options_->command_text = arguments_[next_++];
    has_command_ = true;
    return true;
  }

  std::span<const char* const> arguments_;
  ProgramOptions* options_;
  std::string* error_;
  size_t next_ = 0;
  bool has_command_ = false;
  bool only_commands_ = false;
};

}  // namespace

bool ParseProgramOptions(std::span<const char* const> arguments, ProgramOptions* options,
                         std::string* error) {
  ProgramOptions parsed;
  error->clear();
  if (!ArgumentReader(arguments, &parsed, error).Read()) return false;
  *options = std::move(parsed);
  return true;
}

}  // namespace host::cli
