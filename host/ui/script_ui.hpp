// The Ui of the tests: every answer comes from a queue the test filled
// before the call, every call is recorded so the test can assert what a
// person would have seen, and an Esc key can be made to arrive after a
// chosen number of console polls. A call the script did not foresee is an
// error: it is reported through the failure handler (a test installs one
// that fails the test) and answered as Esc.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/ui/ui.hpp"

namespace host {

// Writes text into a dialog item's Data field, cut to fit.
void SetItemText(FarDialogItem& item, std::string_view text);

class ScriptUi : public Ui {
 public:
  enum class Kind { kMessage, kMenu, kDialog, kSaveScreen, kRestoreScreen };

  struct Call {
    Kind kind = Kind::kMessage;
    std::string help_topic{};
    std::string title{};
    std::vector<std::string> lines{};    // message lines; menu item texts
    std::vector<std::string> buttons{};  // message buttons
    unsigned flags = 0;
    bool progress = false;                      // a message box without buttons
    std::vector<FarDialogItem> dialog_items{};  // the dialog as the module filled it
    ScreenArea area{};                          // save and restore
    int answer = -1;                            // button, menu item or closing dialog item
    int break_code = -1;
  };

  struct TextCall {
    int x, y, colour;
    std::string text;
    bool flush;  // the call passed no text
  };

  // Edits the items the module filled and returns the closing item (-1 = Esc).
  using DialogScript = std::function<int(std::span<FarDialogItem> items)>;
  using FailureHandler = std::function<void(const std::string& what)>;

  ScriptUi() = default;
  ScriptUi(const ScriptUi&) = delete;
  ScriptUi& operator=(const ScriptUi&) = delete;

  // Answers, consumed in order by the calls of each kind.
  void AnswerMessage(int button);  // -1 = Esc
  void AnswerMenu(int index, int break_code = -1);
  void AnswerDialog(DialogScript script);
  // The first `polls` PeekInput calls from now find nothing; the next one
  // finds an Esc key press, which ReadInput then removes.
  void EscAfterPolls(int polls);

  void SetFailureHandler(FailureHandler handler) { on_failure_ = std::move(handler); }

  const std::vector<Call>& calls() const { return calls_; }
  std::vector<Call> CallsOf(Kind kind) const;
  const std::vector<TextCall>& texts() const { return texts_; }
  const std::vector<std::string>& console_titles() const { return titles_; }
  const std::vector<std::string>& errors() const { return errors_; }
  int polls() const { return polls_; }
  // Answers queued but never asked for.
  size_t unused_answers() const;

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
  struct MenuAnswer {
    int index;
    int break_code;
  };

  void Fail(const std::string& what);
  bool EscVisible() const { return esc_armed_ && polls_since_armed_ >= esc_after_; }

  std::deque<int> message_answers_;
  std::deque<MenuAnswer> menu_answers_;
  std::deque<DialogScript> dialog_answers_;
  FailureHandler on_failure_;

  bool esc_armed_ = false;
  int esc_after_ = 0;          // polls that find nothing before the Esc shows
  int polls_since_armed_ = 0;  // PeekInput calls since EscAfterPolls
  int polls_ = 0;              // PeekInput calls in all

  std::vector<Call> calls_;
  std::vector<TextCall> texts_;
  std::vector<std::string> titles_;
  std::vector<std::string> errors_;
};

}  // namespace host
