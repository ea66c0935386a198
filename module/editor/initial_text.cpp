// Proposing a search text from the editor. Word characters are told apart
// in OEM, whatever character table the editor shows the file in; the text
// proposed is taken from the line's own bytes and converted once.
#include "module/editor/initial_text.hpp"

#include "module/editor/editor_control.hpp"
#include "platform/crt.hpp"
#include "module/base/settings.hpp"

bool IsWordChar(unsigned char byte) {
  if (byte == '_') return true;
  char text = static_cast<char>(byte);
  WCHAR wide = 0;
  if (MultiByteToWideChar(CP_OEMCP, 0, &text, 1, &wide, 1) != 1) return false;
  return crt::iswalnum(wide) != 0;
}

std::optional<std::string> SelectedText() {
  EditorInfo info = ReadEditorInfo();
  if (info.BlockType == BTYPE_NONE) return std::nullopt;
  // A selection on the next line means the block spans lines.
  if (ReadEditorLine(info.BlockStartLine + 1).sel_start >= 0) return std::nullopt;
  EditorLineView line = ReadEditorLine(info.BlockStartLine);
  if (line.sel_start < 0 || line.sel_end == -1) return std::nullopt;
  // A column block may reach beyond the line's end.
  int end = std::min(line.sel_end, line.length);
  if (end <= line.sel_start) return std::nullopt;
  return std::string(line.text + line.sel_start, static_cast<size_t>(end - line.sel_start));
}

std::optional<std::string> WordAtCursor() {
  EditorInfo info = ReadEditorInfo();
  EditorLineView line = ReadEditorLine(-1);
  const int pos = info.CurPos;
  if (pos < 0 || pos >= line.length) return std::nullopt;
  std::string oem(line.text, static_cast<size_t>(line.length));
  EditorToOem(oem.data(), line.length);
  auto word_char = [&](int i) { return IsWordChar(static_cast<unsigned char>(oem[i])); };
  if (!word_char(pos)) {
    if (EFindTextAtCursor == TextAtCursorAny) return std::string(1, line.text[pos]);
    return std::nullopt;
  }
  int begin = pos;
  while (begin > 0 && word_char(begin - 1)) --begin;
  int end = pos;
  while (end < line.length && word_char(end)) ++end;
  return std::string(line.text + begin, static_cast<size_t>(end - begin));
}

std::optional<std::string> InitialSearchText() {
  std::optional<std::string> text;
  if (EFindSelection == 1) text = SelectedText();
  if (!text && EFindTextAtCursor != TextAtCursorNone) text = WordAtCursor();
  if (text) EditorToOem(text->data(), static_cast<int>(text->size()));
  return text;
}
