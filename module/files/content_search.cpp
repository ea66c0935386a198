// The content tests. Files are searched in place: only the character-table
// alternatives of a pattern test copy the data, once per table. They read
// the settings and the prepared patterns and write nothing shared, so the
// file search runs them on several threads at once.
#include "module/files/content_search.hpp"

#include <algorithm>
#include <deque>
#include <utility>
#include <vector>

#include "module/match/case_table.hpp"
#include "module/match/scan.hpp"
#include "module/files/char_sets.hpp"
#include "module/files/file_patterns.hpp"
#include "module/files/lines.hpp"
#include "module/base/settings.hpp"

namespace {

// Set when a pattern could not decide part of the thread's current file.
thread_local bool Undecided = false;

bool Matched(int run_result) {
  if (run_result == kPatternUndecided) Undecided = true;
  return run_result > 0;
}

bool Scan(const char* data, size_t length, const std::string& text, const uint8_t* table) {
  return FindForward(data, length, text.data(), text.size(), table) >= 0;
}

bool LinePatternTest(const char* data, size_t length) {
  return ForEachLine(data, length, [&](const Line& line) {
    return PatternTest(TextPattern, data + line.start, line.text_end - line.start);
  });
}

// Every run of SeveralLines consecutive lines, line ends included; at the
// end the last lines once more as shorter windows. The matcher sees as many
// lines again after a window, for look-aheads and line ends, but takes no
// match that ends beyond it.
bool WindowPatternTest(const char* data, size_t length) {
  const size_t n = static_cast<size_t>(SeveralLines > 0 ? SeveralLines : 1);
  std::deque<size_t> starts;
  size_t window_end = 0;
  auto test_window = [&] {
    size_t seen_end = window_end;
    for (size_t i = 0; i < n && seen_end < length; i++)
      seen_end = NextLineStart(data, length, seen_end);
    // Only the file's end is a line's end: a subject that stops earlier has
    // more text after it.
    const int options = seen_end < length ? kPatternNotEol : 0;
    return PatternTest(TextPattern, data + starts.front(), seen_end - starts.front(), options,
                       window_end - starts.front());
  };
  if (ForEachLine(data, length, [&](const Line& line) {
        starts.push_back(line.start);
        window_end = line.end;
        if (starts.size() < n) return false;
        bool found = test_window();
        starts.pop_front();
        return found;
      }))
    return true;
  for (; !starts.empty(); starts.pop_front())
    if (test_window()) return true;
  return false;
}

bool WordTest(const char* data, size_t length, const SearchWord& word, bool pattern_words) {
  if (word.text.empty()) return true;
  return pattern_words ? PatternTest(word.pattern, data, length)
                       : PlainTest(data, length, word.text);
}

bool WordListTest(const char* data, size_t length, bool pattern_words) {
  bool optional_seen = false;
  bool optional_found = false;
  for (const SearchWord& word : SearchWords) {
    if (word.sign == '+' && !WordTest(data, length, word, pattern_words)) return false;
    if (word.sign == '-' && WordTest(data, length, word, pattern_words)) return false;
    if (word.sign == 0) {
      optional_seen = true;
      if (!optional_found) optional_found = WordTest(data, length, word, pattern_words);
    }
  }
  return !optional_seen || optional_found;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool PlainTest(const char* data, size_t length, const std::string& text) {
  std::string needle = text;
  if (!FCaseSensitive)
    for (char& c : needle) c = static_cast<char>(OemUpperTable[static_cast<uint8_t>(c)]);
  if (Scan(data, length, needle, FCaseSensitive ? nullptr : OemUpperTable)) return true;
  if (!FAllCharTables) return false;
  const std::vector<ByteTable>& tables = FCaseSensitive ? DecodeTables : UpperDecodeTables;
  for (const ByteTable& table : tables)
    if (Scan(data, length, needle, table.data())) return true;
  return false;
}

bool PatternTest(const SearchPattern& pattern, const char* data, size_t length, int options,
                 size_t end_limit) {
  auto test = [&](const char* subject) {
    return Matched(RunPatternWithin(pattern, subject, length, 0, std::min(end_limit, length),
                                    options, nullptr, 0));
  };
  if (test(data)) return true;
  if (!FAllCharTables || DecodeTables.empty()) return false;
  std::vector<char> decoded(length);
  for (const ByteTable& table : DecodeTables) {
    for (size_t i = 0; i < length; i++)
      decoded[i] = static_cast<char>(table[static_cast<uint8_t>(data[i])]);
    if (test(decoded.data())) return true;
  }
  return false;
}

std::string TakeWord(std::string& list) {
  size_t i = 0;
  while (i < list.size() && IsBlank(list[i])) i++;
  std::string word;
  if (i < list.size() && (list[i] == '"' || list[i] == '\'' || list[i] == '`')) {
    char quote = list[i++];
    size_t close = list.find(quote, i);
    if (close == std::string::npos) close = list.size();
    word = list.substr(i, close - i);
    i = close < list.size() ? close + 1 : close;
  } else {
    size_t end = i;
    while (end < list.size() && !IsBlank(list[end])) end++;
    word = list.substr(i, end - i);
    i = end < list.size() ? end + 1 : end;
  }
  while (i < list.size() && IsBlank(list[i])) i++;
  list.erase(0, i);
  return word;
}

bool TakeContentUndecided() { return std::exchange(Undecided, false); }

bool ContentMatches(const char* data, size_t length) {
  Undecided = false;
  switch (FSearchAs) {
    case AsLinePattern: return LinePatternTest(data, length);
    case AsLinesWindowPattern: return WindowPatternTest(data, length);
    case AsFilePattern: return Matched(RunPattern(TextPattern, data, length, 0, 0, nullptr, 0));
    case AsPlainWords: return WordListTest(data, length, false);
    case AsPatternWords: return WordListTest(data, length, true);
    default: return PlainTest(data, length, FText);
  }
}
