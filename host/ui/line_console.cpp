// The process's terminal for the line UI: single-key reads, Esc typed while
// the command runs, the error stream, and the Ctrl+C handler. The handler only counts the first press,
// so the command stops at its next Esc poll with nothing half-written; the
// second press puts the terminal back and ends the program the default way.
#include "host/ui/line_console.hpp"

#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace host {

namespace {

constexpr int kDefaultColumns = 80;
constexpr int kSequenceGapMs = 100;  // the longest pause inside one key's escape sequence

volatile sig_atomic_t interrupt_presses = 0;  // at most 1: the second press ends the program
volatile sig_atomic_t raw_mode_on = 0;        // set while the terminal is in quiet mode
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

// The terminal without line editing and echo, reads never waiting, for as
// long as it lives; Ctrl+C still raises SIGINT.
class QuietMode {
 public:
  QuietMode() {
    if (tcgetattr(STDIN_FILENO, &cooked_mode) != 0) return;
    termios quiet = cooked_mode;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    quiet.c_cc[VMIN] = 0;
    quiet.c_cc[VTIME] = 0;
    raw_mode_on = 1;
    active_ = tcsetattr(STDIN_FILENO, TCSANOW, &quiet) == 0;
    if (!active_) raw_mode_on = 0;
  }
  ~QuietMode() {
    if (!active_) return;
    tcsetattr(STDIN_FILENO, TCSANOW, &cooked_mode);
    raw_mode_on = 0;
  }
  QuietMode(const QuietMode&) = delete;
  QuietMode& operator=(const QuietMode&) = delete;

 private:
  bool active_ = false;
};

// Waits up to `timeout_ms` (-1: for ever) for input; false on a timeout or
// an interrupt.
bool InputReady(int timeout_ms) {
  pollfd input{STDIN_FILENO, POLLIN, 0};
  return poll(&input, 1, timeout_ms) == 1;
}

// The bytes typed so far, without waiting.
std::string PendingBytes() {
  std::string bytes;
  char chunk[64];
  for (ssize_t got; (got = read(STDIN_FILENO, chunk, sizeof chunk)) > 0;)
    bytes.append(chunk, static_cast<size_t>(got));
  return bytes;
}

// Esc keys alone in typed bytes; an Esc that starts the sequence of an
// arrow or function key ("\x1b[", "\x1bO") is not one.
int LoneEscapes(const std::string& bytes) {
  int escapes = 0;
  for (size_t i = 0; i < bytes.size(); i++) {
    if (bytes[i] != LineConsole::kEscape) continue;
    bool sequence = i + 1 < bytes.size() && (bytes[i + 1] == '[' || bytes[i + 1] == 'O');
    if (!sequence) escapes++;
  }
  return escapes;
}

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
    if (can_ask_) quiet_ = std::make_unique<QuietMode>();
  }
  ~ProcessConsole() override {
    quiet_.reset();
    sigaction(SIGINT, &previous_, nullptr);
  }
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
    unsigned char key = 0;
    if (!InputReady(-1) || read(STDIN_FILENO, &key, 1) != 1) return kEscape;
    // The rest of an escape sequence (an arrow or function key) must not
    // answer the next question.
    if (key == kEscape && InputReady(kSequenceGapMs)) PendingBytes();
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
    if (can_ask_) fresh += LoneEscapes(PendingBytes());
    return fresh;
  }

  Clock::time_point Now() const override { return Clock::now(); }

 private:
  const bool can_ask_;
  const bool shows_status_;
  int taken_ = 0;
  struct sigaction previous_ {};
  std::unique_ptr<QuietMode> quiet_;
};

}  // namespace

std::unique_ptr<LineConsole> OpenProcessConsole() { return std::make_unique<ProcessConsole>(); }

}  // namespace host
