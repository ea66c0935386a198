// The line UI: module boxes, questions and dialogs as lines on standard
// error, answered by single keys on the terminal. The module's texts are
// code page 866 and are turned into UTF-8 only on the way out.
#include "host/ui/line_ui.hpp"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <utility>

#include "host/ui/line_dialog.hpp"
#include "host/ui/shown_text.hpp"
#include "host/ui/terminal_dialog.hpp"
#include "platform/host_bridge.hpp"

namespace host {

namespace {

constexpr auto kStatusPace = std::chrono::milliseconds(100);  // at most ten redraws a second

// A line of the module's boxes that starts with this byte is a separator.
bool IsSeparatorLine(const std::string& line) { return !line.empty() && line[0] == '\x01'; }

// "Title: first line", then the other lines indented, so a caret line stays
// under the text it points into.
std::string BoxText(const MessageBox& box) {
  std::string text = ShownLine(box.title);
  bool first = true;
  for (const std::string& line : box.lines) {
    if (IsSeparatorLine(line)) continue;
    text += first ? (text.empty() ? "" : ": ") : "\n  ";
    text += ShownLine(line);
    first = false;
  }
  return text + "\n";
}

constexpr const char* kNothingFoundTopic = "NoFilesFound";
// The one box with two buttons that says something could not be done.
constexpr const char* kRenameFailedTopic = "FRenameError";
// The module's questions end with a stop button after yes, all and skip.
constexpr int kQuestionButtons = 4;
constexpr int kStopButton = 3;

bool IsUtf8Continuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

size_t Characters(const std::string& utf8) {
  return static_cast<size_t>(std::count_if(utf8.begin(), utf8.end(),
                                           [](char byte) { return !IsUtf8Continuation(byte); }));
}

// The last `count` characters of a UTF-8 text.
std::string LastCharacters(const std::string& utf8, size_t count) {
  size_t start = utf8.size();
  for (size_t kept = 0; start > 0 && kept < count;) {
    start--;
    if (!IsUtf8Continuation(utf8[start])) kept++;
  }
  return utf8.substr(start);
}

// The first `count` characters of a UTF-8 text.
std::string FirstCharacters(const std::string& utf8, size_t count) {
  size_t end = 0;
  for (size_t kept = 0; end < utf8.size(); end++) {
    if (!IsUtf8Continuation(utf8[end]) && kept++ == count) break;
  }
  return utf8.substr(0, end);
}

// The progress lines, shown (a folder as its real path), on one row of
// `width` characters; the first line (the folder being walked) gives way
// to the counts after it.
std::string StatusText(const std::vector<std::string>& lines, size_t width) {
  std::vector<std::string> shown;
  for (const std::string& line : lines)
    if (!line.empty() && !IsSeparatorLine(line)) shown.push_back(ShownLine(line));
  if (shown.empty()) return std::string();
  std::string rest;
  for (size_t i = 1; i < shown.size(); i++) rest += "  " + shown[i];
  std::string first = shown[0];
  const size_t rest_width = Characters(rest);
  size_t room = width > rest_width ? width - rest_width : 0;
  if (Characters(first) > room) first = room > 3 ? "..." + LastCharacters(first, room - 3) : "";
  std::string text = first + rest;
  if (first.empty() && text.size() >= 2) text.erase(0, 2);
  return FirstCharacters(text, width);
}

// The box's first path line as a real path, and its first other line.
LineUi::Failure FailureOf(const MessageBox& box) {
  LineUi::Failure failure{box.help_topic, {}, {}};
  for (const std::string& line : box.lines) {
    if (IsSeparatorLine(line)) continue;
    std::string& field = IsModulePath(line) ? failure.path : failure.message;
    if (field.empty()) field = ShownLine(line);
  }
  return failure;
}

// One key per button: its hot key when it has a free one, else the first
// free letter or digit of its label, else a free digit.
std::vector<char> ButtonKeys(const std::vector<std::string>& labels) {
  std::vector<char> keys;
  auto usable = [&](char c) {
    unsigned char byte = static_cast<unsigned char>(c);
    return byte < 0x80 && std::isalnum(byte) &&
           std::find(keys.begin(), keys.end(), std::tolower(byte)) == keys.end();
  };
  for (const std::string& label : labels) {
    std::string candidates;
    size_t mark = label.find('&');
    if (mark != std::string::npos && mark + 1 < label.size()) candidates += label[mark + 1];
    candidates += label + "123456789";
    auto key = std::find_if(candidates.begin(), candidates.end(), usable);
    keys.push_back(key == candidates.end()
                       ? '\0'
                       : static_cast<char>(std::tolower(static_cast<unsigned char>(*key))));
  }
  return keys;
}

std::vector<std::string> DialogStateOf(const Dialog& dialog) {
  std::vector<std::string> state{dialog.help_topic};
  for (const FarDialogItem& item : dialog.items) {
    bool has_state = item.Type == DI_CHECKBOX || item.Type == DI_RADIOBUTTON;
    state.push_back(std::to_string(item.Type) + ' ' + std::to_string(item.Flags) + ' ' +
                    (has_state ? std::to_string(item.Selected) : std::string()) + ' ' +
                    std::string(item.Data, strnlen(item.Data, sizeof item.Data)));
  }
  return state;
}

// The label of the button after the accepting one (the module's Cancel).
std::string CancelLabel(std::span<const FarDialogItem> items, int accepting_item) {
  for (size_t i = static_cast<size_t>(accepting_item) + 1; i < items.size(); i++)
    if (items[i].Type == DI_BUTTON)
      return std::string(items[i].Data, strnlen(items[i].Data, sizeof items[i].Data));
  return "Cancel";
}

}  // namespace

LineUi::LineUi(LineConsole& console, bool accept_dialogs, bool full_screen_dialogs,
               std::string help_folder)
    : console_(console), accept_dialogs_(accept_dialogs),
      full_screen_dialogs_(full_screen_dialogs), help_folder_(std::move(help_folder)) {}

void LineUi::Finish() {
  TakeInterrupts();
  ClearStatus();
}

// --- Boxes and questions ---

int LineUi::ShowMessage(const MessageBox& box) {
  if (box.buttons.empty()) {
    ShowProgress(box);
    return -1;
  }
  ClearStatus();
  if (box.buttons.size() == 1) {
    Report(box);
    return 0;
  }
  return Ask(box);
}

void LineUi::Report(const MessageBox& box) {
  outcome_.reported_topics.push_back(box.help_topic);
  if (box.help_topic != kNothingFoundTopic) NoteFailure(box);
  console_.Write(BoxText(box));
}

void LineUi::NoteFailure(const MessageBox& box) {
  if (box.flags & FMSG_WARNING) outcome_.failures.push_back(FailureOf(box));
}

// Esc at a question only skips what it asks about (or ends the command, as
// the module decides); the stop button is the person stopping the run.
int LineUi::Ask(const MessageBox& box) {
  console_.Write(BoxText(box));
  int answer = ChooseButton(box.buttons);
  if (box.help_topic == kRenameFailedTopic) NoteFailure(box);
  if (box.buttons.size() == kQuestionButtons && answer == kStopButton) outcome_.stopped = true;
  return answer;
}

int LineUi::ChooseButton(const std::vector<std::string>& labels) {
  std::vector<char> keys = ButtonKeys(labels);
  std::string prompt;
  for (size_t i = 0; i < labels.size(); i++) {
    if (keys[i]) prompt += std::string("[") + keys[i] + "] " + WithoutHotKeyMarks(labels[i]) + "  ";
  }
  console_.Write(platform::OemToUtf8(prompt) + "[Esc] ");
  if (!console_.CanAsk()) {
    console_.Write("Esc (no terminal to answer on)\n");
    return -1;
  }
  for (;;) {
    int key = console_.ReadKey();
    if (key == LineConsole::kEscape) {
      console_.Write("Esc\n");
      return -1;
    }
    auto chosen = std::find(keys.begin(), keys.end(), std::tolower(key));
    if (key > 0 && key < 0x80 && chosen != keys.end()) {
      size_t index = static_cast<size_t>(chosen - keys.begin());
      console_.Write(platform::OemToUtf8(WithoutHotKeyMarks(labels[index])) + "\n");
      return static_cast<int>(index);
    }
  }
}

void LineUi::Note(const std::string& oem_title, const std::string& text) {
  std::string title = platform::OemToUtf8(oem_title);
  console_.Write((title.empty() ? std::string() : title + ": ") + text + "\n");
}

// --- Menus and dialogs ---

MenuChoice LineUi::ShowMenu(const Menu& menu) {
  ClearStatus();
  Note(menu.title, "menus cannot be answered on the command line; cancelled");
  outcome_.cancelled = true;
  return MenuChoice{};
}

int LineUi::RunDialog(const Dialog& dialog) {
  ClearStatus();
  const Prepared prepared = prepare_ ? prepare_(dialog.items) : Prepared::kNotThisDialog;
  if (prepared != Prepared::kNotThisDialog) prepare_ = nullptr;
  if (prepared == Prepared::kAccept && AcceptingItem(dialog.items) >= 0) {
    last_accepted_ = DialogStateOf(dialog);
    return AcceptingItem(dialog.items);
  }
  if (full_screen_dialogs_ && !accept_dialogs_ && console_.CanAsk()) {
    if (std::optional<int> closed = RunDialogOnTerminal(dialog, help_folder_)) {
      if (*closed < 0) outcome_.cancelled = true;
      return *closed;
    }
  }
  const std::string title = DialogTitle(dialog.items);
  const int accepting = AcceptingItem(dialog.items);
  std::vector<std::string> state = DialogStateOf(dialog);
  bool accepted = false;
  if (accepting < 0)
    Note(title, "this dialog cannot be answered on the command line; cancelled");
  else if (last_accepted_ == state)
    Note(title, "the dialog came back unchanged after it was accepted; cancelled");
  else if (accept_dialogs_)
    accepted = true;
  else if (!console_.CanAsk())
    Note(title, "no terminal to confirm the dialog on (-y accepts it as filled); cancelled");
  else
    accepted = ConfirmDialog(dialog, accepting);
  if (!accepted) {
    outcome_.cancelled = true;
    return -1;
  }
  last_accepted_ = std::move(state);
  return accepting;
}

bool LineUi::ConfirmDialog(const Dialog& dialog, int accepting_item) {
  std::string text = ShownLine(DialogTitle(dialog.items)) + "\n";
  for (const std::string& line : DialogFieldLines(dialog.items)) text += ShownLine(line) + "\n";
  console_.Write(text);
  const FarDialogItem& accept = dialog.items[static_cast<size_t>(accepting_item)];
  std::string accept_label(accept.Data, strnlen(accept.Data, sizeof accept.Data));
  return ChooseButton({accept_label, CancelLabel(dialog.items, accepting_item)}) == 0;
}

// --- Progress ---

void LineUi::ShowProgress(const MessageBox& box) {
  if (!console_.ShowsStatus()) return;
  size_t width = static_cast<size_t>(std::max(console_.Columns() - 1, 1));
  status_ = StatusText(box.lines, width);
  LineConsole::Clock::time_point now = console_.Now();
  if (last_draw_ && now - *last_draw_ < kStatusPace) return;
  last_draw_ = now;
  console_.Write("\r" + status_ + "\x1b[K");
  status_shown_ = true;
}

void LineUi::ClearStatus() {
  if (!status_shown_) return;
  console_.Write("\r\x1b[K");
  status_shown_ = false;
}

// The walk's progress box already names the folder; the module's editor
// text and screen areas have no place on a line.
void LineUi::Text(int, int, int, const char*) {}
void LineUi::SaveScreen(const ScreenArea&) {}
void LineUi::RestoreScreen(const ScreenArea&) {}
void LineUi::SetTitle(const char*) {}

// --- Console input: Ctrl+C becomes Esc ---

void LineUi::TakeInterrupts() {
  for (int presses = console_.TakeInterrupts(); presses > 0; presses--) {
    input_.push_back(EscKeyPress());
    outcome_.stopped = true;
  }
}

bool LineUi::PeekInput(INPUT_RECORD* event) {
  TakeInterrupts();
  if (input_.empty()) return false;
  *event = input_.front();
  return true;
}

bool LineUi::ReadInput(INPUT_RECORD* event) {
  TakeInterrupts();
  if (input_.empty()) return false;
  *event = input_.front();
  input_.pop_front();
  return true;
}

}  // namespace host
