// The built finderix program run inside tmux on a terminal of a fixed
// size: keys go in with send-keys, the screen comes out with capture-pane.
// Each session has its own tmux server socket, so tests never meet each
// other's or a person's sessions.
#pragma once

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <thread>

namespace testing_support {

// A word for /bin/sh, quoted.
inline std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs a shell command and returns its standard output.
inline std::string CommandOutput(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::string output;
  if (!pipe) return output;
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe.get())) > 0) output.append(buffer, got);
  return output;
}

inline bool TmuxInstalled() { return std::system("tmux -V >/dev/null 2>&1") == 0; }

// The finderix program beside this test program.
inline std::string ProgramBesideTest() {
  std::error_code error;
  return (std::filesystem::read_symlink("/proc/self/exe", error).parent_path() / "finderix")
      .string();
}

class TmuxSession {
 public:
  // Starts `command` (a shell command line) in a detached session.
  TmuxSession(const std::string& command, int width, int height)
      : socket_("finderix-tui-" + std::to_string(getpid()) + "-" + std::to_string(++count_)) {
    Tmux("-f /dev/null new-session -d -x " + std::to_string(width) + " -y " +
         std::to_string(height) + " " + ShellQuoted(command));
  }
  ~TmuxSession() { Tmux("kill-server"); }
  TmuxSession(const TmuxSession&) = delete;
  TmuxSession& operator=(const TmuxSession&) = delete;

  // Named keys as tmux knows them: "F11", "Enter", "M-t", "C-c", "BSpace".
  void Keys(std::initializer_list<const char*> keys) {
    for (const char* key : keys) {
      Tmux("send-keys " + ShellQuoted(key));
      Settle();
    }
  }
  // Text typed as it is.
  void Type(const std::string& text) {
    Tmux("send-keys -l " + ShellQuoted(text));
    Settle();
  }
  void Resize(int width, int height) {
    Tmux("resize-window -x " + std::to_string(width) + " -y " + std::to_string(height));
    Settle();
  }

  std::string Screen() { return CommandOutput(TmuxCommand("capture-pane -p")); }

  // Waits until the screen holds the text (or stops holding it); false
  // after the timeout.
  bool WaitFor(const std::string& text, int timeout_ms = 10000) {
    return Wait([&] { return Screen().find(text) != std::string::npos; }, timeout_ms);
  }
  bool WaitGone(const std::string& text, int timeout_ms = 10000) {
    return Wait([&] { return Screen().find(text) == std::string::npos; }, timeout_ms);
  }
  // Waits until done(screen) holds.
  template <typename Condition>
  bool WaitUntil(Condition done, int timeout_ms = 10000) {
    return Wait([&] { return done(Screen()); }, timeout_ms);
  }

 private:
  template <typename Condition>
  bool Wait(Condition done, int timeout_ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (std::chrono::steady_clock::now() < end) {
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
    return done();
  }
  // A key pressed too soon after the one before may land in the same read
  // as an Esc sequence; a short pause keeps them apart, as a person would.
  void Settle() { std::this_thread::sleep_for(std::chrono::milliseconds(60)); }

  std::string TmuxCommand(const std::string& arguments) const {
    return "tmux -L " + socket_ + " " + arguments + " 2>/dev/null";
  }
  void Tmux(const std::string& arguments) const {
    int status = std::system(TmuxCommand(arguments).c_str());
    (void)status;  // a failure shows as a screen that never comes
  }

  std::string socket_;
  static inline int count_ = 0;
};

}  // namespace testing_support
