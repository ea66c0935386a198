// Each call fills the host's record for one EditorControl command.
#include "module/editor/editor_control.hpp"

#include "module/base/host_access.hpp"

namespace {

int Control(int command, void* param) { return StartupInfo.EditorControl(command, param); }

EditorLineView ViewOf(const EditorGetString& line) {
  return EditorLineView{line.StringText ? line.StringText : "", line.StringLength,
                        line.StringEOL ? line.StringEOL : "", line.SelStart, line.SelEnd};
}

}  // namespace

EditorInfo ReadEditorInfo() {
  EditorInfo info{};
  Control(ECTL_GETINFO, &info);
  return info;
}

EditorLineView ReadEditorLine(int number) {
  EditorGetString line{};
  line.StringNumber = number;
  if (!Control(ECTL_GETSTRING, &line)) return EditorLineView{"", 0, "", -1, -1};
  return ViewOf(line);
}

EditorLineView ReadLineAt(int line) {
  SetEditorPosition(line, -1, -1, -1);
  return ReadEditorLine(-1);
}

void SetEditorPosition(int line, int pos, int top_line, int left_pos) {
  EditorSetPosition position{line, pos, -1, top_line, left_pos, -1};
  Control(ECTL_SETPOSITION, &position);
}

void RestoreEditorPosition(const EditorInfo& info) {
  EditorSetPosition position{info.CurLine,       info.CurPos,  info.CurTabPos,
                             info.TopScreenLine, info.LeftPos, info.Overtype};
  Control(ECTL_SETPOSITION, &position);
}

void SelectStream(int start_line, int start_pos, int end_line, int end_pos) {
  SelectEditorBlock(BTYPE_STREAM, start_line, start_pos, end_pos - start_pos,
                    end_line - start_line + 1);
}

void SelectEditorBlock(int type, int start_line, int start_pos, int width, int height) {
  EditorSelect select{type, start_line, start_pos, width, height};
  Control(ECTL_SELECT, &select);
}

void ClearEditorSelection() { SelectEditorBlock(BTYPE_NONE, 0, 0, 0, 0); }

void RedrawEditor() { Control(ECTL_REDRAW, nullptr); }

void EditorToOem(char* text, int length) {
  EditorConvertText convert{text, length};
  Control(ECTL_EDITORTOOEM, &convert);
}

void OemToEditor(char* text, int length) {
  EditorConvertText convert{text, length};
  Control(ECTL_OEMTOEDITOR, &convert);
}

int EditorRealToTab(int line, int column) {
  EditorConvertPos convert{line, column, column};
  Control(ECTL_REALTOTAB, &convert);
  return convert.DestPos;
}

void SetCurrentLine(const std::string& text, const char* eol) {
  EditorSetString set{-1, text.data(), eol, static_cast<int>(text.size())};
  Control(ECTL_SETSTRING, &set);
}

void InsertLineBreak() { Control(ECTL_INSERTSTRING, nullptr); }

void DeleteCurrentLine() { Control(ECTL_DELETESTRING, nullptr); }
