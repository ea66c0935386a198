// Mask lists as users write them.
#include "module/match/mask.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "module/match/case_table.hpp"
#include "module/base/settings.hpp"
#include "tests/support/recording_host.hpp"

namespace {

class MaskTest : public testing::Test {
 protected:
  void SetUp() override {
    BuildOemUpperTable();
    FMaskAsRegExp = 0;
    MaskDelimiter = ',';
    MaskNegation = '!';
    DotAsteriskMatchesNoExtension = 1;
    AutoappendAsterisk = 1;
  }
  void TearDown() override { MaskPattern.Release(); }
};

struct Row {
  const char* list;
  const char* name;
  bool match;
};

void Check(std::initializer_list<Row> rows) {
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string("list '") + row.list + "' name '" + row.name + "'");
    EXPECT_EQ(MatchMaskList(row.list, row.name), row.match);
  }
}

}  // namespace

TEST_F(MaskTest, DefaultRules) {
  Check({
      {"*.*", "readme", true},
      {"*.*", "a.b.c", true},
      {"*.", "readme", true},
      {"*.", "readme.txt", false},
      {"*.c,*.h", "main.c", true},
      {"*.c,*.h", "defs.H", true},
      {"*.c,*.h", "main.cpp", false},
      {"*.c, *.h", "defs.h", false},  // the second mask starts with a space
      {"abc", "abcdef", true},
      {"abc.txt", "abc.txt.bak", false},
      {"a*", "a", true},
      {"a**", "a", false},
      {"a*?", "a", false},
      {"a*?", "ab", true},
      {"?", "", false},
      {"a?c", "abc", true},
      {"1.txt", "1.TXT", true},
      {"1.txt", "2.txt", false},
      {"'a b'", "'a b'", true},  // quotes are ordinary characters
  });
}

TEST_F(MaskTest, ExcludingMasks) {
  Check({
      {"*.txt,!read*", "notes.txt", true},
      {"*.txt,!read*", "readme.txt", false},
      {"!*.bak", "x.bak", false},
      {"!*.bak", "x.txt", true},
      {"*,!*.o", "main.o", false},
      {"!*.o,*.c", "x.h", false},
  });
}

TEST_F(MaskTest, EmptyListDependsOnAutoappend) {
  Check({{"", "anything", true}});
  AutoappendAsterisk = 0;
  Check({{"", "anything", false}, {"abc", "abcdef", false}, {"abc", "abc", true}});
}

TEST_F(MaskTest, CyrillicLettersFoldThroughTheOemTable) {
  // 0xAF/0x8F are one letter in two cases; 0xE0/0x90 another. Under the
  // ANSI code page's rules 0xAF and 0xE0 would be taken for other letters.
  Check({
      {"\xAF\xE0*", "\x8F\x90.txt", true},
      {"\x8F*", "\xAF.txt", true},
      {"\xAF*", "\xE0.txt", false},
      {"\xF1*", "\xF0", true},  // yo
  });
}

namespace {

// The plain recursive reading of the wildcard rules, as the model.
bool ModelWildcard(const char* mask, const char* name, bool open_end) {
  for (;; mask++, name++) {
    switch (*mask) {
      case '\0':
        return open_end || *name == '\0';
      case '*':
        if (mask[1] == '\0') return true;
        for (; *name; name++)
          if (ModelWildcard(mask + 1, name, open_end)) return true;
        return false;
      case '?':
        if (*name == '\0') return false;
        break;
      default:
        if (*name == '\0' || OemUpperTable[(uint8_t)*mask] != OemUpperTable[(uint8_t)*name])
          return false;
    }
  }
}

}  // namespace

TEST_F(MaskTest, WildcardsAgreeWithTheRecursiveModel) {
  std::mt19937 random(866);
  auto generate = [&](const char* alphabet, size_t max) {
    std::string s;
    for (size_t i = random() % (max + 1); i > 0; i--) s += alphabet[random() % strlen(alphabet)];
    return s;
  };
  for (int round = 0; round < 20000; round++) {
    std::string mask = generate("ab*?A", 7);
    std::string name = generate("abB", 7);
    bool open_end = round % 2;
    SCOPED_TRACE("mask '" + mask + "' name '" + name + "'" + (open_end ? " open" : ""));
    ASSERT_EQ(MatchWildcard(mask.c_str(), name.c_str(), open_end),
              ModelWildcard(mask.c_str(), name.c_str(), open_end));
  }
}

TEST_F(MaskTest, ManyStarsStayFast) {
  const std::string name(60, 'a');
  EXPECT_FALSE(MatchWildcard("*a*a*a*a*a*a*a*b", name.c_str(), false));
}

TEST_F(MaskTest, ZeroDelimiterAndNegationTurnThemOff) {
  MaskDelimiter = '\0';
  Check({{"*.c,*.h", "a.c", false}, {"*.c,*.h", "a.c,x.h", true}});
  MaskDelimiter = ',';
  MaskNegation = '\0';
  Check({{"!*.c", "!x.c", true}, {"!*.c", "x.c", false}});
}

TEST_F(MaskTest, PatternModeIgnoresCaseAndIsUnanchored) {
  RecordingHost host;
  FMaskAsRegExp = 1;
  Check({{"anything", "x", false}});  // no compiled pattern: nothing matches
  ASSERT_EQ(CompilePattern(MaskPattern, "\\.TXT$", 0), 1);
  Check({{"", "notes.txt", true}, {"", "notes.txt.bak", false}});
  ASSERT_EQ(CompilePattern(MaskPattern, "ote", 0), 1);
  Check({{"", "notes", true}});
}
