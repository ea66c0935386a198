// The four preset lists of the module, one per main dialog. Each is built
// (and loads itself) when the settings are read at start-up, and destroyed
// (saving itself first) when the module is unloaded.
#pragma once

#include <memory>

#include "module/presets/preset_list.hpp"

extern std::unique_ptr<PresetList> EditorSearchPresets, EditorReplacePresets, FileSearchPresets,
    FileReplacePresets;

// Search list first, then replace, in both directions.
void CreateEditorPresetLists();
void DestroyEditorPresetLists();
void CreateFilePresetLists();
void DestroyFilePresetLists();
