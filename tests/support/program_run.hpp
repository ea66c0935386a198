// Running a program as a child process with no terminal: standard input
// from /dev/null, its output gathered in files of a scratch folder.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct Outcome {
  int status = -1;  // exit status, or -1 when the child did not exit normally
  std::string out;
  std::string err;
};

// Starts a program in `folder` with standard input from /dev/null and its
// output in files of `scratch`.
pid_t StartProgram(const std::vector<std::string>& command, const std::string& folder,
                   const std::string& scratch);
Outcome WaitProgram(pid_t child, const std::string& scratch);
Outcome RunProgram(const std::vector<std::string>& command, const std::string& folder,
                   const std::string& scratch);
