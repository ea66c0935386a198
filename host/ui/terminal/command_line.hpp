// The command line under the panels: the active folder as its prompt, an
// edit field for the command, and the history of the commands run, kept
// with the dialogs' histories so it survives a restart.
#pragma once

#include <string>
#include <vector>

#include "host/ui/terminal/dialog_history.hpp"
#include "host/ui/terminal/edit_field.hpp"

namespace host::tui {

class CommandLine {
 public:
  // history may be null: then nothing is remembered.
  explicit CommandLine(DialogHistory* history = nullptr)
      : field_({}, kMaxCommand), history_(history) {}

  bool empty() const { return field_.text().empty(); }
  // Hands out the command, puts it first in the history and empties the
  // line.
  std::string Take();
  // Shows a text on the line again (a command that was refused), ready to
  // be corrected.
  void SetText(const std::string& oem_text);
  void Clear() { SetText({}); }
  bool HandleKey(const Key& key) { return field_.HandleKey(key); }

  // Ctrl+E and Ctrl+X: the next older or newer command of the history on
  // the line; past the newest, the line is empty again.
  void ShowOlder();
  void ShowNewer();
  // The history, most recent first.
  std::vector<std::string> History() const;

  // Draws the row: the prompt (the module folder `oem_prompt` as its real
  // path, cut from the left when long) and the
  // field in the rest, with the cursor in it.
  void Render(CellGrid& grid, int y, const std::string& oem_prompt) const;

  static constexpr size_t kMaxCommand = 4096;
  static constexpr const char* kHistoryName = "CommandLine";

 private:
  void ShowEntry(int index);

  EditField field_;
  DialogHistory* history_;
  int shown_entry_ = -1;  // the history entry on the line, or -1
};

}  // namespace host::tui
