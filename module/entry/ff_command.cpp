// The `ff:` command line. A leading blank searches for the rest as it is;
// otherwise the first character is the delimiter of the fields
// mask / text [/ replacement] / options, which the user picks so that no
// field holds it. Option letters are read left to right, a later one
// overriding an earlier one.
#include "module/entry/ff_command.hpp"

#include <span>
#include <string>
#include <string_view>

#include "module/entry/dispatch.hpp"
#include "module/base/host_access.hpp"
#include "module/base/messages.hpp"
#include "module/base/settings.hpp"

namespace {

// One option letter: the setting it changes and the value it gives.
struct OptionLetter {
  char letter;
  int* setting;
  int value;
};

// Letters of both forms.
const OptionLetter kCommonOptions[] = {
    {'P', &FSearchAs, AsPlainText},          {'p', &FSearchAs, AsPlainText},
    {'R', &FSearchAs, AsLinePattern},        {'r', &FSearchAs, AsLinePattern},
    {'S', &FSearchAs, AsLinesWindowPattern}, {'s', &FSearchAs, AsLinesWindowPattern},
    {'c', &FCaseSensitive, 1},               {'C', &FCaseSensitive, 0},
};

const OptionLetter kSearchOptions[] = {
    {'M', &FSearchAs, AsFilePattern},  {'m', &FSearchAs, AsFilePattern},
    {'A', &FSearchAs, AsPlainWords},   {'a', &FSearchAs, AsPlainWords},
    {'L', &FSearchAs, AsPatternWords}, {'l', &FSearchAs, AsPatternWords},
    {'i', &FSInverse, 1},              {'I', &FSInverse, 0},
};

const OptionLetter kReplaceOptions[] = {
    {'f', &FRConfirmFile, 1},  {'F', &FRConfirmFile, 0},  {'e', &FRConfirmLine, 1},
    {'E', &FRConfirmLine, 0},  {'o', &FRSaveOriginal, 1}, {'O', &FRSaveOriginal, 0},
    {'v', &FROpenModified, 1}, {'V', &FROpenModified, 0},
};

const OptionLetter* FindLetter(std::span<const OptionLetter> table, char letter) {
  for (const OptionLetter& option : table)
    if (option.letter == letter) return &option;
  return nullptr;
}

int SyntaxError() {
  const char* items[] = {GetMsg(MTitle), GetMsg(MCommandLineSyntax), GetMsg(MOk)};
  StartupInfo.Message(StartupInfo.ModuleNumber, FMSG_WARNING, "QXInvalidCmdLine", items, 3, 1);
  return 0;
}

// Applies the option letters of one form; false at the first letter that
// form does not know.
bool ApplyOptions(std::string_view letters, std::span<const OptionLetter> form_options,
                  bool replace_form, int* show_dialog, int* command) {
  for (char letter : letters) {
    if (letter == 'd' || letter == 'D') {
      *show_dialog = letter == 'd';
    } else if (replace_form && (letter == 'n' || letter == 'N')) {
      *command = kRenameFiles;
    } else if (const OptionLetter* option = FindLetter(kCommonOptions, letter)) {
      *option->setting = option->value;
    } else if (const OptionLetter* option = FindLetter(form_options, letter)) {
      *option->setting = option->value;
    } else {
      return false;
    }
  }
  return true;
}

// Moves the text up to the next delimiter into *field and drops it, with
// the delimiter, from *rest; false (nothing changed) when no delimiter is left.
bool TakeField(std::string_view* rest, char delimiter, std::string* field) {
  size_t end = rest->find(delimiter);
  if (end == std::string_view::npos) return false;
  field->assign(rest->substr(0, end));
  rest->remove_prefix(end + 1);
  return true;
}

}  // namespace

int ParseCommandLine(const char* text, int* show_dialog, int* command) {
  if (!text || !*text) return SyntaxError();
  *show_dialog = 0;
  *command = kFileSearch;
  if (text[0] == ' ' || text[0] == '\t') {
    FText = text + 1;
    return 1;
  }
  const char delimiter = text[0];
  std::string_view rest(text + 1);
  if (!TakeField(&rest, delimiter, &FMask) || !TakeField(&rest, delimiter, &FText))
    return SyntaxError();
  bool replace_form = TakeField(&rest, delimiter, &FRReplace);
  if (replace_form) *command = kFileReplace;
  if (!ApplyOptions(rest, replace_form ? std::span<const OptionLetter>(kReplaceOptions)
                                       : std::span<const OptionLetter>(kSearchOptions),
                    replace_form, show_dialog, command))
    return SyntaxError();
  return 1;
}
