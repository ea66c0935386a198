// Runs a command line through /bin/sh in a folder, on the terminal as the
// shell would, and waits for it. The caller hands the screen back to the
// terminal first.
#pragma once

#include <string>

namespace host::app {

// The command's exit status, or -1 when it could not be started. While it
// runs, Ctrl+C and Ctrl+\ reach the command, not this program.
int RunShellCommand(const std::string& utf8_command, const std::string& posix_folder);

// Writes a prompt on the terminal and waits until Enter is pressed there
// (or standard input ends), so the command's output can be read.
void WaitForEnter(const std::string& prompt);

}  // namespace host::app
