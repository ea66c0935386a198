// Child processes for the tests that run whole programs.
#include "tests/support/program_run.hpp"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/support/temp_folder.hpp"

pid_t StartProgram(const std::vector<std::string>& command, const std::string& folder,
                   const std::string& scratch) {
  const std::string out_file = scratch + "/stdout", err_file = scratch + "/stderr";
  pid_t child = fork();
  if (child == 0) {
    int in = open("/dev/null", O_RDONLY);
    int out = open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || chdir(folder.c_str()) != 0) _exit(126);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    setenv("LANG", "en_US.UTF-8", 1);
    setenv("HOME", scratch.c_str(), 1);
    std::vector<char*> argv;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  return child;
}

Outcome WaitProgram(pid_t child, const std::string& scratch) {
  int wait_status = 0;
  waitpid(child, &wait_status, 0);
  Outcome run;
  run.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
  run.out = ReadText(scratch + "/stdout");
  run.err = ReadText(scratch + "/stderr");
  return run;
}

Outcome RunProgram(const std::vector<std::string>& command, const std::string& folder,
                   const std::string& scratch) {
  return WaitProgram(StartProgram(command, folder, scratch), scratch);
}
