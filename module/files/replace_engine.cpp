// The replace scans: literal text, a pattern per line, and a pattern over a
// window of lines. Matches are searched with a start offset in the whole
// line (or window), so anchors, word boundaries and look-behinds see the
// text before the offset. After an empty match, a non-empty match at the
// same place is still taken (as perl does); failing that, the scan steps
// one character past it, which is then written as it is, so no scan can
// loop. A subject the pattern cannot decide, or a match too far into one
// subject for the offsets, leaves the whole file as it was, with a message.
#include "module/files/replace_engine.hpp"

#include <cstring>
#include <string>
#include <vector>

#include "module/match/case_table.hpp"
#include "module/match/scan.hpp"
#include "module/match/template.hpp"
#include "module/files/content_search.hpp"
#include "module/files/file_patterns.hpp"
#include "module/files/file_rewrite.hpp"
#include "module/files/file_warning.hpp"
#include "module/files/lines.hpp"
#include "module/files/queued_commits.hpp"
#include "module/files/replace_questions.hpp"
#include "module/files/replace_source.hpp"
#include "module/files/utf8_content.hpp"
#include "module/base/messages.hpp"
#include "module/base/run_state.hpp"
#include "module/base/settings.hpp"

namespace {

// The text is found with the same scan the file search uses, so the
// stretches between matches are skipped at its speed, not a byte at a time.
bool ReplacePlainText(const char* data, size_t size, FileRewrite& rewrite) {
  const uint8_t* table = FCaseSensitive ? nullptr : OemUpperTable;
  const std::string needle = MappedNeedle(FText, table);
  const size_t length = needle.size();
  for (size_t pos = 0; pos + length <= size;) {
    const long long found = FindForward(data + pos, size - pos, needle.data(), length, table);
    if (found < 0) break;
    pos += static_cast<size_t>(found);
    std::string r = ExpandTemplate(data, nullptr, 0, FRReplace.c_str(), "\n", nullptr);
    if (!rewrite.ReplaceMatch(pos, length, r)) return false;
    pos += length;
  }
  return true;
}

// After an empty match at pos with no non-empty match there, the scan goes
// on one character later; CR LF is one line end and is stepped over whole.
size_t StepPastEmptyMatch(const char* subject, size_t length, size_t pos) {
  return subject[pos] == '\r' && pos + 1 < length && subject[pos + 1] == '\n' ? 2 : 1;
}

// A subject the pattern could not decide leaves the whole file as it was.
bool RefuseFile(int run_result, const FileRewrite& rewrite) {
  const bool too_far = run_result == kPatternBeyondOffsets;
  ShowFileWarning(too_far ? "FRMatchTooFar" : "FRUndecided",
                  too_far ? MMatchTooFar : MReplaceUndecided, rewrite.FileName());
  return false;
}

// Replaces every match of TextPattern that starts and ends in
// data[from, to), searched as one subject that goes on to see_to: the text
// after `to` is seen by look-aheads and line-end tests but never matched.
// Returns false when the scan must stop; *end receives where the last
// match ended (from when there was none).
bool ReplaceInSubject(const char* data, size_t from, size_t to, size_t see_to,
                      FileRewrite& rewrite, size_t* end) {
  const char* subject = data + from;
  const size_t length = see_to - from;
  const size_t limit = to - from;
  // Only the file's end is a line's end: a subject that stops earlier has
  // more text after it.
  const int base_options = see_to < rewrite.SourceSize() ? kPatternNotEol : 0;
  OffsetVector v(TextPattern);
  std::vector<int> origins;
  *end = from;
  bool after_empty = false;  // the last match was empty and ended at pos
  for (size_t pos = 0; pos <= limit;) {
    const int options =
        base_options | (after_empty ? kPatternNotEmptyAtStart | kPatternAnchored : 0);
    int rc = RunPatternWithin(TextPattern, subject, length, pos, limit, options, v.data(), v.size());
    if (rc == kPatternNoMatch && after_empty) {
      if (pos == limit) break;
      pos += StepPastEmptyMatch(subject, limit, pos);
      after_empty = false;
      continue;
    }
    if (rc == kPatternNoMatch) break;
    if (rc < 0) return RefuseFile(rc, rewrite);
    const size_t start = static_cast<size_t>(v.Start(0));
    const size_t stop = static_cast<size_t>(v.End(0));
    after_empty = start == stop;
    pos = stop;
    // A window that starts where the last one's empty match was finds it
    // again; it was replaced already.
    if (after_empty && rewrite.ReplacedEmptyAt(from + start)) continue;
    std::string r = ExpandTemplate(subject, v.data(), TextPattern.CaptureCount() + 1,
                                   FRReplace.c_str(), "\n", nullptr, &origins);
    if (!rewrite.ReplaceMatch(from + start, stop - start, r, origins, from)) return false;
    *end = from + stop;
  }
  return true;
}

bool ReplaceLinePattern(const char* data, size_t size, FileRewrite& rewrite) {
  bool stopped = ForEachLine(data, size, [&](const Line& line) {
    if (line.text_end == line.start) return false;  // empty lines are not searched
    size_t end;
    return !ReplaceInSubject(data, line.start, line.text_end, line.text_end, rewrite, &end);
  });
  return !stopped;
}

// A window of SeveralLines whole lines slides over the data; after a match
// the next window starts with the line after the one the match ended in.
// The matcher sees as many lines again after the window, for look-aheads
// and line ends, but takes no match that ends beyond it.
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
    size_t end;
    if (!ReplaceInSubject(data_, window_start_, window_end_, SeenEnd(), rewrite_, &end))
      return false;
    window_start_ = end;
    if (window_start_ < window_end_) window_start_ = NextLineStart(data_, size_, window_start_);
    count_ = CountLines();
    return true;
  }

  size_t SeenEnd() const {
    size_t seen = window_end_;
    for (size_t i = 0; i < lines_ && seen < size_; i++) seen = NextLineStart(data_, size_, seen);
    return seen;
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
  platform::Utf8AsOem utf8;
  if (!ReadUtf8Source(&data, &size, &utf8, rewrite)) return false;
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
  ReplaceInFile(entry);
  TakeCommitOutcomes(results);
}
