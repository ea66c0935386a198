// Template expansion, as a table of what users type and what they get.
#include "module/match/template.hpp"

#include <gtest/gtest.h>

#include <string>

#include "module/match/pattern.hpp"
#include "tests/support/recording_host.hpp"

namespace {

enum class Source { kNone, kJohnSmith, kJohn, kPlain };

struct Row {
  Source source;
  const char* template_text;
  std::string expected;
  const char* line_break = "\n";
  bool with_counters = false;
  ReplaceCounters counters = {0, 0, 0};
};

std::string Expand(const Row& row) {
  RecordingHost host;
  const char* subject = "";
  SearchPattern pattern;
  std::vector<int> groups;
  int pairs = 0;
  if (row.source == Source::kJohnSmith || row.source == Source::kJohn) {
    subject = row.source == Source::kJohnSmith ? "John Smith" : "john";
    CompilePattern(pattern, row.source == Source::kJohnSmith ? "(\\w+) (\\w+)" : "(\\w+)", 1);
    OffsetVector v(pattern);
    EXPECT_GT(RunPattern(pattern, subject, strlen(subject), 0, 0, v.data(), v.size()), 0);
    groups.assign(v.data(), v.data() + v.size());
    pairs = pattern.CaptureCount() + 1;
  }
  return ExpandTemplate(subject, groups.empty() ? nullptr : groups.data(), pairs,
                        row.template_text, row.line_break,
                        row.with_counters ? &row.counters : nullptr);
}

}  // namespace

TEST(Template, ExpandsAsUsersExpect) {
  const Row rows[] = {
      {Source::kNone, "", ""},
      {Source::kJohnSmith, "$2, $1", "Smith, John"},
      {Source::kJohnSmith, "$0", "John Smith"},
      {Source::kJohnSmith, "$3", ""},
      {Source::kJohnSmith, "${1}0", "John0"},
      {Source::kJohnSmith, "$10", ""},
      {Source::kJohnSmith, "${2", "Smith"},
      {Source::kJohnSmith, "$99999999999", ""},
      {Source::kJohn, "\\u$1", "John"},
      {Source::kJohn, "\\U$1\\E-x", "JOHN-x"},
      {Source::kNone, "\\Uab\\Ecd", "ABCd"},
      {Source::kNone, "\\Uab\\LCD\\Eef", "ABCdef"},  // the pending upper case still takes C
      {Source::kNone, "\\x41\\x4", std::string("A\x04", 2)},
      {Source::kNone, "\\xg", std::string("\0g", 2)},
      {Source::kNone, "\\101", "A"},
      {Source::kNone, "\\1019", "A9"},
      {Source::kNone, "\\9", "\x09"},
      {Source::kNone, "\\t\\r\\a\\b\\e\\f\\v", "\t\r\a\b\x1B\f\v"},
      {Source::kNone, "\\\\\\$\\{", "\\${"},
      {Source::kNone, "a\\", "a\\"},
      {Source::kNone, "a$", "a"},
      {Source::kNone, "$x", ""},
      {Source::kNone, "$ y", "y"},
      {Source::kNone, "a\\nb", "a\r\nb", "\r\n"},
      {Source::kNone, "\\U\\n", "\n"},
      // Cyrillic letters change case through the ANSI code page; box
      // drawing (no ANSI counterpart) passes and the pending \u waits.
      {Source::kNone, "\\U\xA0\xAF\xE0\xEF\xF1", "\x80\x8F\x90\x9F\xF0"},
      {Source::kNone, "\\L\x80\x9F", "\xA0\xEF"},
      {Source::kNone, "\\u\xB0" "a", "\xB0" "A"},
      // Counters.
      {Source::kNone, "$L", "0", "\n", true, {0, 0, 0}},
      {Source::kNone, "${L1}", "1", "\n", true, {0, 0, 0}},
      {Source::kNone, "${L-1}", "-1", "\n", true, {0, 0, 0}},
      {Source::kNone, "${l 5}", "12", "\n", true, {7, 0, 0}},
      {Source::kNone, "$R", "2", "\n", true, {0, 0, 2}},
      {Source::kNone, "$N1x", "5x", "\n", true, {9, 4, 0}},
      {Source::kNone, "$Q", "", "\n", true, {1, 1, 1}},
      {Source::kNone, "$N", "", "\n", false},
      {Source::kPlain, "$1", "$"},
      {Source::kNone, "a\\nb", "ab", "", true, {0, 0, 0}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string("template ") + row.template_text);
    EXPECT_EQ(Expand(row), row.expected);
  }
}

TEST(Template, OriginsSayWhichBytesCameFromTheSubject) {
  RecordingHost host;
  const int groups[] = {0, 10, 0, 4, 5, 10};  // "John Smith": (John) (Smith)
  std::vector<int> origins = {99};
  EXPECT_EQ(ExpandTemplate("John Smith", groups, 3, "\\U$2\\E, \\l$1!", "\n", nullptr, &origins),
            "SMITH, john!");
  EXPECT_EQ(origins, (std::vector<int>{5, 6, 7, 8, 9, -1, -1, 0, 1, 2, 3, -1}));
}
