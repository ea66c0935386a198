// The advanced criteria test and its dialog. Sizes compare as whole 64-bit
// values, so a file of 4 GiB and more is measured by its real size.
#include "module/files/criteria.hpp"

#include <cstring>
#include <memory>

#include "module/dialogs/bindings.hpp"
#include "module/dialogs/dialog_builder.hpp"
#include "module/files/date_binding.hpp"
#include "module/base/host_access.hpp"
#include "module/base/messages.hpp"
#include "module/base/settings.hpp"

SearchPattern FullPathPattern;

namespace {

LONGLONG SizeOf(const WIN32_FIND_DATAA& entry) {
  return static_cast<LONGLONG>((static_cast<uint64_t>(entry.nFileSizeHigh) << 32) |
                               entry.nFileSizeLow);
}

FILETIME Bound(int low, int high) {
  return FILETIME{static_cast<DWORD>(low), static_cast<DWORD>(high)};
}

bool AttributesPass(DWORD attributes) {
  const struct {
    DWORD bit;
    int setting;
  } tests[] = {{FILE_ATTRIBUTE_READONLY, FAReadOnly}, {FILE_ATTRIBUTE_ARCHIVE, FAArchive},
               {FILE_ATTRIBUTE_HIDDEN, FAHidden},     {FILE_ATTRIBUTE_SYSTEM, FASystem},
               {FILE_ATTRIBUTE_COMPRESSED, FACompressed},
               {FILE_ATTRIBUTE_ENCRYPTED, FAEncrypted}};
  for (const auto& test : tests) {
    bool set = (attributes & test.bit) != 0;
    if ((test.setting == AttributeSet && !set) || (test.setting == AttributeClear && set))
      return false;
  }
  return true;
}

std::unique_ptr<EditItem> SizeField(int y, int* variable, SettingId id) {
  const SettingDescriptor& row = DescribeSetting(id);
  return std::make_unique<EditItem>(
      40, y, 55, 0, nullptr,
      std::make_unique<IntBinding>(variable, row.minimum, row.field_maximum, MAdvancedTitle,
                                   MInvalidNumber, "QXInvalidNumber"));
}

std::unique_ptr<EditItem> DateField(int y, int* low, int* high) {
  return std::make_unique<EditItem>(40, y, 60, 0, nullptr, std::make_unique<DateBinding>(low, high));
}

}  // namespace

bool MatchesCriteria(const WIN32_FIND_DATAA& entry) {
  if (FADateBefore) {
    FILETIME bound = Bound(FADateBeforeLo, FADateBeforeHi);
    if (CompareFileTime(&entry.ftLastWriteTime, &bound) > 0) return false;
  }
  if (FADateAfter) {
    FILETIME bound = Bound(FADateAfterLo, FADateAfterHi);
    if (CompareFileTime(&entry.ftLastWriteTime, &bound) < 0) return false;
  }
  if (FASizeLess && !(SizeOf(entry) < FASizeLessLimit)) return false;
  if (FASizeGreater && !(SizeOf(entry) > FASizeGreaterLimit)) return false;
  if (FAAttributes && !AttributesPass(entry.dwFileAttributes)) return false;
  if (FAFullPathMatch && !FullPathPattern.empty() &&
      RunPattern(FullPathPattern, entry.cFileName, std::strlen(entry.cFileName), 0, 0, nullptr,
                 0) < 0)
    return false;
  return true;
}

void AdvancedCriteriaDialog() {
  DialogBuilder dialog(66, 21, "AdvancedFileSearchDlg");
  dialog.AddFrame(MAdvancedTitle);
  dialog.Add<CheckBoxItem>(5, 2, 0, MFullPathMatch, &FAFullPathMatch);
  const int full_path =
      dialog.Add<EditItem>(5, 3, 60, 0, "FullPath", std::make_unique<StringBinding>(&FAFullPath));
  dialog.Add<CheckBoxItem>(35, 2, 0, MCaseSensitive, &FACaseSensitivePathMatch);
  dialog.Add<CheckBoxItem>(5, 5, 0, MDateAfter, &FADateAfter);
  dialog.AddItem(DateField(5, &FADateAfterLo, &FADateAfterHi));
  dialog.Add<CheckBoxItem>(5, 6, 0, MDateBefore, &FADateBefore);
  dialog.AddItem(DateField(6, &FADateBeforeLo, &FADateBeforeHi));
  dialog.Add<CheckBoxItem>(5, 7, 0, MSizeGreater, &FASizeGreater);
  dialog.AddItem(SizeField(7, &FASizeGreaterLimit, SettingId::FASizeGreaterLimit));
  dialog.Add<CheckBoxItem>(5, 8, 0, MSizeLess, &FASizeLess);
  dialog.AddItem(SizeField(8, &FASizeLessLimit, SettingId::FASizeLessLimit));
  dialog.Add<CheckBoxItem>(5, 10, 0, MAttributes, &FAAttributes);
  int* attributes[] = {&FAReadOnly, &FAArchive, &FAHidden, &FASystem, &FACompressed, &FAEncrypted};
  for (int i = 0; i < 6; i++)
    dialog.Add<CheckBoxItem>(5, 11 + i, DIF_3STATE, MAttributeReadOnly + i, attributes[i]);
  dialog.AddOkCancel(MOk, MCancel);
  dialog.SetFocus(full_path);

  while (dialog.Run() == 0) {
    FullPathPattern.Release();
    if (!FAFullPathMatch) return;
    if (CompilePattern(FullPathPattern, FAFullPath.c_str(), FACaseSensitivePathMatch)) return;
  }
}
