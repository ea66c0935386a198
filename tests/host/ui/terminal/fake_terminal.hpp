// A terminal for tests: keys come from a script, every presented grid is
// kept, and the size is whatever the test sets. Keys come as a person
// types who looks at the screen first: only a screen that waits for a key
// gets the next one, so the module's Esc poll never eats keys meant for
// the next screen; keys pressed "during work" reach the poll too. A loop
// that waits for a key the script does not have fails the test and gets
// F10 and Esc keys, which close every screen, so a wrong expectation ends
// the test instead of hanging it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "host/ui/terminal/terminal.hpp"

namespace testing_support {

class FakeTerminal : public host::tui::Terminal {
 public:
  using Key = host::tui::Key;
  using KeyCode = host::tui::KeyCode;

  FakeTerminal(int width, int height) : width_(width), height_(height) {}

  void Press(const Key& key) { events_.push_back({Kind::kKey, key}); }
  // A key that arrives while the module works, for its Esc poll.
  void PressDuringWork(const Key& key) { events_.push_back({Kind::kUrgentKey, key}); }
  void Press(KeyCode code) { Press(Key::Of(code)); }
  void Type(const std::wstring& text) {
    for (wchar_t ch : text) Press(Key::Char(ch));
  }
  // The terminal takes a new size once the script reaches this point.
  void ResizeTo(int width, int height) {
    events_.push_back({Kind::kResize, Key{}, width, height});
  }
  // A wait that ends without a key: the screen's idle tick runs.
  void Idle() { events_.push_back({Kind::kIdle}); }
  // Runs an action once the script reaches this point, before the next key.
  void Do(std::function<void()> action) {
    events_.push_back({Kind::kAction, Key{}, 0, 0, std::move(action)});
  }

  const host::tui::CellGrid& screen() const { return screen_; }
  // Whether any screen shown so far held the text.
  bool EverShowed(const std::wstring& text) const {
    for (const std::wstring& frame : frames_) {
      if (frame.find(text) != std::wstring::npos) return true;
    }
    return false;
  }
  int presents() const { return presents_; }
  bool script_done() const { return events_.empty(); }
  std::string last_title() const { return title_; }

  int width() const override { return width_; }
  int height() const override { return height_; }
  void Present(const host::tui::CellGrid& grid) override {
    screen_ = grid;
    ++presents_;
    std::wstring frame;
    for (int y = 0; y < grid.height(); ++y) frame += grid.Row(y) + L"\n";
    frames_.push_back(std::move(frame));
  }
  host::tui::TerminalEvent Read(int timeout_ms) override {
    bool waiting = timeout_ms != 0;
    if (!events_.empty() && events_.front().kind == Kind::kUrgentKey) {
      Key key = events_.front().key;
      events_.pop_front();
      return {host::tui::TerminalEvent::Kind::kKey, key};
    }
    if (!waiting) return {};
    while (!events_.empty() && events_.front().kind == Kind::kAction) {
      std::function<void()> action = std::move(events_.front().action);
      events_.pop_front();
      action();
    }
    if (!events_.empty() && events_.front().kind == Kind::kIdle) {
      events_.pop_front();
      return {};
    }
    if (events_.empty()) {
      if (starved_++ == 0) ADD_FAILURE() << "a screen waited for a key the script does not have";
      if (starved_ > 50) std::abort();  // a loop that no key closes
      return {host::tui::TerminalEvent::Kind::kKey,
              Key::Of(starved_ % 2 ? KeyCode::kEsc : KeyCode::kF10)};
    }
    Event event = events_.front();
    events_.pop_front();
    if (event.kind == Kind::kResize) {
      width_ = event.width;
      height_ = event.height;
      return {host::tui::TerminalEvent::Kind::kResize, Key{}};
    }
    return {host::tui::TerminalEvent::Kind::kKey, event.key};
  }
  void SetTitle(const std::string& utf8_title) override { title_ = utf8_title; }
  void Suspend() override {}
  void Resume() override {}

 private:
  enum class Kind { kKey, kUrgentKey, kResize, kIdle, kAction };
  struct Event {
    Kind kind;
    Key key{};
    int width = 0, height = 0;
    std::function<void()> action{};
  };

  int width_, height_;
  std::deque<Event> events_;
  host::tui::CellGrid screen_;
  std::vector<std::wstring> frames_;
  int presents_ = 0;
  int starved_ = 0;
  std::string title_;
};

// Whether any row of the grid holds the text.
inline bool ScreenShows(const host::tui::CellGrid& grid, const std::wstring& text) {
  for (int y = 0; y < grid.height(); ++y) {
    if (grid.Row(y).find(text) != std::wstring::npos) return true;
  }
  return false;
}

}  // namespace testing_support
