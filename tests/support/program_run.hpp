// The built finderix program (or any tool) run as a child process: standard
// input from /dev/null, output captured in files of a scratch folder, which
// is also its HOME and holds its state ($XDG_STATE_HOME = SCRATCH/state), so
// a test never touches the real home folder.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct Outcome {
  int status = -1;  // exit status, or -1 when the child did not exit normally
  std::string out;
  std::string err;
};

std::string Slurp(const std::string& path);

// Starts `command` in `folder`, its output in files of `scratch`.
pid_t StartProgram(const std::vector<std::string>& command, const std::string& folder,
                   const std::string& scratch);
Outcome WaitProgram(pid_t child, const std::string& scratch);
Outcome RunProgram(const std::vector<std::string>& command, const std::string& folder,
                   const std::string& scratch);
