// The folders a shell run covers. A shell run starts in the current folder
// (or -C) and its subfolders; the words of --scope name the module's other
// scopes, and a command that changes files may only cover a whole drive
// when the person asked for it on the same command line.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace host::cli {

// The module's setting that holds the scope, and the value it loads when
// none is stored (or the stored one is out of range).
const char* ScopeSettingName();
int ModuleDefaultScope();

// The FSearchIn value a shell run uses when nothing names one.
int DefaultShellScope();

// The FSearchIn value of a --scope word (tree, folder, selected, root,
// local, all).
std::optional<int> ScopeOfWord(std::string_view word);
// The words, for messages and help: "tree|folder|selected|root|local|all".
std::string ScopeWords();
std::string WordOfScope(int search_in);

// True for a scope that reaches beyond the run's folder: a drive root, the
// local drives or all drives.
bool CoversWholeDrive(int search_in);

// True when the command text (after "ff:", code page 866) replaces or
// renames: a delimiter and four fields, where a search has three.
bool ChangesFiles(std::string_view command_text);

}  // namespace host::cli
