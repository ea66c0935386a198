// The terminal under the line UI: whether a question can be asked (standard
// input is a terminal) and progress drawn (standard error is a terminal),
// single keys, the error stream, Ctrl+C, and the clock that paces redraws.
// The program's console is the process's own; tests use a scripted one.
#pragma once

#include <chrono>
#include <memory>
#include <string_view>

namespace host {

class LineConsole {
 public:
  using Clock = std::chrono::steady_clock;
  // What ReadKey returns for Esc, and for Ctrl+C, end of input or a read
  // error: every way of not answering.
  static constexpr int kEscape = 27;

  virtual ~LineConsole() = default;

  virtual bool CanAsk() const = 0;
  virtual bool ShowsStatus() const = 0;
  // Width of the error stream's terminal; a guess when it is none.
  virtual int Columns() const = 0;
  // Waits for one key, unechoed and unbuffered: its byte, or kEscape.
  virtual int ReadKey() = 0;
  // UTF-8 text to standard error, written at once.
  virtual void Write(std::string_view text) = 0;
  // Requests to stop not taken yet: Ctrl+C presses, and on a terminal Esc
  // keys typed while the command runs; taking them resets the count.
  virtual int TakeInterrupts() = 0;
  virtual Clock::time_point Now() const = 0;
};

// The process's terminal. While it lives, the first Ctrl+C is only counted
// (for the running command to stop at its next Esc poll) and a second one
// ends the program; a terminal on standard input neither echoes nor
// buffers lines, so an Esc typed during the run is seen at once. The
// previous handling and terminal mode come back when it goes. Only one may
// live at a time.
std::unique_ptr<LineConsole> OpenProcessConsole();

}  // namespace host
