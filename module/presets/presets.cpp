// Owner of the four preset lists; creating one loads it from the registry,
// destroying one writes it back.
#include "module/presets/presets.hpp"

#include "module/presets/preset_kinds.hpp"

std::unique_ptr<PresetList> EditorSearchPresets, EditorReplacePresets, FileSearchPresets,
    FileReplacePresets;

void CreateEditorPresetLists() {
  EditorSearchPresets = std::make_unique<EditFindPresets>();
  EditorReplacePresets = std::make_unique<EditReplacePresets>();
}

void DestroyEditorPresetLists() {
  EditorSearchPresets.reset();
  EditorReplacePresets.reset();
}

void CreateFilePresetLists() {
  FileSearchPresets = std::make_unique<FileFindPresets>();
  // The list shares its name with its kind, so the kind is named as a class.
  FileReplacePresets = std::make_unique<class FileReplacePresets>();
}

void DestroyFilePresetLists() {
  FileSearchPresets.reset();
  FileReplacePresets.reset();
}
