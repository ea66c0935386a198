// The four preset lists of the module, one per main dialog. Each is built
// (and loads itself) at start-up; at unload they are saved, then destroyed,
// as two separate steps so that a failed save is known.
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
// Saves every list that exists; false when any of them could not be saved.
bool SavePresetLists();
