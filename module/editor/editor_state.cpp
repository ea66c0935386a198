// Editor command state shared by the editor's menu, its dialogs and the
// file commands that hand their search over to it.
#include "module/editor/editor_state.hpp"

#include "module/editor/search_engine.hpp"
#include "module/files/content_search.hpp"
#include "module/base/settings.hpp"

int LastEditorCommand = -1;
SearchPattern EditorSearchPattern;
int SearchBackward = 0;
int RemoveEmpty = 0;
int RemoveNoMatch = 0;
int ReplaceInSelection = 0;

bool CompileEditorPattern(const std::string& text) {
  EditorSearchPattern.Release();
  if (!ERegExp) return true;
  return CompilePattern(EditorSearchPattern, text.c_str(), ECaseSensitive) != 0;
}

void AdoptFileSearch(bool replace) {
  ECaseSensitive = FCaseSensitive;
  if (FSearchAs != AsPlainText && FSearchAs != AsLinePattern) return;
  ERegExp = FSearchAs == AsLinePattern ? 1 : 0;
  EText = FText;
  CompileEditorPattern(EText);
  if (replace) ERReplace = FRReplace;
  LastEditorCommand = replace ? 1 : 0;
}

void ReleaseEditorState() {
  EditorSearchPattern.Release();
  ReleaseMatch();
  EText.clear();
  ERReplace.clear();
}
