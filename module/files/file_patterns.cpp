// Compiling the file commands' patterns.
#include "module/files/file_patterns.hpp"

#include "module/match/mask.hpp"
#include "module/files/content_search.hpp"
#include "module/files/criteria.hpp"
#include "module/base/settings.hpp"

SearchPattern TextPattern;
std::vector<SearchWord> SearchWords;
bool PlainTextNeedsUtf8View = true;

namespace {

// Splits FText into SearchWords, compiling each in the pattern-word mode.
int PrepareWords() {
  const bool patterns = FSearchAs == AsPatternWords;
  std::string list = FText;
  for (std::string word = TakeWord(list); !word.empty(); word = TakeWord(list)) {
    SearchWord& added = SearchWords.emplace_back();
    if (word[0] == '+' || word[0] == '-') added.sign = word[0];
    added.text = word.substr(added.sign ? 1 : 0);
    added.needs_utf8_view = patterns || Utf8ViewMayAddMatches(added.text);
    if (patterns && !CompilePattern(added.pattern, added.text.c_str(), FCaseSensitive)) return 0;
  }
  return 1;
}

}  // namespace

int PrepareMaskPattern() {
  MaskPattern.Release();
  // A mask pattern always ignores case.
  return FMaskAsRegExp ? CompilePattern(MaskPattern, FMask.c_str(), 0) : 1;
}

int PreparePatterns() {
  TextPattern.Release();
  SearchWords.clear();
  if (!PrepareMaskPattern()) return 0;
  if (FSearchAs == AsLinePattern || FSearchAs == AsLinesWindowPattern || FSearchAs == AsFilePattern)
    return CompilePattern(TextPattern, FText.c_str(), FCaseSensitive);
  if (FSearchAs == AsPlainWords || FSearchAs == AsPatternWords) return PrepareWords();
  PlainTextNeedsUtf8View = Utf8ViewMayAddMatches(FText);
  return 1;
}

void ReleaseFileState() {
  TextPattern.Release();
  SearchWords.clear();
  MaskPattern.Release();
  FullPathPattern.Release();
}
