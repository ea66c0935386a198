// The editor on the screen: a status line (file name, line and column,
// character table, modified mark, clock), the file's lines through its
// character table with tabs of 8 and the block marked, and the cursor.
// Drawing only: the editing keys live in editor_keys.
#pragma once

#include <string>

#include "host/core/editor_buffer.hpp"
#include "host/ui/terminal/cell_grid.hpp"

namespace host::tui {

struct EditorStatus {
  std::string file_name;  // UTF-8
  std::string clock;      // "HH:MM", or empty when the clock is not shown
};

// The text area of an editor on a screen: everything between the status
// line and the key bar.
Rect EditorTextArea(int screen_width, int screen_height);

void RenderEditor(CellGrid& grid, const EditorBuffer& buffer, const EditorStatus& status);

// The name the status line gives the buffer's character table.
std::string TableName(const EditorBuffer& buffer);

}  // namespace host::tui
