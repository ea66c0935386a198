// The select commands. They work on whatever the active panel lists,
// folders and ".." included.
#include "module/names/select.hpp"

#include <cstring>
#include <memory>

#include "module/match/mask.hpp"
#include "module/dialogs/bindings.hpp"
#include "module/dialogs/dialog_builder.hpp"
#include "module/files/file_patterns.hpp"
#include "module/base/host_access.hpp"
#include "module/base/messages.hpp"
#include "module/base/settings.hpp"

namespace {

// Asks for the masks until they compile; false when the user left. The
// dialog edits copies, and a try that does not compile puts the settings
// back, so leaving the dialog changes no setting.
bool AskMasks(int mode) {
  DialogBuilder dialog(44, 9, "FileSelectDlg");
  std::string mask = FMask;
  int as_regexp = FMaskAsRegExp;
  dialog.AddFrame(mode);
  dialog.Add<CheckBoxItem>(5, 3, 0, MMaskAsRegExp, &as_regexp);
  dialog.Add<TextItem>(5, 2, 0, MMasksLabel);
  const int masks =
      dialog.Add<EditItem>(5, 4, 38, 0, "Masks", std::make_unique<StringBinding>(&mask));
  dialog.AddOkCancel(MOk, MCancel);
  dialog.SetFocus(masks);
  const std::string stored_mask = FMask;
  const int stored_as_regexp = FMaskAsRegExp;
  for (;;) {
    if (dialog.Run() != 0) return false;
    FMask = mask;
    FMaskAsRegExp = as_regexp;
    if (PrepareMaskPattern()) return true;
    FMask = stored_mask;
    FMaskAsRegExp = stored_as_regexp;
  }
}

void Mark(PluginPanelItem& item, int mode) {
  if (mode == MSelect)
    item.Flags |= PPIF_SELECTED;
  else if (mode == MUnselect)
    item.Flags &= ~PPIF_SELECTED;
  else
    item.Flags ^= PPIF_SELECTED;
}

}  // namespace

void SelectFilesCommand(int mode) {
  if (!AskMasks(mode)) return;
  PanelInfo panel;
  std::memset(&panel, 0, sizeof panel);
  StartupInfo.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &panel);
  for (int i = 0; i < panel.ItemsNumber; i++)
    if (MatchMaskList(FMask, panel.PanelItems[i].FindData.cFileName)) Mark(panel.PanelItems[i], mode);
  StartupInfo.Control(INVALID_HANDLE_VALUE, FCTL_SETSELECTION, &panel);
  StartupInfo.Control(INVALID_HANDLE_VALUE, FCTL_REDRAWPANEL, nullptr);
}
