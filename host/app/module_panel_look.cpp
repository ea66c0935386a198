// Reading a module panel's description.
#include "host/app/module_panel_look.hpp"

namespace host::app {

ModulePanelLook ReadModulePanelLook(const Host& host, HANDLE plugin) {
  ModulePanelLook look;
  GetOpenPluginInfoFn get = host.module().entry().GetOpenPluginInfo;
  if (!get) return look;
  OpenPluginInfo info{};
  info.StructSize = sizeof(info);
  get(plugin, &info);
  if (info.PanelTitle) look.panel.title = info.PanelTitle;
  look.panel.right_aligned_names = info.Flags & OPIF_SHOWRIGHTALIGNNAMES;
  if (info.KeyBar) {
    for (size_t i = 0; i < look.keys.size(); ++i) {
      if (const char* title = info.KeyBar->Titles[i]) look.keys[i] = title;
    }
  }
  return look;
}

}  // namespace host::app
