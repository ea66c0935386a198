// The Ui of one command-line invocation, on a plain terminal. Progress
// boxes become one status line on standard error (only on a terminal, at
// most ten redraws a second); boxes with one button are reported on
// standard error; questions are asked on the terminal, one key per button;
// dialogs are shown as text and accepted or cancelled as a whole. Without a
// terminal on standard input every question is answered as Esc and every
// dialog counts as cancelled, unless dialogs are to be accepted as filled.
// Ctrl+C, and Esc typed on the terminal while the command runs, reach the
// module as an Esc key in its console input.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/ui/line_console.hpp"
#include "host/ui/ui.hpp"

namespace host {

class LineUi : public Ui {
 public:
  // A warning the module showed about something it could not do.
  struct Failure {
    std::string topic;    // the box's help topic
    std::string message;  // its first line, UTF-8
    std::string path;     // the first path it names, as a real POSIX path; empty when none
  };

  // What the command showed that decides how the invocation ends.
  struct Outcome {
    std::vector<std::string> reported_topics;  // help topics of the one-button boxes, in order
    std::vector<Failure> failures;  // warnings, "no files found" and questions aside
    bool cancelled = false;  // a dialog or menu left
    bool stopped = false;    // a question's stop button, Esc during the run or Ctrl+C
  };

  // `console` must outlive the LineUi. With full_screen_dialogs, a dialog
  // that a person is to answer opens full-screen when the process has a
  // terminal, and closes as the person closes it; its help pages come from
  // the help file in `help_folder`.
  LineUi(LineConsole& console, bool accept_dialogs, bool full_screen_dialogs = false,
         std::string help_folder = "");
  LineUi(const LineUi&) = delete;
  LineUi& operator=(const LineUi&) = delete;

  // A dialog the host fills in for the person: the preparation edits the
  // items of the first dialog it recognises, once, and says whether that
  // dialog is then accepted without being shown.
  enum class Prepared { kNotThisDialog, kShow, kAccept };
  using DialogPreparation = std::function<Prepared(std::span<FarDialogItem>)>;
  void PrepareDialog(DialogPreparation prepare) { prepare_ = std::move(prepare); }

  // Ends the command's output: the status line goes, and a Ctrl+C that no
  // Esc poll took still counts as stopping.
  void Finish();
  const Outcome& outcome() const { return outcome_; }
  // Takes the status line away, so that output written to the same
  // terminal starts on a clean row; the next progress draws it again.
  void ClearStatus();

  int ShowMessage(const MessageBox& box) override;
  MenuChoice ShowMenu(const Menu& menu) override;
  int RunDialog(const Dialog& dialog) override;
  void Text(int x, int y, int colour, const char* text) override;
  void SaveScreen(const ScreenArea& area) override;
  void RestoreScreen(const ScreenArea& area) override;

  bool PeekInput(INPUT_RECORD* event) override;
  bool ReadInput(INPUT_RECORD* event) override;
  void SetTitle(const char* oem_title) override;

 private:
  // What a dialog held when it was accepted: help topic, then each item's
  // kind, flags, state and text.
  using DialogState = std::vector<std::string>;

  void ShowProgress(const MessageBox& box);
  void Report(const MessageBox& box);
  void NoteFailure(const MessageBox& box);
  int Ask(const MessageBox& box);
  // Shows the keys of `labels` and waits for one of them: its index, or -1
  // for Esc (and for every key when nobody can answer).
  int ChooseButton(const std::vector<std::string>& labels);
  bool ConfirmDialog(const Dialog& dialog, int accepting_item);
  void Note(const std::string& oem_title, const std::string& text);
  void TakeInterrupts();

  LineConsole& console_;
  const bool accept_dialogs_;
  const bool full_screen_dialogs_;
  const std::string help_folder_;
  Outcome outcome_;

  DialogPreparation prepare_;  // empty once used
  std::deque<INPUT_RECORD> input_;  // Esc keys from Ctrl+C, not yet read by the module

  std::string status_;  // the latest progress text, shown; drawn when the pace allows
  bool status_shown_ = false;
  std::optional<LineConsole::Clock::time_point> last_draw_;

  // A dialog that comes back unchanged after it was accepted was refused by
  // the module (a pattern that does not compile, say); accepting it again
  // would only repeat that, so it then counts as cancelled.
  std::optional<DialogState> last_accepted_;
};

}  // namespace host
