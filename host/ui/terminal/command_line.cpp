// Command line drawing, text and history.
#include "host/ui/terminal/command_line.hpp"

#include <algorithm>

#include "host/ui/shown_text.hpp"
#include "host/ui/terminal/oem_text.hpp"

namespace host::tui {

std::string CommandLine::Take() {
  std::string command = field_.text();
  if (history_ && !command.empty()) history_->Add(kHistoryName, command);
  Clear();
  return command;
}

void CommandLine::SetText(const std::string& oem_text) {
  field_.SetText(oem_text);
  shown_entry_ = -1;
}

std::vector<std::string> CommandLine::History() const {
  return history_ ? history_->Entries(kHistoryName) : std::vector<std::string>{};
}

void CommandLine::ShowEntry(int index) {
  std::vector<std::string> entries = History();
  index = std::clamp(index, -1, static_cast<int>(entries.size()) - 1);
  field_.SetText(index < 0 ? std::string() : entries[static_cast<size_t>(index)]);
  shown_entry_ = index;
}

void CommandLine::ShowOlder() { ShowEntry(shown_entry_ + 1); }

void CommandLine::ShowNewer() {
  if (shown_entry_ >= 0) ShowEntry(shown_entry_ - 1);
}

void CommandLine::Render(CellGrid& grid, int y, const std::string& oem_prompt) const {
  int width = grid.width();
  // The folder is a module path; a person reads its real path.
  std::wstring prompt = Utf8ToWide(ShownLine(oem_prompt)) + L">";
  // The prompt never takes more than half the row.
  size_t keep = static_cast<size_t>(std::max(width / 2, 1));
  if (prompt.size() > keep) prompt = prompt.substr(prompt.size() - keep);
  grid.Fill(Rect{0, y, width, 1}, L' ', Role::kCommandLine);
  int used = grid.Text(0, y, prompt, Role::kCommandLine);
  field_.Render(grid, used, y, width - used, Role::kCommandLine, Role::kCommandLine, true);
}

}  // namespace host::tui
