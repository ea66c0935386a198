// The content tests. Files are searched in place: only the character-table
// alternatives of a pattern test copy the data, once per table. They read
// the settings and the prepared patterns and write nothing shared, so the
// file search runs them on several threads at once.
#include "module/files/content_search.hpp"

#include <algorithm>
#include <bitset>
#include <deque>
#include <optional>
#include <utility>
#include <vector>

#include "module/match/case_table.hpp"
#include "module/match/scan.hpp"
#include "module/files/char_sets.hpp"
#include "module/files/file_patterns.hpp"
#include "module/files/lines.hpp"
#include "module/files/utf8_content.hpp"
#include "module/base/settings.hpp"

namespace {

// Set when a pattern could not decide part of the thread's current file.
thread_local bool Undecided = false;

bool Matched(int run_result) {
  if (run_result == kPatternUndecided) Undecided = true;
  return run_result > 0;
}

// The text as the scans look for it: upper case unless case matters.
std::string FoldedNeedle(const std::string& text) {
  return MappedNeedle(text, FCaseSensitive ? nullptr : OemUpperTable);
}

bool Scan(const char* data, size_t length, const std::string& text, const uint8_t* table) {
  return FindForward(data, length, text.data(), text.size(), table) >= 0;
}

bool LineTest(const char* data, const Line& line) {
  return PatternTest(TextPattern, data + line.start, line.text_end - line.start);
}

// Only the lines that hold the pattern's required literal can match, so
// the fast scan finds them and the matcher runs on those alone. Not with
// the other character tables, whose decoded lines may hold it instead.
bool RequiredLiteralLineTest(const char* data, size_t length, const RequiredLiteral& required) {
  const uint8_t* table = required.caseless ? OemUpperTable : nullptr;
  const std::string needle = MappedNeedle(required.bytes, table);
  for (size_t from = 0; from < length;) {
    const long long found = FindForward(data + from, length - from, needle.data(), needle.size(), table);
    if (found < 0) return false;
    const Line line = LineAround(data, length, from + static_cast<size_t>(found));
    if (LineTest(data, line)) return true;
    from = line.end;
  }
  return false;
}

bool LinePatternTest(const char* data, size_t length) {
  const RequiredLiteral& required = TextPattern.Required();
  if (!required.bytes.empty() && !(FAllCharTables && !DecodeTables.empty()))
    return RequiredLiteralLineTest(data, length, required);
  return ForEachLine(data, length, [&](const Line& line) { return LineTest(data, line); });
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

// A word is in a UTF-8 file when it is in its bytes or in its code page
// 866 view, so an excluded word excludes the file in either form.
bool WordListTest(const char* data, size_t length, bool pattern_words) {
  // The view is decoded only when a word is not in the bytes as they are.
  platform::Utf8AsOem view;
  std::optional<bool> utf8;
  auto test = [&](const SearchWord& word) {
    if (WordTest(data, length, word, pattern_words)) return true;
    if (!word.needs_utf8_view) return false;
    if (!utf8) utf8 = ViewUtf8File(data, length, &view);
    return *utf8 && WordTest(view.text().data(), view.text().size(), word, pattern_words);
  };
  bool optional_seen = false;
  bool optional_found = false;
  for (const SearchWord& word : SearchWords) {
    if (word.sign == '+' && !test(word)) return false;
    if (word.sign == '-' && test(word)) return false;
    if (word.sign == 0) {
      optional_seen = true;
      if (!optional_found) optional_found = test(word);
    }
  }
  return !optional_seen || optional_found;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The tests that look at the data as one whole, not word by word.
bool WholeTest(const char* data, size_t length) {
  switch (FSearchAs) {
    case AsLinePattern: return LinePatternTest(data, length);
    case AsLinesWindowPattern: return WindowPatternTest(data, length);
    case AsFilePattern: return Matched(RunPattern(TextPattern, data, length, 0, 0, nullptr, 0));
    default: return PlainTest(data, length, FText);
  }
}

}  // namespace

int PlainTableOf(const char* data, size_t length, const std::string& text) {
  const std::string needle = FoldedNeedle(text);
  if (Scan(data, length, needle, FCaseSensitive ? nullptr : OemUpperTable)) return kOemTable;
  if (!FAllCharTables) return kNoTable;
  const std::vector<ByteTable>& tables = FCaseSensitive ? DecodeTables : UpperDecodeTables;
  for (size_t t = 0; t < tables.size(); t++)
    if (Scan(data, length, needle, tables[t].data())) return static_cast<int>(t);
  return kNoTable;
}

bool PlainTest(const char* data, size_t length, const std::string& text) {
  return PlainTableOf(data, length, text) != kNoTable;
}

int PatternTableOf(const SearchPattern& pattern, const char* data, size_t length, int options,
                   size_t end_limit) {
  auto test = [&](const char* subject) {
    return Matched(RunPatternWithin(pattern, subject, length, 0, std::min(end_limit, length),
                                    options, nullptr, 0));
  };
  if (test(data)) return kOemTable;
  if (!FAllCharTables || DecodeTables.empty()) return kNoTable;
  std::vector<char> decoded(length);
  for (size_t t = 0; t < DecodeTables.size(); t++) {
    DecodeWith(DecodeTables[t], data, length, decoded.data());
    if (test(decoded.data())) return static_cast<int>(t);
  }
  return kNoTable;
}

bool PatternTest(const SearchPattern& pattern, const char* data, size_t length, int options,
                 size_t end_limit) {
  return PatternTableOf(pattern, data, length, options, end_limit) != kNoTable;
}

bool Utf8ViewMayAddMatches(const std::string& text) {
  std::bitset<256> in_needle;
  for (char c : FoldedNeedle(text)) in_needle.set(static_cast<uint8_t>(c));
  const auto placeholder = static_cast<uint8_t>(platform::kUtf8Placeholder);
  auto reaches_needle = [&](const uint8_t* table) {
    auto seen_as = [table](int byte) { return table ? table[byte] : byte; };
    for (int byte = 0x80; byte < 0x100; ++byte)
      if (in_needle[seen_as(byte)]) return true;
    return bool(in_needle[seen_as(placeholder)]);
  };
  if (reaches_needle(FCaseSensitive ? nullptr : OemUpperTable)) return true;
  if (!FAllCharTables) return false;
  const std::vector<ByteTable>& tables = FCaseSensitive ? DecodeTables : UpperDecodeTables;
  return std::any_of(tables.begin(), tables.end(),
                     [&](const ByteTable& table) { return reaches_needle(table.data()); });
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
  if (FSearchAs == AsPlainWords || FSearchAs == AsPatternWords)
    return WordListTest(data, length, FSearchAs == AsPatternWords);
  // The bytes as they are first: a UTF-8 file is decoded only when they do
  // not match.
  if (WholeTest(data, length)) return true;
  if (FSearchAs == AsPlainText && !PlainTextNeedsUtf8View) return false;
  platform::Utf8AsOem view;
  return ViewUtf8File(data, length, &view) && WholeTest(view.text().data(), view.text().size());
}
