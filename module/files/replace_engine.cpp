// The replace scans: literal text, a pattern per line, and a pattern over a
// window of lines. Matches are searched with a start offset in the whole
// line (or window), so anchors, word boundaries and look-behinds see the
// text before the offset. An empty match is replaced and the scan steps one
// byte past it, which is then written as it is, so no scan can loop.
#include "module/files/replace_engine.hpp"

#include <cstring>
#include <string>

#include "module/match/case_table.hpp"
#include "module/match/template.hpp"
#include "module/files/content_search.hpp"
#include "module/files/file_patterns.hpp"
#include "module/files/file_rewrite.hpp"
#include "module/files/lines.hpp"
#include "module/files/replace_questions.hpp"
#include "module/files/replace_source.hpp"
#include "module/base/run_state.hpp"
#include "module/base/settings.hpp"

namespace {

bool SameText(const char* a, const char* b, size_t length) {
  if (FCaseSensitive) return std::memcmp(a, b, length) == 0;
  for (size_t i = 0; i < length; i++)
    if (OemUpperTable[static_cast<uint8_t>(a[i])] != OemUpperTable[static_cast<uint8_t>(b[i])])
      return false;
  return true;
}

bool ReplacePlainText(const char* data, size_t size, FileRewrite& rewrite) {
  const std::string& text = FText;
  const size_t length = text.size();
  for (size_t pos = 0; pos + length <= size;) {
    if (!SameText(data + pos, text.data(), length)) {
      pos++;
      continue;
    }
    std::string r = ExpandTemplate(data, nullptr, 0, FRReplace.c_str(), "\n", nullptr);
    if (!rewrite.ReplaceMatch(pos, length, r)) return false;
    pos += length;
  }
  return true;
}

// Replaces every match of TextPattern in data[from, to), searched as one
// subject. Returns false when the scan must stop; *end receives where the
// last match ended (from when there was none).
bool ReplaceInSubject(const char* data, size_t from, size_t to, int options, FileRewrite& rewrite,
                      size_t* end) {
  const char* subject = data + from;
  const size_t length = to - from;
  OffsetVector v(TextPattern);
  *end = from;
  for (size_t pos = 0; pos <= length;) {
    if (RunPattern(TextPattern, subject, length, pos, options, v.data(), v.size()) < 0) break;
    const size_t start = static_cast<size_t>(v.Start(0));
    const size_t stop = static_cast<size_t>(v.End(0));
    if (start == stop && rewrite.ReplacedEmptyAt(from + start)) {
      if (stop == length) break;
      pos = stop + 1;
      continue;
    }
    std::string r = ExpandTemplate(subject, v.data(), TextPattern.CaptureCount() + 1,
                                   FRReplace.c_str(), "\n", nullptr);
    if (!rewrite.ReplaceMatch(from + start, stop - start, r)) return false;
    *end = from + stop;
    if (stop == length) break;
    pos = stop > start ? stop : stop + 1;
  }
  return true;
}

bool ReplaceLinePattern(const char* data, size_t size, FileRewrite& rewrite) {
  bool stopped = ForEachLine(data, size, [&](const Line& line) {
    if (line.text_end == line.start) return false;  // empty lines are not searched
    size_t end;
    return !ReplaceInSubject(data, line.start, line.text_end, 0, rewrite, &end);
  });
  return !stopped;
}

// A window of SeveralLines whole lines slides over the data; after a match
// the next window starts with the line after the one the match ended in.
class WindowScan {
 public:
  WindowScan(const char* data, size_t size, FileRewrite& rewrite)
      : data_(data), size_(size), rewrite_(rewrite),
        lines_(static_cast<size_t>(SeveralLines > 0 ? SeveralLines : 1)) {}

  bool Run() {
    while (window_end_ < size_) {
      window_end_ = NextLineStart(data_, size_, window_end_);
      if (++count_ == lines_ && !ReplaceInWindow()) return false;
    }
    while (window_start_ < window_end_)
      if (!ReplaceInWindow()) return false;
    return true;
  }

 private:
  bool ReplaceInWindow() {
    // Only the file's end is a line's end: a window that stops earlier has
    // more text after it.
    const int options = window_end_ < size_ ? kPatternNotEol : 0;
    size_t end;
    if (!ReplaceInSubject(data_, window_start_, window_end_, options, rewrite_, &end)) return false;
    window_start_ = end;
    if (window_start_ < window_end_) window_start_ = NextLineStart(data_, size_, window_start_);
    count_ = CountLines();
    return true;
  }

  size_t CountLines() const {
    size_t count = 0;
    for (size_t at = window_start_; at < window_end_; count++) at = NextLineStart(data_, size_, at);
    return count;
  }

  const char* data_;
  size_t size_;
  FileRewrite& rewrite_;
  const size_t lines_;
  size_t window_start_ = 0;
  size_t window_end_ = 0;
  size_t count_ = 0;
};

}  // namespace

bool ReplaceInBuffer(const char* data, size_t size, FileRewrite& rewrite) {
  // An empty search text replaces nothing, in every mode.
  if (FText.empty()) return false;
  StartRunFile();
  bool completed;
  switch (FSearchAs) {
    case AsPlainText: completed = ReplacePlainText(data, size, rewrite); break;
    case AsLinePattern: completed = ReplaceLinePattern(data, size, rewrite); break;
    case AsLinesWindowPattern: completed = WindowScan(data, size, rewrite).Run(); break;
    default: return false;
  }
  return completed && rewrite.WriteRest();
}

void ReplaceFileCallback(WIN32_FIND_DATAA& entry, ResultList& results) {
  if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return;
  if (ReplaceInFile(entry)) AddResult(entry, results);
}
