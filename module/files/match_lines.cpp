// Finding the lines behind a match. A line is tested the way the search
// tests it (the same scans, patterns and character tables), so a line is
// shown as matching exactly when the search would have found it alone.
#include "module/files/match_lines.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "module/base/settings.hpp"
#include "module/files/char_sets.hpp"
#include "module/files/content_search.hpp"
#include "module/files/file_patterns.hpp"
#include "module/files/lines.hpp"

namespace {

struct MatchStart {
  size_t offset;
  int table;
};

// The data as OEM text and as each character table shows it; a table's
// copy is made on first need and kept for the rest of the file.
class DataViews {
 public:
  DataViews(const char* data, size_t length)
      : data_(data), length_(length), decoded_(FAllCharTables ? DecodeTables.size() : 0) {}

  int TableCount() const { return static_cast<int>(decoded_.size()); }

  const char* View(int table) {
    if (table == kOemTable) return data_;
    std::vector<char>& copy = decoded_[static_cast<size_t>(table)];
    if (copy.empty()) {
      copy.resize(length_);
      DecodeWith(DecodeTables[static_cast<size_t>(table)], data_, length_, copy.data());
    }
    return copy.data();
  }

 private:
  const char* data_;
  size_t length_;
  std::vector<std::vector<char>> decoded_;
};

// Modes that test one line at a time: each line for which table_of finds a
// table.
template <typename TableOf>
void VisitPassingLines(const char* data, size_t length, TableOf table_of,
                       const MatchedLineVisit& visit) {
  int64_t number = 0;
  ForEachLine(data, length, [&](const Line& line) {
    number++;
    const int table = table_of(data + line.start, line.text_end - line.start);
    return table != kNoTable && !visit({number, line.start, line.text_end, table});
  });
}

// The lines holding the match starts, each once, in file order.
void VisitLinesOfStarts(std::vector<MatchStart>& starts, const char* data, size_t length,
                        const MatchedLineVisit& visit) {
  std::stable_sort(starts.begin(), starts.end(),
                   [](const MatchStart& a, const MatchStart& b) { return a.offset < b.offset; });
  size_t next = 0;
  int64_t number = 0;
  ForEachLine(data, length, [&](const Line& line) {
    number++;
    if (next == starts.size()) return true;
    if (starts[next].offset >= line.end) return false;
    const MatchedLine matched{number, line.start, line.text_end, starts[next].table};
    while (next < starts.size() && starts[next].offset < line.end) next++;
    return !visit(matched);
  });
}

// Where the pattern's matches start in one view, at most one per line:
// after a match the scan goes on from the next line, as only lines count.
void CollectMatchStarts(const SearchPattern& pattern, const char* subject, size_t length,
                        int table, std::vector<MatchStart>& starts) {
  OffsetVector offsets(pattern);
  for (size_t from = 0; from < length;) {
    if (RunPattern(pattern, subject, length, from, 0, offsets.data(), offsets.size()) <= 0)
      return;
    const auto start = static_cast<size_t>(offsets.Start(0));
    starts.push_back({start, table});
    from = NextLineStart(subject, length, start);
  }
}

// The starts in the first view where the pattern matches at all: the view
// the search would have found the file through.
void CollectFirstViewStarts(const SearchPattern& pattern, DataViews& views, size_t length,
                            std::vector<MatchStart>& starts) {
  for (int table = kOemTable; table < views.TableCount(); table++) {
    const size_t before = starts.size();
    CollectMatchStarts(pattern, views.View(table), length, table, starts);
    if (starts.size() > before) return;
  }
}

// A window of lines starting at each line in turn, seen and limited as the
// search sees it; the line counts when a match in that window starts on it.
void CollectWindowStarts(const char* data, size_t length, DataViews& views,
                         std::vector<MatchStart>& starts) {
  const size_t n = static_cast<size_t>(SeveralLines > 0 ? SeveralLines : 1);
  OffsetVector offsets(TextPattern);
  ForEachLine(data, length, [&](const Line& line) {
    size_t window_end = line.start;
    for (size_t i = 0; i < n && window_end < length; i++)
      window_end = NextLineStart(data, length, window_end);
    size_t seen_end = window_end;
    for (size_t i = 0; i < n && seen_end < length; i++)
      seen_end = NextLineStart(data, length, seen_end);
    const int options = seen_end < length ? kPatternNotEol : 0;
    for (int table = kOemTable; table < views.TableCount(); table++) {
      const int found = RunPatternWithin(TextPattern, views.View(table) + line.start,
                                         seen_end - line.start, 0, window_end - line.start,
                                         options, offsets.data(), offsets.size());
      if (found > 0 && static_cast<size_t>(offsets.Start(0)) < line.end - line.start) {
        starts.push_back({line.start + static_cast<size_t>(offsets.Start(0)), table});
        break;
      }
    }
    return false;
  });
}

// Whether the word's presence decided a found file: required and optional
// words do; excluded ones are absent from a found file.
bool Decides(const SearchWord& word) { return word.sign != '-' && !word.text.empty(); }

void VisitPlainWordLines(const char* data, size_t length, const MatchedLineVisit& visit) {
  VisitPassingLines(data, length, [](const char* line, size_t size) {
    for (const SearchWord& word : SearchWords)
      if (Decides(word))
        if (int table = PlainTableOf(line, size, word.text); table != kNoTable) return table;
    return kNoTable;
  }, visit);
}

void VisitPatternWordLines(const char* data, size_t length, const MatchedLineVisit& visit) {
  DataViews views(data, length);
  std::vector<MatchStart> starts;
  for (const SearchWord& word : SearchWords)
    if (Decides(word)) CollectFirstViewStarts(word.pattern, views, length, starts);
  VisitLinesOfStarts(starts, data, length, visit);
}

}  // namespace

bool FoundFilesHaveLines() {
  if (FText.empty()) return false;
  return (FSearchAs != AsPlainWords && FSearchAs != AsPatternWords) ||
         std::any_of(SearchWords.begin(), SearchWords.end(), Decides);
}

void ForEachMatchedLine(const char* data, size_t length, const MatchedLineVisit& visit) {
  std::vector<MatchStart> starts;
  switch (FSearchAs) {
    case AsLinePattern:
      return VisitPassingLines(data, length, [](const char* line, size_t size) {
        return PatternTableOf(TextPattern, line, size);
      }, visit);
    case AsLinesWindowPattern: {
      DataViews views(data, length);
      CollectWindowStarts(data, length, views, starts);
      return VisitLinesOfStarts(starts, data, length, visit);
    }
    case AsFilePattern: {
      DataViews views(data, length);
      CollectFirstViewStarts(TextPattern, views, length, starts);
      return VisitLinesOfStarts(starts, data, length, visit);
    }
    case AsPlainWords: return VisitPlainWordLines(data, length, visit);
    case AsPatternWords: return VisitPatternWordLines(data, length, visit);
    default:
      return VisitPassingLines(data, length, [](const char* line, size_t size) {
        return PlainTableOf(line, size, FText);
      }, visit);
  }
}
