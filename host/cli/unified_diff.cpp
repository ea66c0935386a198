// The line matching behind the diffs: patience diffing. Lines that occur
// once on each side anchor the match (the longest run of them in the same
// order on both sides), and the stretches between anchors are matched the
// same way, after their common first and last lines are taken off; a
// stretch with no anchor is shown as removed and added whole. It never
// needs more than linear memory, whatever the two texts are, and keeps a
// replace's unchanged lines as context.
#include "host/cli/unified_diff.hpp"

#include <algorithm>
#include <cstdio>
#include <unordered_map>
#include <vector>

namespace host::cli {

namespace {

constexpr size_t kContext = 3;

using Lines = std::vector<std::string_view>;

// Each line with its line end; the last one may have none.
Lines SplitLines(std::string_view text) {
  Lines lines;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    end = end == std::string_view::npos ? text.size() : end + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

enum class Op : char { kSame = ' ', kRemove = '-', kAdd = '+' };

struct Edit {
  Op op;
  std::string_view line;
};

struct Range {
  size_t a_begin, a_end, b_begin, b_end;
};

// A pair of lines, one on each side, that occur once on their side.
struct Anchor {
  size_t a, b;
};

class PatienceDiff {
 public:
  PatienceDiff(const Lines& a, const Lines& b) : a_(a), b_(b) {}

  std::vector<Edit> Run() {
    // Work left to do, last first, so that edits come out in order.
    std::vector<std::pair<Range, bool>> stack{{{0, a_.size(), 0, b_.size()}, false}};
    while (!stack.empty()) {
      auto [range, same] = stack.back();
      stack.pop_back();
      if (same) {
        edits_.push_back({Op::kSame, a_[range.a_begin]});
      } else {
        Split(range, &stack);
      }
    }
    return std::move(edits_);
  }

 private:
  void Split(Range r, std::vector<std::pair<Range, bool>>* stack) {
    while (r.a_begin < r.a_end && r.b_begin < r.b_end && a_[r.a_begin] == b_[r.b_begin]) {
      edits_.push_back({Op::kSame, a_[r.a_begin]});
      r.a_begin++, r.b_begin++;
    }
    size_t tail = 0;
    while (r.a_begin < r.a_end - tail && r.b_begin < r.b_end - tail &&
           a_[r.a_end - tail - 1] == b_[r.b_end - tail - 1])
      tail++;
    for (size_t i = 0; i < tail; i++) stack->push_back({{r.a_end - 1 - i, 0, 0, 0}, true});
    r.a_end -= tail, r.b_end -= tail;
    const std::vector<Anchor> anchors = Anchors(r);
    if (anchors.empty()) {
      for (size_t i = r.a_begin; i < r.a_end; i++) edits_.push_back({Op::kRemove, a_[i]});
      for (size_t i = r.b_begin; i < r.b_end; i++) edits_.push_back({Op::kAdd, b_[i]});
      return;
    }
    size_t a_next = r.a_end, b_next = r.b_end;
    for (auto anchor = anchors.rbegin(); anchor != anchors.rend(); ++anchor) {
      stack->push_back({{anchor->a + 1, a_next, anchor->b + 1, b_next}, false});
      stack->push_back({{anchor->a, 0, 0, 0}, true});
      a_next = anchor->a, b_next = anchor->b;
    }
    stack->push_back({{r.a_begin, a_next, r.b_begin, b_next}, false});
  }

  // The longest run of unique common lines in the same order on both sides.
  std::vector<Anchor> Anchors(const Range& r) const {
    struct Count {
      size_t a = 0, b = 0, a_at = 0, b_at = 0;
    };
    std::unordered_map<std::string_view, Count> counts;
    for (size_t i = r.a_begin; i < r.a_end; i++) {
      Count& count = counts[a_[i]];
      count.a++, count.a_at = i;
    }
    for (size_t i = r.b_begin; i < r.b_end; i++) {
      auto found = counts.find(b_[i]);
      if (found != counts.end()) found->second.b++, found->second.b_at = i;
    }
    std::vector<Anchor> unique;  // in the order of side a
    for (size_t i = r.a_begin; i < r.a_end; i++) {
      const Count& count = counts[a_[i]];
      if (count.a == 1 && count.b == 1) unique.push_back({count.a_at, count.b_at});
    }
    return LongestIncreasingRun(unique);
  }

  // Patience sorting on the side-b positions: each pile's top is the
  // smallest end of a run of its length, each card remembers the top of the
  // pile before it.
  static std::vector<Anchor> LongestIncreasingRun(const std::vector<Anchor>& cards) {
    std::vector<size_t> tops;                        // card indexes
    std::vector<size_t> before(cards.size(), SIZE_MAX);
    for (size_t i = 0; i < cards.size(); i++) {
      auto pile = std::lower_bound(tops.begin(), tops.end(), cards[i].b,
                                   [&](size_t top, size_t b) { return cards[top].b < b; });
      if (pile != tops.begin()) before[i] = *(pile - 1);
      if (pile == tops.end()) {
        tops.push_back(i);
      } else {
        *pile = i;
      }
    }
    std::vector<Anchor> run;
    for (size_t i = tops.empty() ? SIZE_MAX : tops.back(); i != SIZE_MAX; i = before[i])
      run.push_back(cards[i]);
    std::reverse(run.begin(), run.end());
    return run;
  }

  const Lines& a_;
  const Lines& b_;
  std::vector<Edit> edits_;
};

bool NeedsQuotes(const std::string& label) {
  return std::any_of(label.begin(), label.end(), [](char c) {
    return c == ' ' || c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
  });
}

// A file name as diff and patch quote one: C escapes inside double quotes.
std::string Quoted(const std::string& label) {
  if (!NeedsQuotes(label)) return label;
  std::string quoted = "\"";
  for (char c : label) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (c == '\t' || c == '\n') {
      quoted += c == '\t' ? "\\t" : "\\n";
    } else if (byte < 0x20 || byte == 0x7F) {
      char octal[8];
      std::snprintf(octal, sizeof octal, "\\%03o", byte);
      quoted += octal;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

void AppendLine(Op op, std::string_view line, std::string* out) {
  *out += static_cast<char>(op);
  out->append(line);
  if (line.empty() || line.back() != '\n') *out += "\n\\ No newline at end of file\n";
}

// "start,count" of a hunk's side; a side with no lines names the line
// before the hunk.
std::string Span(size_t first, size_t count) {
  return std::to_string(count == 0 ? first : first + 1) + "," + std::to_string(count);
}

// One hunk over edits[begin, end); `a_line` and `b_line` count the lines
// before it on each side.
void AppendHunk(const std::vector<Edit>& edits, size_t begin, size_t end, size_t a_line,
                size_t b_line, std::string* out) {
  size_t a_count = 0, b_count = 0;
  for (size_t i = begin; i < end; i++) {
    a_count += edits[i].op != Op::kAdd;
    b_count += edits[i].op != Op::kRemove;
  }
  *out += "@@ -" + Span(a_line, a_count) + " +" + Span(b_line, b_count) + " @@\n";
  for (size_t i = begin; i < end; i++) AppendLine(edits[i].op, edits[i].line, out);
}

}  // namespace

std::string UnifiedDiff(std::string_view before, std::string_view after,
                        const std::string& old_label, const std::string& new_label) {
  const Lines a = SplitLines(before), b = SplitLines(after);
  const std::vector<Edit> edits = PatienceDiff(a, b).Run();
  std::string out;
  size_t a_line = 0, b_line = 0;  // lines of each side before edits[i]
  size_t hunk_a = 0, hunk_b = 0;  // the same at the open hunk's start
  size_t hunk_begin = 0, last_change = 0;
  bool open = false;
  for (size_t i = 0; i <= edits.size(); i++) {
    const bool change = i < edits.size() && edits[i].op != Op::kSame;
    if (open && (i == edits.size() || (change && i - last_change > 2 * kContext + 1))) {
      AppendHunk(edits, hunk_begin, std::min(edits.size(), last_change + 1 + kContext), hunk_a,
                 hunk_b, &out);
      open = false;
    }
    if (change && !open) {
      open = true;
      hunk_begin = i - std::min(i, kContext);
      hunk_a = a_line, hunk_b = b_line;
      for (size_t j = hunk_begin; j < i; j++) hunk_a--, hunk_b--;  // context lines are same lines
    }
    if (change) last_change = i;
    if (i < edits.size()) {
      a_line += edits[i].op != Op::kAdd;
      b_line += edits[i].op != Op::kRemove;
    }
  }
  if (out.empty()) return out;
  return "--- " + Quoted(old_label) + "\n+++ " + Quoted(new_label) + "\n" + out;
}

}  // namespace host::cli
