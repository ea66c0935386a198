// The host's editor: one file's lines in memory, each with the line break it
// had in the file, the cursor, the view and the block, and the EditorControl
// commands through which the module reads and edits them. Lines hold the
// file's own bytes; the character table (OEM, Windows-1251 or KOI8-R) only
// converts text on its way to and from the module, so saving writes back
// exactly what was read plus what was changed. A UTF-8 file is the
// exception: its lines hold code page 866 text with placeholders for the
// characters 866 lacks (see utf8_lines.hpp), encoded again when saved.
#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sdk/plugin.hpp"

namespace host {

enum class LineBreak : unsigned char { kNone, kLf, kCr, kCrLf };

// The bytes of a line break; "" for kNone.
const char* LineBreakText(LineBreak eol);

struct EditorLine {
  std::string text;  // without the line break; may hold any byte, NUL included
  LineBreak eol = LineBreak::kNone;
  // With the UTF-8 table only: the file's bytes of each placeholder in
  // text, in order.
  std::vector<std::string> placeholders;
};

// Only the last line may lack a line break: a line that stops being the
// last, or is given no break by the module, gets the file's first break
// (LF when the file had none), so saving never joins two lines.
struct EditorBlock {
  int type = BTYPE_NONE;
  int start_line = 0;
  int start_pos = 0;
  int end_line = 0;  // inclusive
  // Exclusive end column. Stream: on end_line, -1 through its line break.
  // Column: on every line of the block.
  int end_pos = 0;
};

class EditorBuffer {
 public:
  // Table number of the module's own code page: no conversion.
  static constexpr int kOemTable = -1;
  // Table number of UTF-8: the lines hold 866 text, so no conversion either.
  static constexpr int kUtf8Table = -2;

  // Reads a whole regular file, shown in UTF-8 when it is valid UTF-8 with
  // a non-ASCII character; null with a one-line reason otherwise.
  static std::unique_ptr<EditorBuffer> Load(const std::string& posix_path, std::string* error);
  // A buffer over the given bytes, for a file at posix_path (which need not
  // exist until it is saved).
  explicit EditorBuffer(std::string_view content, std::string posix_path = "");

  // The EditorControl service: TRUE when the command was carried out.
  int Control(int command, void* param);

  // Writes every line and its break back through the safe rewrite; false
  // with a reason, and the file as it was, when that fails.
  bool Save(std::string* error);
  std::string Content() const;

  // The character table the file is shown in: kOemTable, kUtf8Table, or a
  // host table (0 Windows-1251, 1 KOI8-R, 2 ISO-8859-5). False for another
  // number, and for UTF-8 when the text is not valid UTF-8.
  bool SetCharTable(int table);
  int char_table() const { return table_; }
  void SetWindowSize(int columns, int rows);

  // Cursor and view; the cursor line is kept inside the text, the column
  // may lie beyond the end of its line.
  void SetCursor(int line, int pos);
  void SetView(int top_line, int left_pos);
  // A stream block from (start_line, start_pos) to the exclusive end
  // (end_line, end_pos), or a column block over those lines and columns.
  void SelectStream(int start_line, int start_pos, int end_line, int end_pos);
  void SelectColumns(int start_line, int start_pos, int end_line, int end_pos);
  void ClearBlock() { block_ = EditorBlock{}; }

  const std::string& path() const { return path_; }
  const std::vector<EditorLine>& lines() const { return lines_; }
  int line_count() const { return static_cast<int>(lines_.size()); }
  int cur_line() const { return cur_line_; }
  int cur_pos() const { return cur_pos_; }
  int top_line() const { return top_line_; }
  int left_pos() const { return left_pos_; }
  bool overtype() const { return overtype_; }
  int window_columns() const { return columns_; }
  int window_rows() const { return rows_; }
  const EditorBlock& block() const { return block_; }
  bool modified() const { return modified_; }
  int redraws() const { return redraws_; }

  // (SelStart, SelEnd) of a line as ECTL_GETSTRING reports them: (-1, -1)
  // for a line with nothing selected; SelEnd -1 when the line break is
  // selected too.
  std::pair<int, int> SelectionOn(int line) const;
  // Screen column of a byte column with tabs of 8, and back.
  int RealToTab(int line, int pos) const;
  int TabToReal(int line, int tab_pos) const;

 private:
  int GetString(EditorGetString* get);
  int SetString(const EditorSetString* set);
  int InsertString();
  int DeleteString();
  int GetInfo(EditorInfo* info) const;
  int SetPosition(const EditorSetPosition* position);
  int Select(const EditorSelect* select);
  int Convert(EditorConvertText* text, bool to_oem) const;
  int ConvertPos(EditorConvertPos* pos, bool to_tab) const;

  bool ValidLine(int line) const { return line >= 0 && line < line_count(); }
  int LineOrCurrent(int number) const { return number == -1 ? cur_line_ : number; }
  // Keeps the only-the-last-line-lacks-a-break rule after an edit.
  void MendLineBreaks(int line);
  void ShiftBlockForInsert(int split_line);
  void ShiftBlockForDelete(int deleted_line);
  std::vector<std::string> PlaceholdersOfNewText(int line, std::string_view text);

  std::string path_;
  std::string module_name_;  // the file's name in the module's form, for ECTL_GETINFO
  std::vector<EditorLine> lines_;
  LineBreak default_eol_ = LineBreak::kLf;
  int table_ = kOemTable;
  bool byte_order_mark_ = false;  // UTF-8 table: the file starts with one, kept off the lines
  // UTF-8 table: the line the last ECTL_DELETESTRING took and where it was,
  // so that the join which sets the line above it next keeps its
  // placeholders. Only a position change may come in between.
  struct DeletedLine {
    EditorLine line;
    int number;
  };
  std::optional<DeletedLine> deleted_;
  // UTF-8 table: placeholders an edit took out of a line, in order, for the
  // edit that puts them back (see KeptPlaceholders).
  std::deque<std::string> moved_placeholders_;
  int columns_ = 80;
  int rows_ = 24;
  int cur_line_ = 0;
  int cur_pos_ = 0;
  int top_line_ = 0;
  int left_pos_ = 0;
  bool overtype_ = false;
  EditorBlock block_;
  bool modified_ = false;
  int redraws_ = 0;
};

}  // namespace host
