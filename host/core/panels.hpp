// The host's two panels and the module's Control service on them. The
// process's current folder follows the active panel's folder, so relative
// paths in the module resolve the way a user expects.
#pragma once

#include <functional>
#include <string>

#include "host/core/panel.hpp"

namespace host {

class Panels {
 public:
  // Both panels start in the folders given (module paths); false when one
  // of them is not a folder.
  bool Open(const std::string& active_folder, const std::string& passive_folder);

  Panel& active() { return active_is_left_ ? left_ : right_; }
  Panel& passive() { return active_is_left_ ? right_ : left_; }
  void SwitchActive();

  // Sets the process's current folder to the active panel's folder.
  void SyncProcessFolder();

  // The Control service. The handle names the panel: INVALID_HANDLE_VALUE
  // the active one, a module's panel handle the panel that shows it; the
  // "ANOTHER" commands act on the other panel. Returns TRUE or FALSE.
  int Control(HANDLE plugin, int command, void* param);

  // Closes each module panel the module asked to leave: `close_plugin`
  // hands the handle back to the module, then the panel shows the folder
  // the module named.
  void FinishRequestedCloses(const std::function<void(HANDLE)>& close_plugin);

 private:
  Panel* PanelFor(HANDLE plugin);
  Panel& Other(const Panel& panel) { return &panel == &left_ ? right_ : left_; }
  int ControlOn(Panel& panel, int command, void* param);
  bool SetFolder(Panel& panel, const char* folder);

  Panel left_{SmallRect{0, 1, 39, 22}};
  Panel right_{SmallRect{40, 1, 79, 22}};
  bool active_is_left_ = true;
};

}  // namespace host
