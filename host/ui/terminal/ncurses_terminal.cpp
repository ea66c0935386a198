// ncurses: raw key input decoded by the host itself (so modified keys work
// the same on every terminal type), colour roles mapped to colour pairs,
// and the grid copied cell by cell (ncurses sends only what changed).
#include "host/ui/terminal/ncurses_terminal.hpp"

#include <langinfo.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <ncursesw/curses.h>

namespace host::tui {

namespace {

constexpr int kSequencePauseMs = 30;  // how long a lone Esc waits for the rest of a sequence

short CursesColour(Colour colour) {
  switch (colour) {
    case Colour::kBlack: return COLOR_BLACK;
    case Colour::kRed: return COLOR_RED;
    case Colour::kGreen: return COLOR_GREEN;
    case Colour::kYellow: return COLOR_YELLOW;
    case Colour::kBlue: return COLOR_BLUE;
    case Colour::kMagenta: return COLOR_MAGENTA;
    case Colour::kCyan: return COLOR_CYAN;
    case Colour::kWhite: return COLOR_WHITE;
  }
  return COLOR_WHITE;
}

short PairOf(Role role) { return static_cast<short>(static_cast<int>(role) + 1); }

void InitPairs() {
  for (int i = 0; i < static_cast<int>(Role::kCount); ++i) {
    RoleLook look = LookOf(static_cast<Role>(i));
    init_pair(PairOf(static_cast<Role>(i)), CursesColour(look.foreground),
              CursesColour(look.background));
  }
}

bool TerminalTakesTitles() {
  const char* term = std::getenv("TERM");
  if (!term) return false;
  for (const char* kind : {"xterm", "screen", "tmux", "rxvt"}) {
    if (std::strncmp(term, kind, std::strlen(kind)) == 0) return true;
  }
  return false;
}

TerminalEvent KeyEvent(const Key& key) { return {TerminalEvent::Kind::kKey, key}; }

// Control sequences ncurses has no call for go straight to the terminal,
// after what ncurses buffered.
void WriteToTerminal(const std::string& sequence) {
  std::fflush(stdout);
  ssize_t written = write(STDOUT_FILENO, sequence.data(), sequence.size());
  (void)written;  // a title that does not arrive changes nothing
}

// xterm's title stack: the title the terminal had is pushed at the start
// and comes back at the end.
constexpr const char* kPushTitle = "\033[22;0t";
constexpr const char* kPopTitle = "\033[23;0t";

// ncurses reads and writes the terminal's characters through the C
// library's character type; the module never looks at it.
void UseTerminalCharacters() {
  std::setlocale(LC_CTYPE, "");
  if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_CTYPE, "C.UTF-8");
}

}  // namespace

std::unique_ptr<NcursesTerminal> NcursesTerminal::Open(std::string* error) {
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
    *error = "the full-screen mode needs a terminal";
    return nullptr;
  }
  UseTerminalCharacters();
  SCREEN* screen = newterm(nullptr, stdout, stdin);
  if (!screen) {
    *error = "cannot drive the terminal (TERM=" +
             std::string(std::getenv("TERM") ? std::getenv("TERM") : "") + ")";
    return nullptr;
  }
  std::unique_ptr<NcursesTerminal> terminal(new NcursesTerminal());
  terminal->screen_ = screen;
  raw();  // Ctrl+C and Ctrl+Z arrive as keys: the host decides what they do
  noecho();
  nonl();
  intrflush(stdscr, FALSE);
  keypad(stdscr, FALSE);
  if (has_colors()) {
    start_color();
    InitPairs();
    terminal->colours_ = true;
  }
  terminal->titles_ = TerminalTakesTitles();
  if (terminal->titles_) WriteToTerminal(kPushTitle);
  return terminal;
}

NcursesTerminal::~NcursesTerminal() {
  curs_set(1);
  endwin();
  delscreen(screen_);
  if (titles_) WriteToTerminal(kPopTitle);
}

int NcursesTerminal::width() const { return getmaxx(stdscr); }
int NcursesTerminal::height() const { return getmaxy(stdscr); }

void NcursesTerminal::Present(const CellGrid& grid) {
  int rows = std::min(grid.height(), height());
  int columns = std::min(grid.width(), width());
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < columns; ++x) {
      const Cell& cell = grid.at(x, y);
      RoleLook look = LookOf(cell.role);
      attr_t attributes = look.bold ? A_BOLD : A_NORMAL;
      if (!colours_ && look.reverse) attributes |= A_REVERSE;
      wchar_t text[2] = {cell.ch ? cell.ch : L' ', 0};
      cchar_t styled;
      setcchar(&styled, text, attributes, colours_ ? PairOf(cell.role) : 0, nullptr);
      mvwadd_wch(stdscr, y, x, &styled);  // the last cell reports an error yet is drawn
    }
  }
  if (grid.cursor_visible() && grid.Contains(grid.cursor_x(), grid.cursor_y())) {
    wmove(stdscr, grid.cursor_y(), grid.cursor_x());
    curs_set(1);
  } else {
    curs_set(0);
  }
  wnoutrefresh(stdscr);
  doupdate();
}

TerminalEvent NcursesTerminal::Read(int timeout_ms) {
  for (;;) {
    if (std::optional<Key> key = decoder_.Next()) return KeyEvent(*key);
    wtimeout(stdscr, decoder_.pending() ? kSequencePauseMs : timeout_ms);
    wint_t unit = 0;
    int got = wget_wch(stdscr, &unit);
    if (got == ERR) {
      if (!decoder_.pending()) return {};
      if (std::optional<Key> key = decoder_.NextAfterPause()) return KeyEvent(*key);
      continue;
    }
    if (got == KEY_CODE_YES) {
      if (unit == KEY_RESIZE) return {TerminalEvent::Kind::kResize, Key{}};
      continue;
    }
    decoder_.Feed(static_cast<wchar_t>(unit));
  }
}

void NcursesTerminal::SetTitle(const std::string& utf8_title) {
  if (titles_) WriteToTerminal("\033]2;" + utf8_title + "\007");
}

void NcursesTerminal::Suspend() {
  def_prog_mode();
  endwin();
}

void NcursesTerminal::Resume() {
  reset_prog_mode();
  clearok(curscr, TRUE);
  doupdate();
}

}  // namespace host::tui
