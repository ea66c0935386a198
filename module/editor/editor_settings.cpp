// The editor's five persisted values and its two preset lists.
#include "module/editor/editor_settings.hpp"

#include "module/editor/selection.hpp"
#include "module/base/settings.hpp"
#include "module/presets/presets.hpp"

namespace {

const Setting kEditorSettings[] = {
    TextSetting("EText", &EText, ""),
    IntSetting("ERegExp", &ERegExp, 0, 0, 1),
    IntSetting("ESeveralLine", &ESeveralLine, 1, 0, 1),
    IntSetting("ECaseSensitive", &ECaseSensitive, 0, 0, 1),
    TextSetting("ERReplace", &ERReplace, ""),
};

}  // namespace

void LoadEditorSettings(HKEY key) {
  ReadSettingGroup(key, MakeGroup(kEditorSettings));
  SavedSelection.type = 0;
  CreateEditorPresetLists();
}

void SaveEditorSettings(HKEY key) { WriteSettingGroup(key, MakeGroup(kEditorSettings)); }
