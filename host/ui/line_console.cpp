// The process's terminal for the line UI: raw single-key reads, the error
// stream, and the Ctrl+C handler. The handler only counts the first press,
// so the command stops at its next Esc poll with nothing half-written; the
// second press puts the terminal back and ends the program the default way.
#include "host/ui/line_console.hpp"

#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace host {

namespace {

constexpr int kDefaultColumns = 80;

volatile sig_atomic_t interrupt_presses = 0;  // at most 1: the second press ends the program
volatile sig_atomic_t raw_mode_on = 0;        // set while a key is awaited in raw mode
termios cooked_mode;                          // the terminal's mode to restore; valid while raw_mode_on

extern "C" void OnInterrupt(int) {
  if (interrupt_presses == 0) {
    interrupt_presses = 1;
    return;
  }
  if (raw_mode_on) tcsetattr(STDIN_FILENO, TCSANOW, &cooked_mode);
  signal(SIGINT, SIG_DFL);
  raise(SIGINT);
}

// The terminal without line editing and echo for as long as it lives;
// Ctrl+C still raises SIGINT.
class RawMode {
 public:
  RawMode() {
    if (tcgetattr(STDIN_FILENO, &cooked_mode) != 0) return;
    termios raw = cooked_mode;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    raw_mode_on = 1;
    active_ = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
    if (!active_) raw_mode_on = 0;
  }
  ~RawMode() {
    if (!active_) return;
    tcsetattr(STDIN_FILENO, TCSANOW, &cooked_mode);
    raw_mode_on = 0;
  }
  RawMode(const RawMode&) = delete;
  RawMode& operator=(const RawMode&) = delete;

  // Drops the rest of an escape sequence (an arrow or function key), so it
  // does not answer the next question.
  void DropPendingBytes() const {
    if (!active_) return;
    termios polling = cooked_mode;
    polling.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    polling.c_cc[VMIN] = 0;
    polling.c_cc[VTIME] = 1;
    tcsetattr(STDIN_FILENO, TCSANOW, &polling);
    char rest[16];
    while (read(STDIN_FILENO, rest, sizeof rest) > 0) {
    }
  }

 private:
  bool active_ = false;
};

class ProcessConsole : public LineConsole {
 public:
  ProcessConsole()
      : can_ask_(isatty(STDIN_FILENO) == 1), shows_status_(isatty(STDERR_FILENO) == 1) {
    interrupt_presses = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a key being awaited is given up at Ctrl+C
    sigaction(SIGINT, &action, &previous_);
  }
  ~ProcessConsole() override { sigaction(SIGINT, &previous_, nullptr); }
  ProcessConsole(const ProcessConsole&) = delete;
  ProcessConsole& operator=(const ProcessConsole&) = delete;

  bool CanAsk() const override { return can_ask_; }
  bool ShowsStatus() const override { return shows_status_; }

  int Columns() const override {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return kDefaultColumns;
  }

  int ReadKey() override {
    if (!can_ask_) return kEscape;
    tcflush(STDIN_FILENO, TCIFLUSH);  // keys typed before the question do not answer it
    RawMode raw;
    unsigned char key = 0;
    if (read(STDIN_FILENO, &key, 1) != 1) return kEscape;
    if (key == kEscape) raw.DropPendingBytes();
    return key;
  }

  void Write(std::string_view text) override {
    while (!text.empty()) {
      ssize_t written = write(STDERR_FILENO, text.data(), text.size());
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return;
      text.remove_prefix(static_cast<size_t>(written));
    }
  }

  int TakeInterrupts() override {
    int fresh = interrupt_presses - taken_;
    taken_ = interrupt_presses;
    return fresh;
  }

  Clock::time_point Now() const override { return Clock::now(); }

 private:
  const bool can_ask_;
  const bool shows_status_;
  int taken_ = 0;
  struct sigaction previous_ {};
};

}  // namespace

std::unique_ptr<LineConsole> OpenProcessConsole() { return std::make_unique<ProcessConsole>(); }

}  // namespace host
