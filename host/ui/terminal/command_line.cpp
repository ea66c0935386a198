// Command line drawing and text.
#include "host/ui/terminal/command_line.hpp"

#include <algorithm>

#include "host/ui/terminal/oem_text.hpp"

namespace host::tui {

std::string CommandLine::Take() {
  std::string command = field_.text();
  field_.SetText({});
  return command;
}

void CommandLine::Render(CellGrid& grid, int y, const std::string& oem_prompt) const {
  int width = grid.width();
  std::wstring prompt = OemToWide(oem_prompt) + L">";
  // The prompt never takes more than half the row.
  size_t keep = static_cast<size_t>(std::max(width / 2, 1));
  if (prompt.size() > keep) prompt = prompt.substr(prompt.size() - keep);
  grid.Fill(Rect{0, y, width, 1}, L' ', Role::kCommandLine);
  int used = grid.Text(0, y, prompt, Role::kCommandLine);
  field_.Render(grid, used, y, width - used, Role::kCommandLine, Role::kCommandLine, true);
}

}  // namespace host::tui
