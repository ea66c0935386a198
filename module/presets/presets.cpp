// Owner of the four preset lists; creating one loads it from the registry,
// and only SavePresetLists writes them back.
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

bool SavePresetLists() {
  bool saved = true;
  for (PresetList* list : {EditorSearchPresets.get(), EditorReplacePresets.get(),
                           FileSearchPresets.get(), FileReplacePresets.get()})
    if (list) saved &= list->SavePresets();
  return saved;
}
