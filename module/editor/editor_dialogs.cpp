// The search and replace dialogs. The check boxes write their settings
// when the dialog closes through OK or the preset button; the texts reach
// EText and ERReplace only through OK, and only once the pattern compiles.
#include <memory>

#include "module/dialogs/bindings.hpp"
#include "module/dialogs/dialog_builder.hpp"
#include "module/editor/commands.hpp"
#include "module/editor/editor_control.hpp"
#include "module/editor/editor_state.hpp"
#include "module/editor/initial_text.hpp"
#include "module/editor/replace.hpp"
#include "module/base/messages.hpp"
#include "module/base/settings.hpp"
#include "module/presets/presets.hpp"

namespace {

enum DialogExit { kAccepted = 0, kPresets = 1 };

std::unique_ptr<EditBinding> Bound(std::string* text) {
  return std::make_unique<StringBinding>(text);
}

}  // namespace

bool SearchDlg() {
  std::string text = InitialSearchText().value_or(EText);
  DialogBuilder dialog(76, 13, "SearchDlg");
  dialog.AddFrame(MTitle);
  dialog.Add<TextItem>(5, 2, 0, MSearchTextLabel);
  dialog.Add<EditItem>(5, 3, 70, 0, "SearchText", Bound(&text));
  dialog.Add<TextItem>(5, 4, kSeparatorFlags, "");
  dialog.Add<CheckBoxItem>(5, 5, 0, MRegExp, &ERegExp);
  dialog.Add<CheckBoxItem>(30, 5, 0, MMatchAcrossLines, &ESeveralLine);
  dialog.Add<CheckBoxItem>(5, 6, 0, MCaseSensitive, &ECaseSensitive);
  dialog.Add<CheckBoxItem>(5, 7, 0, MBackward, &SearchBackward);
  dialog.AddOkCancel(MOk, MCancel);
  dialog.Add<ButtonItem>(60, 5, 0, 0, MPresets);
  dialog.SetFocus(2);
  for (;;) {
    int exit = dialog.Run({-3, -1});
    if (exit < 0) return false;
    if (exit == kPresets) {
      if (EditorSearchPresets)
        EditorSearchPresets->PresetMenu(true, {&text}, {&ERegExp, &ECaseSensitive});
      continue;
    }
    if (!CompileEditorPattern(text)) continue;
    EText = text;
    if (!EText.empty()) EditorFind();
    return true;
  }
}

bool ReplaceDlg() {
  const bool has_block = ReadEditorInfo().BlockType != BTYPE_NONE;
  ReplaceInSelection = has_block ? 1 : 0;
  std::string text = InitialSearchText().value_or(EText);
  std::string replacement = ERReplace;
  DialogBuilder dialog(76, has_block ? 16 : 15, "ReplaceDlg");
  dialog.AddFrame(MReplaceTitle);
  dialog.Add<TextItem>(5, 2, 0, MSearchTextLabel);
  dialog.Add<EditItem>(5, 3, 70, 0, "SearchText", Bound(&text));
  dialog.Add<TextItem>(5, 4, 0, MReplaceTextLabel);
  dialog.Add<EditItem>(5, 5, 70, 0, "ReplaceText", Bound(&replacement));
  dialog.Add<TextItem>(5, 6, kSeparatorFlags, "");
  dialog.Add<CheckBoxItem>(5, 7, 0, MRegExp, &ERegExp);
  dialog.Add<CheckBoxItem>(30, 7, 0, MMatchAcrossLines, &ESeveralLine);
  dialog.Add<CheckBoxItem>(5, 8, 0, MCaseSensitive, &ECaseSensitive);
  dialog.Add<CheckBoxItem>(30, 8, 0, MRemoveEmpty, &RemoveEmpty);
  dialog.Add<CheckBoxItem>(5, 9, 0, MBackward, &SearchBackward);
  dialog.Add<CheckBoxItem>(30, 9, 0, MRemoveNoMatch, &RemoveNoMatch);
  if (has_block) dialog.Add<CheckBoxItem>(5, 10, 0, MInSelection, &ReplaceInSelection);
  dialog.AddOkCancel(MOk, MCancel);
  dialog.Add<ButtonItem>(60, 7, 0, 0, MPresets);
  dialog.SetFocus(2);
  for (;;) {
    int exit = dialog.Run({-3, -1});
    if (exit < 0) return false;
    if (exit == kPresets) {
      if (EditorReplacePresets)
        EditorReplacePresets->PresetMenu(true, {&text, &replacement},
                                         {&ERegExp, &ECaseSensitive, &RemoveEmpty, &RemoveNoMatch});
      continue;
    }
    if (!CompileEditorPattern(text)) continue;
    EText = text;
    ERReplace = replacement;
    ReplaceUnattended = 0;
    ReplaceBaseLine = -1;
    ReplaceCount = 0;
    if (!EText.empty()) EditorReplace();
    return true;
  }
}
