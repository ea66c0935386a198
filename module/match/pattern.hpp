// A compiled search pattern and the one way every caller runs it.
//
// A SearchPattern owns its compiled code (and, when studied, its JIT code).
// It is only read while it runs, so several threads may run one pattern at
// once; the match data they fill belongs to each thread (see
// PatternThreadScope) and is reused by every match on that thread, so
// running a pattern on millions of lines allocates nothing. Patterns are always compiled in
// multi-line mode with the code page 866 character tables, CR, LF and the
// pair CR LF each being one line end, and matches run under match and depth
// limits: a runaway pattern ends as "undecided" instead of hanging the host,
// and never passes for a non-match.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "module/match/required_literal.hpp"

struct pcre2_real_code_8;

class SearchPattern {
 public:
  SearchPattern() = default;

  bool empty() const { return code_ == nullptr; }
  explicit operator bool() const { return !empty(); }
  // Number of capturing groups; 0 for an empty pattern.
  int CaptureCount() const;
  // Drops the compiled code; the pattern becomes empty.
  void Release();
  // What every match holds; set when the pattern is compiled.
  const RequiredLiteral& Required() const { return required_; }

 private:
  struct CodeDeleter {
    void operator()(pcre2_real_code_8* code) const;
  };
  // The same pattern with a check before every item, for runs whose
  // matches must end before the subject's end: compiled once, on first
  // need, by whichever thread needs it first.
  struct BoundedCode {
    std::once_flag compiled;
    std::unique_ptr<pcre2_real_code_8, CodeDeleter> code;
  };

  std::unique_ptr<pcre2_real_code_8, CodeDeleter> code_;
  bool studied_ = false;
  std::unique_ptr<BoundedCode> bounded_;  // set with code_
  std::string text_;
  uint32_t options_ = 0;
  RequiredLiteral required_;

  friend int CompilePattern(SearchPattern& pattern, const char* text, int case_sensitive,
                            bool study);
  friend int RunPatternWithin(const SearchPattern& pattern, const char* subject, size_t length,
                              size_t start, size_t end_limit, int options, int* offsets,
                              int offsets_size);
};

// The matching state of one thread: match data, the match context with its
// limits and callout, and the JIT stack. The host's thread has its own; any
// other thread that runs patterns holds one of these for as long as it
// does, and must not outlive it.
class MatchScratch;
class PatternThreadScope {
 public:
  PatternThreadScope();
  ~PatternThreadScope();
  PatternThreadScope(const PatternThreadScope&) = delete;
  PatternThreadScope& operator=(const PatternThreadScope&) = delete;

 private:
  std::unique_ptr<MatchScratch> scratch_;
};

// Pattern run options: the subject does not start at a line start, or does
// not end at a line end; a match may not be empty at the start offset (the
// rule that lets a scan go on after an empty match there); a match must
// start at the start offset.
constexpr int kPatternNotBol = 1;
constexpr int kPatternNotEol = 2;
constexpr int kPatternNotEmptyAtStart = 4;
constexpr int kPatternAnchored = 8;

// What a run returns besides a positive match count.
constexpr int kPatternNoMatch = -1;
// The subject could not be decided within the limits: neither a match nor
// a non-match.
constexpr int kPatternUndecided = -2;
// A match was found whose offsets lie beyond what an int offset vector
// holds (2 GiB into the subject).
constexpr int kPatternBeyondOffsets = -3;

// Compiles a pattern text. An empty text succeeds and leaves the pattern as
// it was. A bad text shows the pattern error box, leaves the pattern empty
// and returns 0. With study, the pattern is also JIT-compiled where the
// library can; a JIT failure is not an error. Returns 1 on success.
int CompilePattern(SearchPattern& pattern, const char* text, int case_sensitive,
                   bool study = true);

// Runs the pattern on subject[0, length) from start. offsets receives
// offsets_size / 3 (start, end) pairs at elements 2i and 2i+1, pair 0 the
// whole match, -1 for a group that did not take part; pass nullptr and 0
// for a yes/no answer. Returns a positive count on a match, else one of
// the negative values above. A yes/no run that hits a limit is tried again
// with the DFA matcher, which needs no backtracking, where the pattern
// allows it.
int RunPattern(const SearchPattern& pattern, const char* subject, size_t length, size_t start,
               int options, int* offsets, int offsets_size);

// As RunPattern, but a match must end at or before end_limit: the text
// after it is there only for look-ahead and line-end tests to see. A
// longer match is given up for the next one the pattern would try.
int RunPatternWithin(const SearchPattern& pattern, const char* subject, size_t length,
                     size_t start, size_t end_limit, int options, int* offsets, int offsets_size);

// An offset vector sized (captures + 1) * 3, as RunPattern wants it.
class OffsetVector {
 public:
  explicit OffsetVector(const SearchPattern& pattern)
      : values_((pattern.CaptureCount() + 1) * 3, -1) {}
  int* data() { return values_.data(); }
  int size() const { return static_cast<int>(values_.size()); }
  int Start(int group) const { return values_[2 * group]; }
  int End(int group) const { return values_[2 * group + 1]; }

 private:
  std::vector<int> values_;
};
