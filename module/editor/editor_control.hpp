// The editor as the module reaches it: thin calls over the host's
// EditorControl service, one per thing the search and replace do to the
// editor. Line texts returned here belong to the host and stay valid only
// until the next editor call.
#pragma once

#include <string>

#include "sdk/plugin.hpp"

// One line as the host reports it.
struct EditorLineView {
  const char* text;
  int length;
  const char* eol;
  int sel_start;  // -1: nothing selected on the line
  int sel_end;    // -1: selected through the line break
};

EditorInfo ReadEditorInfo();
// A line by number, -1 for the cursor's line. A number outside the text
// gives an empty line without a selection.
EditorLineView ReadEditorLine(int number);
// Moves the cursor to a line (its column unchanged) and reads that line:
// the way the search walks the text.
EditorLineView ReadLineAt(int line);

// Sets the given fields of the position; -1 leaves a field as it is.
void SetEditorPosition(int line, int pos, int top_line, int left_pos);
// Puts the cursor back exactly where an earlier ReadEditorInfo found it.
void RestoreEditorPosition(const EditorInfo& info);

// A stream block from (start_line, start_pos) to the exclusive end
// (end_line, end_pos).
void SelectStream(int start_line, int start_pos, int end_line, int end_pos);
void SelectEditorBlock(int type, int start_line, int start_pos, int width, int height);
void ClearEditorSelection();
void RedrawEditor();

// Converts bytes in place between the editor's character table and OEM.
void EditorToOem(char* text, int length);
void OemToEditor(char* text, int length);
// Screen column of a byte column of a line (-1: the cursor's line).
int EditorRealToTab(int line, int column);

// Replaces the cursor line's text and line break.
void SetCurrentLine(const std::string& text, const char* eol);
// Breaks the cursor line at the cursor; the cursor goes to the new line.
void InsertLineBreak();
void DeleteCurrentLine();
