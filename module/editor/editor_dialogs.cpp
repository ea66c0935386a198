// The search and replace dialogs. The check boxes write their settings
// when the dialog closes through OK or the preset button; the texts reach
// EText and ERReplace only through OK, and only once the pattern compiles.
#include <functional>
#include <memory>

#include "module/dialogs/bindings.hpp"
#include "module/dialogs/dialog_builder.hpp"
#include "module/editor/commands.hpp"
#include "module/editor/editor_control.hpp"
#include "module/editor/editor_state.hpp"
#include "module/editor/initial_text.hpp"
#include "module/editor/replace.hpp"
#include "module/editor/selection.hpp"
#include "module/base/messages.hpp"
#include "module/base/settings.hpp"
#include "module/presets/presets.hpp"

namespace {

std::unique_ptr<EditBinding> Bound(std::string* text) {
  return std::make_unique<StringBinding>(text);
}

// Adds OK, Cancel and the preset button, then shows the dialog until it is
// left (false) or accepted with a text that compiles (true). The preset
// button runs `presets` and shows the dialog again.
bool RunUntilCompiled(DialogBuilder& dialog, int presets_row, int text_field,
                      const std::string& text, const std::function<void()>& presets) {
  const int ok = dialog.AddOkCancel(MOk, MCancel);
  const int preset_button = dialog.Add<ButtonItem>(60, presets_row, 0, 0, MPresets);
  dialog.SetFocus(text_field);
  for (;;) {
    const int exit = dialog.Run({ok, preset_button});
    if (exit < 0) return false;
    if (exit == 1)
      presets();
    else if (CompileEditorPattern(text))
      return true;
  }
}

}  // namespace

bool SearchDlg() {
  std::string text = InitialSearchText().value_or(EText);
  DialogBuilder dialog(76, 13, "SearchDlg");
  dialog.AddFrame(MTitle);
  dialog.Add<TextItem>(5, 2, 0, MSearchTextLabel);
  const int text_field = dialog.Add<EditItem>(5, 3, 70, 0, "SearchText", Bound(&text));
  dialog.Add<TextItem>(5, 4, kSeparatorFlags, "");
  dialog.Add<CheckBoxItem>(5, 5, 0, MRegExp, &ERegExp);
  dialog.Add<CheckBoxItem>(30, 5, 0, MMatchAcrossLines, &ESeveralLine);
  dialog.Add<CheckBoxItem>(5, 6, 0, MCaseSensitive, &ECaseSensitive);
  dialog.Add<CheckBoxItem>(5, 7, 0, MBackward, &SearchBackward);
  if (!RunUntilCompiled(dialog, 5, text_field, text, [&] {
        if (EditorSearchPresets)
          EditorSearchPresets->PresetMenu(true, {&text}, {&ERegExp, &ECaseSensitive});
      }))
    return false;
  EText = text;
  if (!EText.empty()) EditorFind();
  return true;
}

bool ReplaceDlg() {
  // The mark of a match shown before is not offered as the block.
  const bool has_block = CaptureSelection();
  ReplaceInSelection = has_block ? 1 : 0;
  std::string text = InitialSearchText().value_or(EText);
  std::string replacement = ERReplace;
  DialogBuilder dialog(76, has_block ? 16 : 15, "ReplaceDlg");
  dialog.AddFrame(MReplaceTitle);
  dialog.Add<TextItem>(5, 2, 0, MSearchTextLabel);
  const int text_field = dialog.Add<EditItem>(5, 3, 70, 0, "SearchText", Bound(&text));
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
  if (!RunUntilCompiled(dialog, 7, text_field, text, [&] {
        if (EditorReplacePresets)
          EditorReplacePresets->PresetMenu(true, {&text, &replacement},
                                           {&ERegExp, &ECaseSensitive, &RemoveEmpty, &RemoveNoMatch});
      }))
    return false;
  EText = text;
  ERReplace = replacement;
  ReplaceBaseLine = -1;
  ReplaceCount = 0;
  if (!EText.empty()) EditorReplace();
  return true;
}
