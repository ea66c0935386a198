// Reading the program's arguments. Options may come before or after the
// command; after the bare word "ff" the next argument is the command text
// whatever it looks like, and after "--" every argument is a command.
#include "host/cli/options.hpp"

#include <strings.h>

#include <string_view>

#include "host/cli/scope.hpp"
#include "module/base/setting_table.hpp"

namespace host::cli {

const char kUsage[] =
    "usage: finderix [options] 'ff:TEXT'    one command in a folder, then exit\n"
    "       finderix [options] ff TEXT\n"
    "       finderix [options]              full screen (-e FILE: edit FILE)\n"
    "The text has one of three forms; its first character is the delimiter:\n"
    "  ff: TEXT                 search for TEXT (note the blank)\n"
    "  ff:/MASKS/TEXT/LETTERS   search the files matching MASKS for TEXT\n"
    "  ff:/MASKS/TEXT/NEW/LETTERS  replace TEXT by NEW in them (n: rename them)\n"
    "Search letters: p plain text, r a pattern per line, s a pattern over several\n"
    "  lines, m a pattern over the whole file, a a list of words (+word required,\n"
    "  word optional, -word excluded), l the same with patterns; c/C letter case\n"
    "  matters or not; i/I list the files that do not match; d/D show the dialog.\n"
    "Replace letters: p r s c C d D as above; f/F ask before each file, e/E ask\n"
    "  before each replacement, o/O keep the old content as NAME.old, v/V list\n"
    "  the changed files, n rename the files instead (shows its dialog).\n"
    "Each run stands alone: the module's defaults, then --set and the letters.\n"
    "options:\n"
    "  -C DIR               the folder to work in (default: the current folder)\n"
    "  --scope WORD         the folders covered: tree (default: the folder and\n"
    "                       its subfolders), folder (the folder only), root (the\n"
    "                       whole file system), local, all (all drives); a\n"
    "                       replace or rename over root, local or all needs it\n"
    "  --select NAME        select NAME in the folder (repeatable)\n"
    "  --set NAME=VALUE     one of the module's settings for this run\n"
    "                       (--list-settings lists the names)\n"
    "  --threads N          search file contents on N threads (default 0: one\n"
    "                       per processor; same as --set SearchThreads=N)\n"
    "  --use-stored         start from the stored settings, not the defaults\n"
    "  --save               store the settings this run ends with\n"
    "  --registry FILE      the settings file (default:\n"
    "                       $XDG_CONFIG_HOME/finderix/registry.db)\n"
    "  -y, --accept-dialogs accept every dialog as the module filled it\n"
    "  -e FILE              edit FILE full screen\n"
    "  --list-settings      list the names --set takes, one per line\n"
    "  -h, --help           show this help\n"
    "  --version            show the version\n"
    "Found files (and, with v, changed files) are printed one per line;\n"
    "messages and questions go to standard error. Exit status: 0 found or\n"
    "changed something and nothing failed, 1 nothing found or changed, 2 a bad\n"
    "option, text or pattern, a file that could not be read, written, backed up\n"
    "or renamed, or a run stopped by the user (Esc or Ctrl+C).\n"
    "examples:\n"
    "  finderix 'ff:/*.txt/todo/C'          list *.txt files here holding \"todo\"\n"
    "  finderix -C src 'ff:/*.c/foo/bar/fv' replace foo by bar under src, asking\n";

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
    } else if (argument == "--use-stored") {
      options_->use_stored = true;
    } else if (argument == "--save") {
      options_->save = true;
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
      return error_->empty() && ReadSetting(value);
    } else if (Valued(argument, "--scope", &value)) {
      return error_->empty() && ReadScope(value);
    } else if (Valued(argument, "--threads", &value)) {
      return error_->empty() && ReadThreads(value);
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

  bool ReadSetting(const std::string& assignment) {
    StoredSetting setting;
    if (!ParseSettingAssignment(assignment, &setting, error_)) return false;
    if (std::string_view(setting.rule->name) == ScopeSettingName()) options_->scope_given = true;
    options_->settings.push_back(std::move(setting));
    return true;
  }

  bool ReadScope(const std::string& word) {
    std::optional<int> scope = ScopeOfWord(word);
    if (!scope) {
      *error_ = "--scope " + word + ": not a scope (" + ScopeWords() + ")";
      return false;
    }
    return ReadSetting(std::string(ScopeSettingName()) + "=" + std::to_string(*scope));
  }

  // The setting's own check, in the option's words.
  bool ReadThreads(const std::string& count) {
    const SettingDescriptor& rule = kSettingTable[static_cast<int>(SettingId::SearchThreads)];
    if (ReadSetting(std::string(rule.name) + "=" + count)) return true;
    *error_ = "--threads " + count + ": not a number of threads from 0 (one per processor) to " +
              std::to_string(rule.maximum);
    return false;
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
