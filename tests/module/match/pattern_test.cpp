// Compiling patterns with the module's options and OEM tables, the error
// box, and the offset-vector form every caller reads.
#include "module/match/pattern.hpp"

#include <gtest/gtest.h>

#include <sys/mman.h>

#include <atomic>
#include <climits>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "sdk/plugin.hpp"
#include "tests/support/recording_host.hpp"

namespace {

bool Matches(const SearchPattern& p, const std::string& subject) {
  return RunPattern(p, subject.data(), subject.size(), 0, 0, nullptr, 0) > 0;
}

SearchPattern Compile(const std::string& text, int case_sensitive) {
  SearchPattern p;
  EXPECT_EQ(CompilePattern(p, text.c_str(), case_sensitive), 1) << text;
  return p;
}

}  // namespace

// --- Compiling ---

TEST(Pattern, EmptyTextSucceedsAndKeepsThePreviousPattern) {
  RecordingHost host;
  SearchPattern p = Compile("abc", 1);
  EXPECT_EQ(CompilePattern(p, "", 1), 1);
  EXPECT_TRUE(Matches(p, "xxabc"));
  EXPECT_TRUE(host.messages.empty());
}

TEST(Pattern, UnclosedGroupShowsTheErrorBoxAndLeavesNothingCompiled) {
  RecordingHost host;
  SearchPattern p = Compile("old", 1);
  EXPECT_EQ(CompilePattern(p, "a(b", 1), 0);
  EXPECT_TRUE(p.empty());
  EXPECT_FALSE(Matches(p, "a(b"));

  ASSERT_EQ(host.messages.size(), 1u);
  const RecordedMessage& box = host.messages[0];
  EXPECT_EQ(box.flags, FMSG_WARNING);
  EXPECT_EQ(box.help_topic, "RegExpError");
  EXPECT_EQ(box.buttons, 1);
  ASSERT_EQ(box.items.size(), 6u);
  EXPECT_EQ(box.items[0], "RegExp error");
  EXPECT_NE(box.items[1].find("missing closing parenthesis"), std::string::npos) << box.items[1];
  EXPECT_EQ(box.items[2], "\x01");
  EXPECT_EQ(box.items[3], "a(b");
  EXPECT_EQ(box.items[4], "   ^");  // PCRE2 stops at the end of the pattern
  EXPECT_EQ(box.items[5], "M0");
}

TEST(Pattern, CaretOfAVeryLateErrorStaysInsideItsLine) {
  RecordingHost host;
  SearchPattern p;
  std::string text(600, 'a');
  text += "(";
  EXPECT_EQ(CompilePattern(p, text.c_str(), 1), 0);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].items[4], std::string(510, ' ') + "^");
}

// --- OEM character tables ---

TEST(Pattern, CaselessFoldsOemLetterPairsButNotYo) {
  RecordingHost host;
  struct Row {
    std::string pattern, subject;
    bool match;
  } rows[] = {
      {"\x80", "\xA0", true},   {"\xA0", "\x80", true},  {"\x9F", "\xEF", true},
      {"\xEF", "\x9F", true},   {"A", "a", true},        {"a", "A", true},
      {"\xF0", "\xF0", true},   {"\xF0", "\xF1", false}, {"\xF1", "\xF0", false},
      {"\x80", "\xE0", false},  {"\xB0", "\xE0", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << std::hex << +(uint8_t)row.pattern[0] << " vs "
                                    << +(uint8_t)row.subject[0]);
    EXPECT_EQ(Matches(Compile(row.pattern, 0), row.subject), row.match);
  }
}

TEST(Pattern, CaseSensitiveKeepsOemPairsApart) {
  RecordingHost host;
  EXPECT_FALSE(Matches(Compile("\x80", 1), "\xA0"));
  EXPECT_FALSE(Matches(Compile("A", 1), "a"));
  EXPECT_TRUE(Matches(Compile("\x80", 1), "\x80"));
}

TEST(Pattern, ClassesFollowCodePage866) {
  RecordingHost host;
  struct Row {
    std::string pattern, subject;
    bool match;
  } rows[] = {
      {"^\\w$", "\xE5", true},  {"^\\w$", "\xB0", false}, {"^\\w$", "\xF1", false},
      {"^\\w$", "_", true},     {"^\\d$", "7", true},     {"^\\d$", "\xE5", false},
      {"^\\s$", "\x0B", true},  {"^\\s$", "\xFF", false}, {"^[[:upper:]]$", "\x90", true},
      {"^[[:lower:]]$", "\xE0", true}, {"^[[:alpha:]]$", "\xB0", false},
      {"\\bx\\b", "\x80x\x80", false}, {"\\bx\\b", "\xB0x\xB0", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.pattern + " on byte " + std::to_string((uint8_t)row.subject[0]));
    EXPECT_EQ(Matches(Compile(row.pattern, 1), row.subject), row.match);
  }
}

TEST(Pattern, AnchorsMatchAtEveryInnerLineBreak) {
  RecordingHost host;
  SearchPattern start = Compile("^b", 1);
  SearchPattern end = Compile("a$", 1);
  for (const char* subject : {"a\nb", "a\r\nb"}) {
    SCOPED_TRACE(subject);
    EXPECT_TRUE(Matches(start, subject));
  }
  EXPECT_TRUE(Matches(end, "a\nb"));
  EXPECT_FALSE(Matches(Compile("a.b", 1), "a\nb"));  // no dot-all mode
}

// --- Running ---

TEST(Pattern, OffsetVectorHoldsTheMatchAndEveryGroup) {
  RecordingHost host;
  SearchPattern p = Compile("(a)(x)?(c)", 1);
  ASSERT_EQ(p.CaptureCount(), 3);
  OffsetVector v(p);
  EXPECT_EQ(v.size(), 12);
  std::string subject = "zzac";
  ASSERT_GT(RunPattern(p, subject.data(), subject.size(), 0, 0, v.data(), v.size()), 0);
  EXPECT_EQ(v.Start(0), 2);
  EXPECT_EQ(v.End(0), 4);
  EXPECT_EQ(v.Start(1), 2);
  EXPECT_EQ(v.Start(2), -1);
  EXPECT_EQ(v.End(2), -1);
  EXPECT_EQ(v.Start(3), 3);
}

TEST(Pattern, NotBolKeepsTheRestOfALineFromCountingAsItsStart) {
  RecordingHost host;
  SearchPattern p = Compile("^a", 1);
  std::string rest = "aa";
  EXPECT_GT(RunPattern(p, rest.data(), rest.size(), 0, 0, nullptr, 0), 0);
  EXPECT_LT(RunPattern(p, rest.data(), rest.size(), 0, kPatternNotBol, nullptr, 0), 0);
}

TEST(Pattern, SubjectsMayHoldAnyByteAndNeedNoTerminator) {
  RecordingHost host;
  SearchPattern p = Compile("b\\x00c", 1);
  const char subject[] = {'a', 'b', '\0', 'c', 'X'};
  OffsetVector v(p);
  ASSERT_GT(RunPattern(p, subject, 4, 0, 0, v.data(), v.size()), 0);
  EXPECT_EQ(v.Start(0), 1);
  EXPECT_LT(RunPattern(Compile("cX", 1), subject, 4, 0, 0, nullptr, 0), 0);
}

TEST(Pattern, RunawayPatternCountsAsNoMatchInsteadOfHanging) {
  RecordingHost host;
  for (bool study : {true, false}) {
    SCOPED_TRACE(study ? "JIT" : "interpreter");
    SearchPattern p;
    ASSERT_EQ(CompilePattern(p, "(a+)+$", 1, study), 1);
    std::string subject(40, 'a');
    subject += 'b';
    EXPECT_LT(RunPattern(p, subject.data(), subject.size(), 0, 0, nullptr, 0), 0);
  }
}

TEST(Pattern, RepeatedGroupOverALongLineStillMatches) {
  RecordingHost host;
  for (bool study : {true, false}) {
    SCOPED_TRACE(study ? "JIT" : "interpreter");
    SearchPattern p;
    ASSERT_EQ(CompilePattern(p, "(a|b)+c", 1, study), 1);
    std::string subject(200000, 'a');
    subject += 'c';
    EXPECT_GT(RunPattern(p, subject.data(), subject.size(), 0, 0, nullptr, 0), 0);
  }
}

// A limit reached is never a plain "no match": a yes/no run decides with
// the DFA matcher where it can, else within the full limit; a run that
// wants offsets says undecided.
TEST(Pattern, LimitsEndInAnAnswerOrInUndecided) {
  RecordingHost host;
  std::string alternating;
  for (int i = 0; i < 500000; i++) alternating += "ab";
  const std::string hit = alternating + "c";
  const std::string miss = std::string(40, 'a') + "b";
  const std::string moderate_miss = std::string(16, 'a') + "c";
  const std::string moderate_hit = moderate_miss + " aab";
  struct Case {
    const char* pattern;
    const std::string* subject;
    bool want_offsets;
    int expected;
  } cases[] = {
      {"(a|b)*c", &hit, false, 1},                                // as perl finds it
      {"(a|b)*c", &alternating, false, kPatternNoMatch},          // decided without groups
      {"(a+)+$", &miss, false, kPatternNoMatch},
      {"(a+)+$", &miss, true, kPatternUndecided},                 // groups wanted: no DFA
      {"(a+)+\\1$", &miss, false, kPatternUndecided},             // the DFA runs no back reference
      // Beyond the quick limit, within the full one: the DFA cannot, the
      // full limit still decides.
      {"(a+)+\\1b", &moderate_miss, false, kPatternNoMatch},
      {"(a+)+\\1b", &moderate_hit, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    SearchPattern p = Compile(c.pattern, 1);
    OffsetVector v(p);
    int rc = RunPattern(p, c.subject->data(), c.subject->size(), 0, 0,
                        c.want_offsets ? v.data() : nullptr, c.want_offsets ? v.size() : 0);
    EXPECT_EQ(rc > 0 ? 1 : rc, c.expected);
  }
}

// A bounded run sees the text after its end but takes no match that ends
// there; CR LF is one line end.
TEST(Pattern, BoundedRunsAndLineEnds) {
  RecordingHost host;
  struct Case {
    const char* pattern;
    std::string subject;
    size_t end_limit;
    int start, end;  // -1: no match
  } cases[] = {
      {"foo\\n(?!bar)", "foo\nbar\n", 4, -1, -1},
      {"foo\\n(?!bar)", "foo\nbaz\n", 4, 0, 4},
      {"a[^x]*b", "a b\nb b", 4, 0, 3},       // the longer match is given up for a shorter
      {"b$", "ab\ncd", 2, 1, 2},
      {"b$", "ab\r\ncd", 2, 1, 2},
      {"b$", "ab\rcd", 6, 1, 2},
      {"^cd", "ab\r\ncd", 6, 4, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern + (" on " + c.subject));
    SearchPattern p = Compile(c.pattern, 1);
    OffsetVector v(p);
    int rc = RunPatternWithin(p, c.subject.data(), c.subject.size(), 0, c.end_limit, 0, v.data(),
                              v.size());
    EXPECT_EQ(rc > 0 ? v.Start(0) : -1, c.start);
    EXPECT_EQ(rc > 0 ? v.End(0) : -1, c.end);
    EXPECT_EQ(RunPatternWithin(p, c.subject.data(), c.subject.size(), 0, c.end_limit, 0, nullptr,
                               0) > 0,
              c.start >= 0);
  }
}

// A match 2 GiB or more into a subject cannot be placed in int offsets: it
// is said so, never passed off as no match. (An untouched mapping costs
// nothing; the run starts just before the match.)
TEST(Pattern, MatchBeyondIntOffsetsIsSaidSo) {
  RecordingHost host;
  const size_t length = size_t{1} << 31 | 64;
  void* memory = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  ASSERT_NE(memory, MAP_FAILED);
  char* subject = static_cast<char*>(memory);
  std::memcpy(subject + length - 8, "foo", 3);
  SearchPattern p = Compile("foo", 1);
  OffsetVector v(p);
  const size_t start = length - 32;
  EXPECT_EQ(RunPattern(p, subject, length, start, 0, v.data(), v.size()), kPatternBeyondOffsets);
  EXPECT_GT(RunPattern(p, subject, length, start, 0, nullptr, 0), 0);  // a yes/no run finds it
  munmap(memory, length);
}

// --- Several threads ---

// Threads share the compiled pattern (and its bounded form, compiled by the
// first run that needs it) but fill match data of their own: every run sees
// its own offsets, never another thread's.
TEST(Pattern, ThreadsRunOnePatternAtOnceEachSeeingItsOwnOffsets) {
  RecordingHost host;
  SearchPattern p = Compile("(\\d+)-(\\d+)", 1);
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; t++) {
    threads.emplace_back([&, t] {
      PatternThreadScope scope;
      OffsetVector v(p);
      for (int i = 0; i < 2000; i++) {
        const std::string first = std::to_string(t * 100000 + i), second = std::to_string(i);
        const std::string subject = std::string(t, ' ') + first + "-" + second + "\nx-1";
        // Bounded to the first line half the time: the x-1 line must not count.
        const size_t limit = i % 2 ? subject.find('\n') : subject.size();
        const int rc = RunPatternWithin(p, subject.data(), subject.size(), 0, limit, 0, v.data(),
                                        v.size());
        const int start = t, dash = start + static_cast<int>(first.size());
        if (rc != 3 || v.Start(1) != start || v.End(1) != dash || v.Start(2) != dash + 1 ||
            v.End(2) != dash + 1 + static_cast<int>(second.size()))
          wrong++;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong, 0);
}
