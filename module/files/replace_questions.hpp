// The questions of the replace commands: once per file before its first
// change (with FRConfirmFile), and before each replacement (with
// FRConfirmLine). Shared by the file replace and the rename; the answers
// so far are in CurrentRun.
#pragma once

#include <string>

// 1 to go on with the file, 0 to leave it (Stop also ends the command
// through CurrentRun.interrupted).
int ConfirmFile(int title_message, const std::string& file_name);

// True while each replacement in the current file is to be asked for.
bool AskingEachReplace();

// 1 to replace this match, 0 to leave it unchanged.
int ConfirmFileReplace(const std::string& matched, const std::string& replacement,
                       const std::string& file_name);
