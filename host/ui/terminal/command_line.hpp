// The command line under the panels: the active folder as its prompt and
// an edit field for the command.
#pragma once

#include <string>

#include "host/ui/terminal/edit_field.hpp"

namespace host::tui {

class CommandLine {
 public:
  CommandLine() : field_({}, kMaxCommand) {}

  bool empty() const { return field_.text().empty(); }
  // Hands out the command and empties the line.
  std::string Take();
  void Clear() { field_.SetText({}); }
  bool HandleKey(const Key& key) { return field_.HandleKey(key); }

  // Draws the row: the prompt (cut from the left when long) and the
  // field in the rest, with the cursor in it.
  void Render(CellGrid& grid, int y, const std::string& oem_prompt) const;

  static constexpr size_t kMaxCommand = 4096;

 private:
  EditField field_;
};

}  // namespace host::tui
