// The editor buffer: loading a file into lines with their own breaks, the
// EditorControl commands, and saving it back byte for byte.
#include "host/core/editor_buffer.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "host/core/char_tables.hpp"
#include "host/core/utf8_lines.hpp"
#include "platform/host_bridge.hpp"

namespace host {

namespace {

constexpr int kTabSize = 8;

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Non-blocking and checked with fstat, so a FIFO or a device never hangs
// the editor.
bool ReadWholeFile(const std::string& path, std::string* content, std::string* error) {
  FileDescriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat info {};
  if (fd.get() < 0 || fstat(fd.get(), &info) != 0) {
    *error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    *error = path + " is not a regular file";
    return false;
  }
  content->clear();
  char chunk[1 << 16];
  for (;;) {
    ssize_t got = read(fd.get(), chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      *error = "cannot read " + path + ": " + std::strerror(errno);
      return false;
    }
    if (got == 0) return true;
    content->append(chunk, static_cast<size_t>(got));
  }
}

// A line break at text[i], or kNone; *length receives its byte count.
LineBreak BreakAt(std::string_view text, size_t i, size_t* length) {
  if (text[i] == '\n') {
    *length = 1;
    return LineBreak::kLf;
  }
  if (text[i] != '\r') return LineBreak::kNone;
  bool pair = i + 1 < text.size() && text[i + 1] == '\n';
  *length = pair ? 2 : 1;
  return pair ? LineBreak::kCrLf : LineBreak::kCr;
}

// Line breaks the module may give a line; false for any other text.
bool ParseLineBreak(const char* text, LineBreak* eol) {
  for (LineBreak candidate : {LineBreak::kNone, LineBreak::kLf, LineBreak::kCr, LineBreak::kCrLf}) {
    if (std::strcmp(text, LineBreakText(candidate)) == 0) {
      *eol = candidate;
      return true;
    }
  }
  return false;
}

}  // namespace

const char* LineBreakText(LineBreak eol) {
  switch (eol) {
    case LineBreak::kLf: return "\n";
    case LineBreak::kCr: return "\r";
    case LineBreak::kCrLf: return "\r\n";
    case LineBreak::kNone: break;
  }
  return "";
}

std::unique_ptr<EditorBuffer> EditorBuffer::Load(const std::string& posix_path,
                                                 std::string* error) {
  std::string content;
  if (!ReadWholeFile(posix_path, &content, error)) return nullptr;
  auto buffer = std::make_unique<EditorBuffer>(content, posix_path);
  if (IsUtf8File(content)) buffer->SetCharTable(kUtf8Table);
  return buffer;
}

EditorBuffer::EditorBuffer(std::string_view content, std::string posix_path)
    : path_(std::move(posix_path)) {
  if (!path_.empty()) module_name_ = platform::ToModulePath(path_);
  bool first_break = true;
  size_t start = 0;
  for (size_t i = 0; i < content.size(); ++i) {
    size_t length = 0;
    LineBreak eol = BreakAt(content, i, &length);
    if (eol == LineBreak::kNone) continue;
    lines_.push_back(EditorLine{std::string(content.substr(start, i - start)), eol, {}});
    if (first_break) default_eol_ = eol;
    first_break = false;
    i += length - 1;
    start = i + 1;
  }
  // The text after the last break, possibly empty, is the last line.
  lines_.push_back(EditorLine{std::string(content.substr(start)), LineBreak::kNone, {}});
}

std::string EditorBuffer::Content() const {
  std::string content;
  size_t size = 0;
  for (const EditorLine& line : lines_) size += line.text.size() + 2;
  content.reserve(size);
  if (byte_order_mark_) content += "\xEF\xBB\xBF";
  for (const EditorLine& line : lines_) {
    content += table_ == kUtf8Table ? EncodeUtf8Line(line) : line.text;
    content += LineBreakText(line.eol);
  }
  return content;
}

bool EditorBuffer::Save(std::string* error) {
  if (path_.empty()) {
    *error = "the editor has no file to save to";
    return false;
  }
  if (!platform::WriteFileSafely(path_, Content(), error)) return false;
  modified_ = false;
  return true;
}

// Switching to or from UTF-8 re-reads the lines: their bytes are the file's
// in every other table.
bool EditorBuffer::SetCharTable(int table) {
  if (table == table_) return true;
  if (table != kOemTable && table != kUtf8Table && !GetCharTable(table)) return false;
  if (table == kUtf8Table && !DecodeUtf8Lines(&lines_, &byte_order_mark_)) return false;
  if (table_ == kUtf8Table) {
    for (EditorLine& line : lines_) line = EditorLine{EncodeUtf8Line(line), line.eol, {}};
    if (byte_order_mark_) lines_[0].text.insert(0, "\xEF\xBB\xBF");
    byte_order_mark_ = false;
  }
  deleted_.reset();
  table_ = table;
  return true;
}

void EditorBuffer::SetWindowSize(int columns, int rows) {
  columns_ = std::max(columns, 1);
  rows_ = std::max(rows, 1);
}

void EditorBuffer::SetCursor(int line, int pos) {
  cur_line_ = std::clamp(line, 0, line_count() - 1);
  cur_pos_ = std::max(pos, 0);
}

void EditorBuffer::SetView(int top_line, int left_pos) {
  top_line_ = std::clamp(top_line, 0, line_count() - 1);
  left_pos_ = std::max(left_pos, 0);
}

void EditorBuffer::SelectStream(int start_line, int start_pos, int end_line, int end_pos) {
  block_ = EditorBlock{BTYPE_STREAM, start_line, start_pos, end_line, end_pos};
}

void EditorBuffer::SelectColumns(int start_line, int start_pos, int end_line, int end_pos) {
  block_ = EditorBlock{BTYPE_COLUMN, start_line, start_pos, end_line, end_pos};
}

std::pair<int, int> EditorBuffer::SelectionOn(int line) const {
  const EditorBlock& b = block_;
  if (b.type == BTYPE_NONE || line < b.start_line || line > b.end_line) return {-1, -1};
  if (b.type == BTYPE_COLUMN) return {b.start_pos, b.end_pos};
  if (b.start_line == b.end_line) return {b.start_pos, b.end_pos};
  if (line == b.start_line) return {b.start_pos, -1};
  if (line < b.end_line) return {0, -1};
  // A block that ends at the very start of its last line selects nothing
  // there: its last selected character is the previous line's break.
  if (b.end_pos == 0) return {-1, -1};
  return {0, b.end_pos};
}

int EditorBuffer::RealToTab(int line, int pos) const {
  const std::string& text = lines_[line].text;
  int column = 0;
  int inside = std::min(pos, static_cast<int>(text.size()));
  for (int i = 0; i < inside; ++i)
    column = text[i] == '\t' ? (column / kTabSize + 1) * kTabSize : column + 1;
  return column + (pos - inside);
}

int EditorBuffer::TabToReal(int line, int tab_pos) const {
  const std::string& text = lines_[line].text;
  int column = 0;
  for (int i = 0; i < static_cast<int>(text.size()); ++i) {
    int next = text[i] == '\t' ? (column / kTabSize + 1) * kTabSize : column + 1;
    if (tab_pos < next) return i;
    column = next;
  }
  return static_cast<int>(text.size()) + (tab_pos - column);
}

int EditorBuffer::Control(int command, void* param) {
  if (command != ECTL_SETSTRING && command != ECTL_SETPOSITION) deleted_.reset();
  switch (command) {
    case ECTL_GETSTRING: return GetString(static_cast<EditorGetString*>(param));
    case ECTL_SETSTRING: return SetString(static_cast<const EditorSetString*>(param));
    case ECTL_INSERTSTRING: return InsertString();
    case ECTL_DELETESTRING: return DeleteString();
    case ECTL_GETINFO: return GetInfo(static_cast<EditorInfo*>(param));
    case ECTL_SETPOSITION: return SetPosition(static_cast<const EditorSetPosition*>(param));
    case ECTL_SELECT: return Select(static_cast<const EditorSelect*>(param));
    case ECTL_REDRAW: ++redraws_; return TRUE;
    case ECTL_EDITORTOOEM: return Convert(static_cast<EditorConvertText*>(param), true);
    case ECTL_OEMTOEDITOR: return Convert(static_cast<EditorConvertText*>(param), false);
    case ECTL_REALTOTAB: return ConvertPos(static_cast<EditorConvertPos*>(param), true);
    case ECTL_TABTOREAL: return ConvertPos(static_cast<EditorConvertPos*>(param), false);
    default: return FALSE;
  }
}

int EditorBuffer::GetString(EditorGetString* get) {
  if (!get) return FALSE;
  int number = LineOrCurrent(get->StringNumber);
  if (!ValidLine(number)) return FALSE;
  const EditorLine& line = lines_[number];
  get->StringText = line.text.c_str();
  get->StringEOL = LineBreakText(line.eol);
  get->StringLength = static_cast<int>(line.text.size());
  std::tie(get->SelStart, get->SelEnd) = SelectionOn(number);
  return TRUE;
}

int EditorBuffer::SetString(const EditorSetString* set) {
  if (!set || set->StringLength < 0 || (set->StringLength > 0 && !set->StringText)) return FALSE;
  int number = LineOrCurrent(set->StringNumber);
  if (!ValidLine(number)) return FALSE;
  LineBreak eol = lines_[number].eol;
  if (set->StringEOL && !ParseLineBreak(set->StringEOL, &eol)) return FALSE;
  std::string_view text(set->StringText ? set->StringText : "",
                        static_cast<size_t>(set->StringLength));
  if (table_ == kUtf8Table) lines_[number].placeholders = PlaceholdersOfNewText(number, text);
  deleted_.reset();
  lines_[number].text.assign(text);
  lines_[number].eol = eol;
  MendLineBreaks(number);
  modified_ = true;
  return TRUE;
}

// Splits the cursor line at the cursor; the cursor goes to the start of the
// new line, which keeps the split line's break.
int EditorBuffer::InsertString() {
  EditorLine& line = lines_[cur_line_];
  size_t split = std::min(static_cast<size_t>(cur_pos_), line.text.size());
  EditorLine tail{line.text.substr(split), line.eol, PlaceholdersFrom(line, split)};
  line.placeholders = PlaceholdersBefore(line, split);
  line.text.resize(split);
  lines_.insert(lines_.begin() + cur_line_ + 1, std::move(tail));
  MendLineBreaks(cur_line_);
  ShiftBlockForInsert(cur_line_);
  ++cur_line_;
  cur_pos_ = 0;
  modified_ = true;
  return TRUE;
}

// An editor always holds a line: deleting the only one leaves it empty.
int EditorBuffer::DeleteString() {
  if (table_ == kUtf8Table) deleted_ = DeletedLine{lines_[cur_line_], cur_line_};
  ShiftBlockForDelete(cur_line_);
  lines_.erase(lines_.begin() + cur_line_);
  if (lines_.empty()) lines_.push_back(EditorLine{});
  cur_line_ = std::min(cur_line_, line_count() - 1);
  top_line_ = std::min(top_line_, line_count() - 1);
  modified_ = true;
  return TRUE;
}

int EditorBuffer::GetInfo(EditorInfo* info) const {
  if (!info) return FALSE;
  *info = EditorInfo{};
  info->FileName = module_name_.c_str();
  info->WindowSizeX = columns_;
  info->WindowSizeY = rows_;
  info->TotalLines = line_count();
  info->CurLine = cur_line_;
  info->CurPos = cur_pos_;
  info->CurTabPos = RealToTab(cur_line_, cur_pos_);
  info->TopScreenLine = top_line_;
  info->LeftPos = left_pos_;
  info->Overtype = overtype_;
  info->BlockType = block_.type;
  info->BlockStartLine = block_.type == BTYPE_NONE ? 0 : block_.start_line;
  info->TableNum = table_;
  info->TabSize = kTabSize;
  return TRUE;
}

int EditorBuffer::SetPosition(const EditorSetPosition* position) {
  if (!position) return FALSE;
  if (position->CurLine != -1) cur_line_ = std::clamp(position->CurLine, 0, line_count() - 1);
  if (position->CurTabPos != -1)
    cur_pos_ = TabToReal(cur_line_, std::max(position->CurTabPos, 0));
  else if (position->CurPos != -1)
    cur_pos_ = std::max(position->CurPos, 0);
  if (position->TopScreenLine != -1)
    top_line_ = std::clamp(position->TopScreenLine, 0, line_count() - 1);
  if (position->LeftPos != -1) left_pos_ = std::max(position->LeftPos, 0);
  if (position->Overtype != -1) overtype_ = position->Overtype != 0;
  return TRUE;
}

int EditorBuffer::Select(const EditorSelect* select) {
  if (!select) return FALSE;
  if (select->BlockType == BTYPE_NONE) {
    ClearBlock();
    return TRUE;
  }
  int start = select->BlockStartLine;
  int end = start + select->BlockHeight - 1;
  if (select->BlockHeight < 1 || !ValidLine(start) || !ValidLine(end) ||
      select->BlockStartPos < 0)
    return FALSE;
  int end_pos = select->BlockStartPos + select->BlockWidth;
  if (select->BlockType == BTYPE_COLUMN) {
    if (select->BlockWidth < 0) return FALSE;
    if (select->BlockWidth == 0) ClearBlock();
    else SelectColumns(start, select->BlockStartPos, end, end_pos);
    return TRUE;
  }
  if (select->BlockType != BTYPE_STREAM) return FALSE;
  // A negative end means through the last line's break.
  if (end_pos < 0) end_pos = -1;
  if (start == end && end_pos != -1) {
    if (end_pos < select->BlockStartPos) return FALSE;
    // Nothing to show for an empty stream: no block.
    if (end_pos == select->BlockStartPos) {
      ClearBlock();
      return TRUE;
    }
  }
  SelectStream(start, select->BlockStartPos, end, end_pos);
  return TRUE;
}

int EditorBuffer::Convert(EditorConvertText* text, bool to_oem) const {
  if (!text || text->TextLength < 0 || (text->TextLength > 0 && !text->Text)) return FALSE;
  if (table_ == kOemTable || table_ == kUtf8Table) return TRUE;
  const CharTableSet* table = GetCharTable(table_);
  const unsigned char* map = to_oem ? table->DecodeTable : table->EncodeTable;
  auto* bytes = reinterpret_cast<unsigned char*>(text->Text);
  for (int i = 0; i < text->TextLength; ++i) bytes[i] = map[bytes[i]];
  return TRUE;
}

int EditorBuffer::ConvertPos(EditorConvertPos* pos, bool to_tab) const {
  if (!pos) return FALSE;
  int line = LineOrCurrent(pos->StringNumber);
  if (!ValidLine(line) || pos->SrcPos < 0) return FALSE;
  pos->DestPos = to_tab ? RealToTab(line, pos->SrcPos) : TabToReal(line, pos->SrcPos);
  return TRUE;
}

// A line the module or a key sets keeps its placeholders where its text
// kept them. Lines are joined by deleting the lower one and setting the
// upper one to both texts (the module's replace across lines keeps the
// lower one's end): the end the new text shares with the deleted line
// brings that line's placeholders along.
std::vector<std::string> EditorBuffer::PlaceholdersOfNewText(int line, std::string_view text) {
  const EditorLine& old = lines_[line];
  const size_t edit_at = line == cur_line_ ? static_cast<size_t>(cur_pos_) : std::string_view::npos;
  if (!deleted_ || deleted_->number != line + 1)
    return KeptPlaceholders(old, text, moved_placeholders_, edit_at);
  const std::string_view lower = deleted_->line.text;
  size_t shared = 0;
  while (shared < std::min(lower.size(), text.size()) &&
         lower[lower.size() - 1 - shared] == text[text.size() - 1 - shared])
    shared++;
  std::vector<std::string> kept =
      KeptPlaceholders(old, text.substr(0, text.size() - shared), moved_placeholders_, edit_at);
  for (std::string& bytes : PlaceholdersFrom(deleted_->line, lower.size() - shared))
    kept.push_back(std::move(bytes));
  return kept;
}

void EditorBuffer::MendLineBreaks(int line) {
  if (line < line_count() - 1 && lines_[line].eol == LineBreak::kNone)
    lines_[line].eol = default_eol_;
}

void EditorBuffer::ShiftBlockForInsert(int split_line) {
  if (block_.type == BTYPE_NONE || split_line > block_.end_line) return;
  if (split_line < block_.start_line) ++block_.start_line;
  ++block_.end_line;
}

void EditorBuffer::ShiftBlockForDelete(int deleted_line) {
  if (block_.type == BTYPE_NONE || deleted_line > block_.end_line) return;
  if (deleted_line < block_.start_line) --block_.start_line;
  --block_.end_line;
  if (block_.end_line < block_.start_line) ClearBlock();
}

}  // namespace host
