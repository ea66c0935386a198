// The editor menu and find-again, which repeats the last editor command or
// continues the last file command handed over to the editor.
#include "module/editor/commands.hpp"

#include "module/editor/editor_state.hpp"
#include "module/editor/replace.hpp"
#include "module/editor/search_engine.hpp"
#include "module/base/host_access.hpp"
#include "module/base/menu.hpp"
#include "module/base/messages.hpp"
#include "module/base/settings.hpp"

namespace {

enum EditorMenuItem { kSearchItem = 0, kReplaceItem = 1, kFindAgainItem = 2 };

int ShowEditorMenu() {
  return ShowMenu(FMENU_WRAPMODE | FMENU_AUTOHIGHLIGHT, GetMsg(MTitle), nullptr, "EditorMenu",
                  {GetMsg(MSearch), GetMsg(MReplace), GetMsg(MRepeat)});
}

// A pattern setting without a compiled pattern (nothing accepted since
// the module was loaded, or the last compilation failed) compiles EText
// now; false when it does not compile.
bool PatternReady() {
  if (!ERegExp || !EditorSearchPattern.empty()) return true;
  return CompileEditorPattern(EText);
}

void FindAgain() {
  if (LastEditorCommand == -1) {
    LastEditorCommand = 0;
    if (!SearchDlg()) LastEditorCommand = -1;
    return;
  }
  // As in the dialogs, an empty text is never searched for.
  if (EText.empty() || !PatternReady()) return;
  if (LastEditorCommand == 0)
    EditorFind();
  else
    EditorReplace();
}

}  // namespace

void RunEditorCommand() {
  ReadClockSetting();
  switch (ShowEditorMenu()) {
    case kSearchItem:
      LastEditorCommand = 0;
      SearchDlg();
      break;
    case kReplaceItem:
      LastEditorCommand = 1;
      ReplaceDlg();
      break;
    case kFindAgainItem:
      FindAgain();
      break;
    default:
      break;
  }
}
