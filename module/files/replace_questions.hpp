// The questions of the replace commands: once per file before its first
// change, and before each replacement. Shared by the file replace and the
// rename.
#pragma once

#include <string>

// Ask before the first change of each file; cleared by "All" for the rest
// of the command.
extern int AskEachFile;
// The current file needs no (more) file question.
extern int FileConfirmed;
// Ask before each replacement; "All" clears it for the current file.
extern int AskEachReplace;

// 1 to go on with the file, 0 to leave it (the fourth button also stops the
// walk through SearchInterrupted).
int ConfirmFile(int title_message, const std::string& file_name);

// 1 to replace this match, 0 to leave it unchanged.
int ConfirmFileReplace(const std::string& matched, const std::string& replacement,
                       const std::string& file_name);
