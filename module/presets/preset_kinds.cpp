// The registry value names of each preset kind, in slot order: the order in
// which the owning dialogs pass their variables to the preset menu.
#include "module/presets/preset_kinds.hpp"

namespace {

constexpr const char* kEditReplaceTexts[] = {"Text", "Replace"};
constexpr const char* kEditReplaceNumbers[] = {"IsRegExp", "CaseSensitive", "RemoveEmpty",
                                               "RemoveNoMatch"};
constexpr const char* kEditFindTexts[] = {"Text"};
constexpr const char* kEditFindNumbers[] = {"IsRegExp", "CaseSensitive"};
constexpr const char* kFileReplaceTexts[] = {"Mask", "Text", "Replace"};
constexpr const char* kFileReplaceNumbers[] = {"MaskAsRegExp", "CaseSensitive", "SearchAs"};
constexpr const char* kFileFindTexts[] = {"Mask", "Text"};
constexpr const char* kFileFindNumbers[] = {"MaskAsRegExp", "CaseSensitive", "SearchAs",
                                            "IsInverse"};

}  // namespace

std::span<const char* const> EditReplacePresets::TextNames() const { return kEditReplaceTexts; }
std::span<const char* const> EditReplacePresets::NumberNames() const { return kEditReplaceNumbers; }
std::span<const char* const> EditFindPresets::TextNames() const { return kEditFindTexts; }
std::span<const char* const> EditFindPresets::NumberNames() const { return kEditFindNumbers; }
std::span<const char* const> FileReplacePresets::TextNames() const { return kFileReplaceTexts; }
std::span<const char* const> FileReplacePresets::NumberNames() const { return kFileReplaceNumbers; }
std::span<const char* const> FileFindPresets::TextNames() const { return kFileFindTexts; }
std::span<const char* const> FileFindPresets::NumberNames() const { return kFileFindNumbers; }
