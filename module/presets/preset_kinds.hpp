// The four kinds of presets, one per main dialog. Each names its registry
// values and its preset dialog; each loads itself in its own constructor,
// where its names are already in reach.
#pragma once

#include "module/base/messages.hpp"
#include "module/presets/preset_list.hpp"

// Texts: Text, Replace. Numbers: IsRegExp, CaseSensitive, RemoveEmpty,
// RemoveNoMatch.
class EditReplacePresets final : public PresetList {
 public:
  EditReplacePresets() { LoadPresets(); }
  bool EditPreset(PresetRecord& record) override;
  const char* KindName() const override { return "EditReplace"; }
  int TitleMessage() const override { return MEditReplacePresetTitle; }
  std::span<const char* const> TextNames() const override;
  std::span<const char* const> NumberNames() const override;
};

// Texts: Text. Numbers: IsRegExp, CaseSensitive.
class EditFindPresets final : public PresetList {
 public:
  EditFindPresets() { LoadPresets(); }
  bool EditPreset(PresetRecord& record) override;
  const char* KindName() const override { return "EditFind"; }
  int TitleMessage() const override { return MEditFindPresetTitle; }
  std::span<const char* const> TextNames() const override;
  std::span<const char* const> NumberNames() const override;
};

// Texts: Mask, Text, Replace. Numbers: MaskAsRegExp, CaseSensitive,
// SearchAs (0 to 2).
class FileReplacePresets final : public PresetList {
 public:
  FileReplacePresets() { LoadPresets(); }
  bool EditPreset(PresetRecord& record) override;
  const char* KindName() const override { return "FileReplace"; }
  int TitleMessage() const override { return MFileReplacePresetTitle; }
  std::span<const char* const> TextNames() const override;
  std::span<const char* const> NumberNames() const override;
};

// Texts: Mask, Text. Numbers: MaskAsRegExp, CaseSensitive, SearchAs (0 to
// 5), IsInverse.
class FileFindPresets final : public PresetList {
 public:
  FileFindPresets() { LoadPresets(); }
  bool EditPreset(PresetRecord& record) override;
  const char* KindName() const override { return "FileFind"; }
  int TitleMessage() const override { return MFileFindPresetTitle; }
  std::span<const char* const> TextNames() const override;
  std::span<const char* const> NumberNames() const override;
};
