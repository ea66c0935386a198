// The modal loop, the module's boxes and the console queue.
#include "host/ui/terminal_ui.hpp"

#include "host/ui/shown_text.hpp"

#include "host/ui/terminal/dialog_view.hpp"
#include "host/ui/terminal/help_view.hpp"
#include "host/ui/terminal/menu_view.hpp"
#include "host/ui/terminal/message_view.hpp"
#include "host/ui/terminal/oem_text.hpp"
#include "platform/host_bridge.hpp"

namespace host {

namespace {

using tui::Reaction;
using tui::TerminalEvent;

constexpr int kTickMs = 1000;
constexpr auto kRedrawInterval = std::chrono::milliseconds(50);
// The module polls for Esc once per file it looks at; asking the terminal
// that often would cost more than the search, and a person cannot tell
// 10 ms apart.
constexpr auto kConsolePollInterval = std::chrono::milliseconds(10);
constexpr const char* kContentsTopic = "Contents";

// Shown instead of the views on a screen too small to hold them.
tui::CellGrid SmallScreenNotice(int width, int height) {
  tui::CellGrid grid(width, height);
  grid.Fill(tui::Rect{0, 0, width, height}, L' ', tui::Role::kCommandLine);
  grid.Text(0, 0, L"Enlarge the terminal", tui::Role::kCommandLine, width);
  return grid;
}

}  // namespace

TerminalUi::TerminalUi(tui::Terminal& terminal, const tui::HelpFile& help,
                       tui::DialogHistory* history)
    : terminal_(terminal), help_(help), history_(history) {}

void TerminalUi::Compose() {
  int width = terminal_.width();
  int height = terminal_.height();
  if (width < kMinWidth || height < kMinHeight) {
    screen_ = SmallScreenNotice(width, height);
  } else {
    screen_ = tui::CellGrid(width, height);
    for (const tui::View* view : stack_) view->Render(screen_);
  }
}

void TerminalUi::Draw() {
  Compose();
  terminal_.Present(screen_);
  last_progress_ = {};
}

void TerminalUi::Resize() {
  for (tui::View* view : stack_) view->Layout(terminal_.width(), terminal_.height());
}

TerminalEvent TerminalUi::NextEvent(int timeout_ms) {
  if (!typed_.empty()) {
    TerminalEvent event{TerminalEvent::Kind::kKey, typed_.front()};
    typed_.pop_front();
    return event;
  }
  return terminal_.Read(timeout_ms);
}

void TerminalUi::Run(tui::View& view) {
  stack_.push_back(&view);
  view.Layout(terminal_.width(), terminal_.height());
  bool dirty = true;
  for (;;) {
    TerminalEvent event = NextEvent(0);
    if (event.kind == TerminalEvent::Kind::kNothing) {
      if (dirty) Draw();
      dirty = false;
      event = NextEvent(kTickMs);
    }
    Reaction reaction = Reaction::kNone;
    switch (event.kind) {
      case TerminalEvent::Kind::kNothing: reaction = view.Tick(); break;
      case TerminalEvent::Kind::kResize: Resize(); reaction = Reaction::kRedraw; break;
      case TerminalEvent::Kind::kKey: reaction = view.HandleKey(event.key); break;
    }
    if (reaction == Reaction::kClose) break;
    HandleReaction(view, reaction, &dirty);
  }
  stack_.pop_back();
  // What the view covered shows again before anything else is drawn over it.
  if (!stack_.empty()) Draw();
}

void TerminalUi::HandleReaction(tui::View& view, Reaction reaction, bool* dirty) {
  switch (reaction) {
    case Reaction::kNone:
    case Reaction::kClose: return;
    case Reaction::kRedraw: break;
    case Reaction::kHelp: ShowHelp(view.help_topic()); break;
    case Reaction::kPopup:
      if (std::unique_ptr<tui::View> popup = view.TakePopup()) {
        Run(*popup);
        view.PopupClosed(*popup);
      }
      break;
  }
  *dirty = true;
}

void TerminalUi::ShowHelp(const std::string& topic) {
  tui::HelpView view(help_, topic.empty() ? kContentsTopic : topic);
  Run(view);
}

bool TerminalUi::Due(Clock::time_point* last, Clock::duration interval) const {
  Clock::time_point now = Clock::now();
  if (now - *last < interval) return false;
  *last = now;
  return true;
}

int TerminalUi::ShowMessage(const MessageBox& box) {
  if (!box.buttons.empty()) {
    if (box.flags & FMSG_WARNING) ++warnings_shown_;
    tui::MessageView view(box);
    Run(view);
    return view.result();
  }
  // A progress box: drawn over the views, then the module goes on. The
  // views are drawn again first, so nothing of an earlier, wider box stays.
  if (!Due(&last_progress_, kRedrawInterval)) return -1;
  Compose();
  tui::MessageView view(box);
  view.Layout(screen_.width(), screen_.height());
  view.Render(screen_);
  terminal_.Present(screen_);
  return -1;
}

MenuChoice TerminalUi::ShowMenu(const Menu& menu) {
  tui::MenuView view(menu);
  Run(view);
  return view.choice();
}

int TerminalUi::RunDialog(const Dialog& dialog) {
  tui::DialogView view(dialog, history_);
  Run(view);
  view.WriteBack();
  return view.result();
}

void TerminalUi::Text(int x, int y, int, const char* text) {
  if (!text) {
    terminal_.Present(screen_);
    return;
  }
  // The module's text (the editor's progress counter on the status row)
  // stands on a cleared rest of its row, never mixed with what was there.
  screen_.Fill(tui::Rect{x, y, screen_.width() - x, 1}, L' ', tui::Role::kModuleText);
  screen_.Text(x, y, tui::OemToWide(text), tui::Role::kModuleText);
}

// The views are what the screen shows, so nothing needs keeping: restoring
// draws them again, which also covers whatever the module drew meanwhile.
void TerminalUi::SaveScreen(const ScreenArea&) {}

void TerminalUi::RestoreScreen(const ScreenArea&) { Draw(); }

void TerminalUi::PollConsole() {
  if (!Due(&last_poll_, kConsolePollInterval)) return;
  for (;;) {
    TerminalEvent event = terminal_.Read(0);
    if (event.kind == TerminalEvent::Kind::kNothing) return;
    if (event.kind == TerminalEvent::Kind::kResize) {
      Resize();
      Draw();
    } else if (event.key.IsCtrl(L'c')) {
      // The key a terminal user stops work with: the module knows it as Esc.
      typed_.push_back(tui::Key::Of(tui::KeyCode::kEsc));
    } else if (event.key.code != tui::KeyCode::kNone) {
      typed_.push_back(event.key);
    }
  }
}

bool TerminalUi::PeekInput(INPUT_RECORD* event) {
  PollConsole();
  if (typed_.empty()) return false;
  *event = tui::InputRecordOf(typed_.front());
  return true;
}

bool TerminalUi::ReadInput(INPUT_RECORD* event) {
  if (!PeekInput(event)) return false;
  typed_.pop_front();
  return true;
}

void TerminalUi::SetTitle(const char* oem_title) {
  if (!oem_title || !Due(&last_title_, kRedrawInterval)) return;
  terminal_.SetTitle(ShownWithTrailingPath(oem_title));
}

}  // namespace host
