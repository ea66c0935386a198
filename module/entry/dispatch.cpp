// Routing by where the module was opened from, the file menu, and what
// follows a panel command: the results panel or a refreshed panel.
#include "module/entry/dispatch.hpp"

#include <utility>

#include "module/editor/commands.hpp"
#include "module/editor/editor_state.hpp"
#include "module/files/replace_command.hpp"
#include "module/files/results_panel.hpp"
#include "module/files/search_command.hpp"
#include "module/names/rename_commands.hpp"
#include "module/names/select.hpp"
#include "module/entry/ff_command.hpp"
#include "module/base/host_access.hpp"
#include "module/base/menu.hpp"
#include "module/base/messages.hpp"

namespace {

HANDLE RefreshActivePanel() {
  StartupInfo.Control(INVALID_HANDLE_VALUE, FCTL_UPDATEPANEL, reinterpret_cast<void*>(1));
  StartupInfo.Control(INVALID_HANDLE_VALUE, FCTL_REDRAWPANEL, nullptr);
  return INVALID_HANDLE_VALUE;
}

int ShowFileMenu() {
  return ShowMenu(FMENU_WRAPMODE | FMENU_AUTOHIGHLIGHT, GetMsg(MFileMenuTitle), nullptr,
                  "FileMenu",
                  {GetMsg(MSearch), GetMsg(MReplace), nullptr, GetMsg(MSelect), GetMsg(MUnselect),
                   GetMsg(MInvertSelection), nullptr, GetMsg(MRename), GetMsg(MRenameSelected)});
}

HANDLE OpenShortcut(const char* folder) {
  StartupInfo.Control(INVALID_HANDLE_VALUE, FCTL_SETPANELDIR, const_cast<char*>(folder));
  StartupInfo.Control(INVALID_HANDLE_VALUE, FCTL_UPDATEPANEL, nullptr);
  StartupInfo.Control(INVALID_HANDLE_VALUE, FCTL_REDRAWPANEL, nullptr);
  return INVALID_HANDLE_VALUE;
}

}  // namespace

HANDLE RunPanelCommand(int code, int show_dialog) {
  int result = kCancelled;
  ResultList results;
  switch (code) {
    case kFileSearch:
      result = SearchFilesCommand(results, show_dialog);
      break;
    case kFileReplace:
      result = ReplaceFilesCommand(results, show_dialog);
      break;
    case kRenameFiles:
      result = RenameFilesCommand(results);
      break;
    case kRenameSelected:
      result = RenameSelectedCommand(results);
      break;
    case kSelectFiles:
      SelectFilesCommand(MSelect);
      break;
    case kUnselectFiles:
      SelectFilesCommand(MUnselect);
      break;
    case kInvertSelection:
      SelectFilesCommand(MInvertSelection);
      break;
    default:
      break;
  }
  if (result != kCancelled) AdoptFileSearch(code != kFileSearch);
  if (result == kListReady) return OpenResultsPanel(std::move(results));
  return RefreshActivePanel();
}

HANDLE OpenFrom(int open_from, intptr_t item) {
  switch (open_from) {
    case OPEN_PLUGINSMENU: {
      int code = ShowFileMenu();
      if (code < 0) return INVALID_HANDLE_VALUE;
      return RunPanelCommand(code, 1);
    }
    case OPEN_SHORTCUT:
      return OpenShortcut(reinterpret_cast<const char*>(item));
    case OPEN_COMMANDLINE: {
      int show_dialog = 0, code = kFileSearch;
      if (!ParseCommandLine(reinterpret_cast<const char*>(item), &show_dialog, &code))
        return INVALID_HANDLE_VALUE;
      return RunPanelCommand(code, show_dialog);
    }
    case OPEN_EDITOR:
      RunEditorCommand();
      return INVALID_HANDLE_VALUE;
    default:
      return INVALID_HANDLE_VALUE;
  }
}
