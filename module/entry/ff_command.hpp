// The `ff:` command line: the text after the prefix becomes the file
// command's mask, text, replacement and options, a command code and the
// show-dialog flag.
#pragma once

// Parses the text after the prefix. Each field is stored, and each option
// letter takes effect, the moment it is read, so an error later in the text
// leaves those before it changed (in memory only; nothing is saved here).
// Returns 1 with *show_dialog and *command set (kFileSearch, kFileReplace or
// kRenameFiles), or 0 after the syntax error box.
int ParseCommandLine(const char* text, int* show_dialog, int* command);
