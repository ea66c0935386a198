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
    "                       its subfolders), folder (the folder only), selected\n"
    "                       (the --select items), root (the whole file system),\n"
    "                       local, all (all drives); a replace or rename over\n"
    "                       root, local or all needs it\n"
    "  --select NAME        select NAME in the folder (repeatable); the command\n"
    "                       covers the selected files and folders\n"
    "  --set NAME=VALUE     one of the module's settings for this run\n"
    "                       (--list-settings lists the names)\n"
    "  --threads N          search file contents on N threads (default 0: one\n"
    "                       per processor; same as --set SearchThreads=N)\n"
    "  --use-stored         start from the stored settings, not the defaults\n"
    "  --save               store the settings this run ends with\n"
    "  --registry FILE      the settings file (default:\n"
    "                       $XDG_CONFIG_HOME/finderix/registry.db)\n"
    "  -y, --accept-dialogs accept every dialog as the module filled it\n"
  "  --dry-run            run a replace or rename, questions included, but change\n"
  "                       nothing: print a diff that patch -p1 applies in the\n"
  "                       folder, or OLD -> NEW for each renamed entry\n"
    "  --lines              for a search, print PATH:LINE:TEXT for each matching\n"
    "                       line (TEXT in UTF-8 from the file's character table)\n"
    "  -0, --null           end each printed path with a zero byte, not a newline\n"
    "  -e FILE              edit FILE full screen\n"
    "  --list-settings      list the names --set takes, one per line\n"
    "  --undo [ID]          take back the last replace or rename run (or run ID):\n"
    "                       old content, mode and times, old names; a file changed\n"
    "                       since is named and left alone, and the run keeps it\n"
    "  --history            list the runs --undo can take back; the last 20 runs\n"
    "                       are kept, or fewer when their old content passes 1 GiB\n"
    "                       ($XDG_STATE_HOME/finderix, default ~/.local/state)\n"
    "  --no-undo            keep nothing for --undo of this run\n"
    "  -h, --help           show this help\n"
    "  --version            show the version\n"
    "Found files are printed one per line as they are found (changed files, with\n"
    "v, when the command ends);\n"
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
    if (undo_or_history_ && has_command_) {
      *error_ = "--undo and --history take no ff command";
      return false;
    }
    if (undo_or_history_ && options_->dry_run) {
      *error_ = "--dry-run previews a replace or rename, not --undo or --history";
      return false;
    }
    if (options_->action != ProgramOptions::Action::kVersion &&
        options_->action != ProgramOptions::Action::kListSettings && !undo_or_history_)
      options_->action = has_command_ ? ProgramOptions::Action::kCommandLine
                                      : ProgramOptions::Action::kFullScreen;
    // A preview needs a command to preview; the full-screen program has none.
    if (options_->dry_run && options_->action == ProgramOptions::Action::kFullScreen) {
      *error_ = "--dry-run needs a replace or rename command (ff:/MASKS/TEXT/NEW/)";
      return false;
    }
    return CheckSelection();
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
    } else if (argument == "--history") {
      SetUndoAction(ProgramOptions::Action::kHistory);
    } else if (argument == "--undo" || argument.starts_with("--undo=")) {
      return ReadUndo(argument);
    } else if (argument == "--no-undo") {
      options_->record_undo = false;
    } else if (argument == "--use-stored") {
      options_->use_stored = true;
    } else if (argument == "--save") {
      options_->save = true;
    } else if (argument == "--lines") {
      options_->lines = true;
    } else if (argument == "-0" || argument == "--null") {
      options_->null_ends = true;
    } else if (argument == "-y" || argument == "--accept-dialogs") {
      options_->accept_dialogs = true;
    } else if (argument == "--dry-run") {
      options_->dry_run = true;
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
    // The module takes the selection as its scope from its dialog only, so
    // it is no setting.
    options_->scope_selected = *scope == ScopeOfWord("selected");
    other_scope_word_ = !options_->scope_selected;
    if (options_->scope_selected) {
      options_->scope_given = true;
      return true;
    }
    return ReadSetting(std::string(ScopeSettingName()) + "=" + std::to_string(*scope));
  }

  // --select alone means --scope selected; with another --scope word, or
  // with no command to cover, it is refused, as is --scope selected without
  // items. (A --set of the scope is overridden by the selection.)
  bool CheckSelection() {
    if (options_->action == ProgramOptions::Action::kFullScreen) {
      if (options_->scope_selected || !options_->selected.empty())
        *error_ = "--select and --scope selected need an ff command";
    } else if (!options_->selected.empty() && other_scope_word_) {
      *error_ = "--select needs --scope selected (or no --scope)";
    } else if (options_->scope_selected && options_->selected.empty()) {
      *error_ = "--scope selected needs --select NAME";
    }
    if (!options_->selected.empty()) options_->scope_selected = true;
    return error_->empty();
  }

  void SetUndoAction(ProgramOptions::Action action) {
    options_->action = action;
    undo_or_history_ = true;
  }

  // "--undo", "--undo ID" or "--undo=ID"; an ID is a run number.
  bool ReadUndo(std::string_view argument) {
    SetUndoAction(ProgramOptions::Action::kUndo);
    std::string_view id = argument.substr(std::string_view("--undo").size());
    if (!id.empty()) {
      id.remove_prefix(1);
    } else if (next_ < arguments_.size() && IsRunNumber(arguments_[next_])) {
      id = arguments_[next_++];
    } else {
      return true;
    }
    if (!IsRunNumber(id)) {
      *error_ = "--undo " + std::string(id) + ": not a run number (see --history)";
      return false;
    }
    options_->undo_run = std::stoll(std::string(id));
    return true;
  }

  static bool IsRunNumber(std::string_view text) {
    return !text.empty() && text.size() < 18 &&
           text.find_first_not_of("0123456789") == std::string_view::npos;
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
  bool other_scope_word_ = false;  // the last --scope named no selection
  bool undo_or_history_ = false;
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
