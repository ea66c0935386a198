// Compiling the file commands' patterns.
#include "module/files/file_patterns.hpp"

#include "module/match/mask.hpp"
#include "module/files/criteria.hpp"
#include "module/base/settings.hpp"

SearchPattern TextPattern;

int PrepareMaskPattern() {
  MaskPattern.Release();
  // A mask pattern always ignores case.
  return FMaskAsRegExp ? CompilePattern(MaskPattern, FMask.c_str(), 0) : 1;
}

int PreparePatterns() {
  TextPattern.Release();
  if (!PrepareMaskPattern()) return 0;
  if (FSearchAs == AsLinePattern || FSearchAs == AsLinesWindowPattern || FSearchAs == AsFilePattern)
    return CompilePattern(TextPattern, FText.c_str(), FCaseSensitive);
  return 1;
}

void ReleaseFileState() {
  TextPattern.Release();
  MaskPattern.Release();
  FullPathPattern.Release();
}
