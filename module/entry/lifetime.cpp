// The order of start-up and unload. Start-up: the OEM upper-case table
// first, because the character-set tables are built from it; the settings;
// then the preset lists (editor, then file, each search before replace) and
// the host's character tables. Unload writes before it releases (nothing
// when the store was found damaged), and no destructor touches the registry.
#include "module/entry/lifetime.hpp"

#include "module/base/settings.hpp"
#include "module/editor/editor_state.hpp"
#include "module/files/char_sets.hpp"
#include "module/files/file_patterns.hpp"
#include "module/files/results_panel.hpp"
#include "module/match/case_table.hpp"
#include "module/presets/presets.hpp"

void StartModule() {
  BuildOemUpperTable();
  LoadSettings();
  CreateEditorPresetLists();
  CreateFilePresetLists();
  LoadCharSetTables();
}

bool StopModule() {
  // A store found damaged at start-up is never written, presets included:
  // writing could only add to the damage.
  bool saved = !SettingsStoreReadOnly();
  if (saved) {
    saved &= SaveSettings();
    saved &= SavePresetLists();
  }
  ReleaseEditorState();
  ReleaseFileState();
  CloseAllResultsPanels();
  ReleaseCharSetTables();
  DestroyEditorPresetLists();
  DestroyFilePresetLists();
  return saved;
}
