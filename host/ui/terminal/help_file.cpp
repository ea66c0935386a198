// Help file parsing and paragraph flow.
#include "host/ui/terminal/help_file.hpp"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace host::tui {

namespace {

std::string_view WithoutLineEnd(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

void AppendWords(std::string_view words, int width, std::vector<std::string>& rows,
                 std::string& row) {
  size_t at = 0;
  while (at < words.size()) {
    size_t start = words.find_first_not_of(' ', at);
    if (start == std::string_view::npos) break;
    size_t end = words.find(' ', start);
    if (end == std::string_view::npos) end = words.size();
    std::string word(words.substr(start, end - start));
    at = end;
    while (static_cast<int>(word.size()) > width) {  // a word wider than the window is cut
      if (!row.empty()) {
        rows.push_back(std::move(row));
        row.clear();
      }
      rows.push_back(word.substr(0, static_cast<size_t>(width)));
      word.erase(0, static_cast<size_t>(width));
    }
    if (!row.empty() && static_cast<int>(row.size() + 1 + word.size()) > width) {
      rows.push_back(std::move(row));
      row.clear();
    }
    if (!row.empty()) row += ' ';
    row += word;
  }
}

// An indented line (a row of a key list or a table) wider than the window
// wraps its words under its text column: the column after its first gap of
// two spaces, or its own indent when there is no such column in reach.
void AppendIndentedLine(const std::string& line, int width, std::vector<std::string>& rows) {
  if (static_cast<int>(line.size()) <= width) {
    rows.push_back(line);
    return;
  }
  size_t indent = std::min(line.find_first_not_of(' '), static_cast<size_t>(width / 2));
  size_t gap = line.find("  ", indent);
  size_t hang = gap == std::string::npos ? indent : line.find_first_not_of(' ', gap);
  if (hang == std::string::npos || static_cast<int>(hang) > width / 2) hang = indent;
  std::vector<std::string> text_rows;
  std::string row;
  AppendWords(std::string_view(line).substr(hang), width - static_cast<int>(hang), text_rows, row);
  if (!row.empty()) text_rows.push_back(std::move(row));
  for (size_t i = 0; i < text_rows.size(); ++i) {
    rows.push_back((i == 0 ? line.substr(0, hang) : std::string(hang, ' ')) + text_rows[i]);
  }
}

}  // namespace

void HelpFile::Parse(std::string_view text) {
  topics_.clear();
  HelpTopic* topic = nullptr;
  bool titled = false;
  std::istringstream in{std::string(text)};
  std::string raw;
  while (std::getline(in, raw)) {
    std::string_view line = WithoutLineEnd(raw);
    if (line.starts_with("//")) continue;
    if (line.starts_with("@")) {
      topic = &topics_[std::string(line.substr(1))];
      *topic = HelpTopic{};
      titled = false;
    } else if (!topic) {
      continue;
    } else if (line.starts_with("$") && !titled && topic->lines.empty()) {
      size_t start = line.find_first_not_of(' ', 1);
      topic->title = start == std::string_view::npos ? "" : std::string(line.substr(start));
      titled = true;
    } else {
      topic->lines.emplace_back(line);
    }
  }
  for (auto& [name, page] : topics_) {
    while (!page.lines.empty() && page.lines.back().empty()) page.lines.pop_back();
  }
}

bool HelpFile::Load(const std::string& posix_path) {
  std::ifstream file(posix_path, std::ios::binary);
  if (!file) return false;
  std::ostringstream text;
  text << file.rdbuf();
  Parse(text.str());
  return true;
}

const HelpTopic* HelpFile::Find(const std::string& name) const {
  auto found = topics_.find(name);
  return found == topics_.end() ? nullptr : &found->second;
}

std::string HelpFilePath(const std::string& folder) { return folder + "/finderix_en.hlf"; }

std::vector<std::string> FlowHelpText(const std::vector<std::string>& lines, int width) {
  width = std::max(width, 1);
  std::vector<std::string> rows;
  std::string paragraph_row;
  auto end_paragraph = [&] {
    if (!paragraph_row.empty()) rows.push_back(std::move(paragraph_row));
    paragraph_row.clear();
  };
  for (const std::string& line : lines) {
    if (line.empty()) {
      end_paragraph();
      rows.emplace_back();
    } else if (line.front() == ' ') {
      end_paragraph();
      AppendIndentedLine(line, width, rows);
    } else {
      AppendWords(line, width, rows, paragraph_row);
    }
  }
  end_paragraph();
  return rows;
}

}  // namespace host::tui
