// Compiling the file commands' patterns.
#include "files/file_patterns.hpp"

#include "core/mask.hpp"
#include "files/char_sets.hpp"
#include "files/criteria.hpp"
#include "plugin/settings.hpp"
#include "presets/presets.hpp"

SearchPattern TextPattern;

int PreparePatterns() {
  TextPattern.Release();
  MaskPattern.Release();
  // A mask pattern always ignores case.
  if (FMaskAsRegExp && !CompilePattern(MaskPattern, FMask.c_str(), 0)) return 0;
  if (FSearchAs >= 1 && FSearchAs <= 3) return CompilePattern(TextPattern, FText.c_str(), FCaseSensitive);
  return 1;
}

void ReleaseFileState(bool unloading) {
  TextPattern.Release();
  MaskPattern.Release();
  if (!unloading) return;
  FullPathPattern.Release();
  ReleaseCharSetTables();
  DestroyFilePresetLists();
}
