// Editor drawing.
#include "host/app/editor_view.hpp"

#include <algorithm>

#include "host/core/char_tables.hpp"
#include "host/ui/terminal/oem_text.hpp"
#include "platform/utf8_as_oem.hpp"

namespace host::tui {

namespace {

constexpr int kTabSize = 8;

// What a UTF-8 line shows for a character code page 866 lacks.
constexpr wchar_t kPlaceholderGlyph = L'\uFFFD';

// The line's bytes as the screen shows them, one entry per byte: decoded
// through the table; a tab stays a tab for the caller to expand.
std::wstring Decode(const std::string& text, const EditorBuffer& buffer) {
  const CharTableSet* table = GetCharTable(buffer.char_table());
  const bool utf8 = buffer.char_table() == EditorBuffer::kUtf8Table;
  std::wstring wide;
  wide.reserve(text.size());
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte == '\t') {
      wide += L'\t';
      continue;
    }
    if (utf8 && c == platform::kUtf8Placeholder) {
      wide += kPlaceholderGlyph;
      continue;
    }
    wide += OemToWide(table ? table->DecodeTable[byte] : byte);
  }
  return wide;
}

// Whether byte column `pos` of a line lies in its part of the block.
bool Selected(std::pair<int, int> selection, int pos) {
  if (selection.first < 0) return false;
  return pos >= selection.first && (selection.second < 0 || pos < selection.second);
}

void RenderLine(CellGrid& grid, const EditorBuffer& buffer, int line, int y, const Rect& area) {
  const std::string& text = buffer.lines()[static_cast<size_t>(line)].text;
  std::wstring wide = Decode(text, buffer);
  std::pair<int, int> selection = buffer.SelectionOn(line);
  int left = buffer.left_pos();
  int column = 0;
  auto put = [&](wchar_t ch, int pos) {
    int x = column - left;
    if (x >= 0 && x < area.width) {
      Role role = Selected(selection, pos) ? Role::kEditorSelection : Role::kEditor;
      grid.Put(area.x + x, y, ch, role);
    }
    ++column;
  };
  for (size_t i = 0; i < wide.size() && column - left < area.width; ++i) {
    int pos = static_cast<int>(i);
    if (wide[i] != L'\t') {
      put(wide[i], pos);
      continue;
    }
    do {
      put(L' ', pos);
    } while (column % kTabSize != 0);
  }
  // A block that runs through the line break marks the rest of the row.
  if (selection.first >= 0 && selection.second < 0) {
    for (int pos = static_cast<int>(wide.size()); column - left < area.width;) {
      put(L' ', pos++);
    }
  }
}

}  // namespace

Rect EditorTextArea(int screen_width, int screen_height) {
  return Rect{0, 1, screen_width, std::max(screen_height - 2, 1)};
}

std::string TableName(const EditorBuffer& buffer) {
  if (buffer.char_table() == EditorBuffer::kUtf8Table) return "UTF-8";
  const CharTableSet* table = GetCharTable(buffer.char_table());
  return table ? table->TableName : "DOS";
}

void RenderEditor(CellGrid& grid, const EditorBuffer& buffer, const EditorStatus& status) {
  Rect area = EditorTextArea(grid.width(), grid.height());
  grid.Fill(area, L' ', Role::kEditor);
  for (int row = 0; row < area.height; ++row) {
    int line = buffer.top_line() + row;
    if (line >= buffer.line_count()) break;
    RenderLine(grid, buffer, line, area.y + row, area);
  }

  grid.Fill(Rect{0, 0, grid.width(), 1}, L' ', Role::kEditorStatus);
  int column = buffer.RealToTab(buffer.cur_line(), buffer.cur_pos());
  std::wstring position = L"Line " + std::to_wstring(buffer.cur_line() + 1) + L"/" +
                          std::to_wstring(buffer.line_count()) + L"  Col " +
                          std::to_wstring(column + 1) + L"  " + OemToWide(TableName(buffer)) +
                          (buffer.overtype() ? L"  Ovr" : L"") +
                          (buffer.modified() ? L"  *" : L"   ");
  if (!status.clock.empty()) position += L"  " + Utf8ToWide(status.clock);
  int right = std::max(grid.width() - static_cast<int>(position.size()), 0);
  grid.Text(0, 0, Utf8ToWide(status.file_name), Role::kEditorStatus, std::max(right - 1, 0));
  grid.Text(right, 0, position, Role::kEditorStatus);

  int x = column - buffer.left_pos();
  int y = area.y + buffer.cur_line() - buffer.top_line();
  if (x >= 0 && x < area.width && y >= area.y && y <= area.bottom()) {
    grid.PlaceCursor(x, y);
  } else {
    grid.HideCursor();
  }
}

}  // namespace host::tui
