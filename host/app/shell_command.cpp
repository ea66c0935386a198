// fork, chdir, exec /bin/sh -c, wait.
#include "host/app/shell_command.hpp"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace host::app {

namespace {

// Ignores a signal for as long as it lives, like system() does while it waits.
class IgnoredSignal {
 public:
  explicit IgnoredSignal(int number) : number_(number) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(number_, &ignore, &previous_);
  }
  ~IgnoredSignal() { sigaction(number_, &previous_, nullptr); }
  IgnoredSignal(const IgnoredSignal&) = delete;
  IgnoredSignal& operator=(const IgnoredSignal&) = delete;

 private:
  int number_;
  struct sigaction previous_ {};
};

}  // namespace

int RunShellCommand(const std::string& utf8_command, const std::string& posix_folder) {
  IgnoredSignal interrupt(SIGINT);
  IgnoredSignal quit(SIGQUIT);
  pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    signal(SIGINT, SIG_DFL);
    signal(SIGQUIT, SIG_DFL);
    if (chdir(posix_folder.c_str()) != 0) _exit(126);
    execl("/bin/sh", "sh", "-c", utf8_command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void WaitForEnter(const std::string& prompt) {
  if (write(STDOUT_FILENO, prompt.data(), prompt.size()) < 0) return;
  char c = 0;
  for (;;) {
    ssize_t got = read(STDIN_FILENO, &c, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0 || c == '\n' || c == '\r') return;
  }
}

}  // namespace host::app
