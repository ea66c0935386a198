// The panel pair and the Control commands the module sends to it.
#include "host/core/panels.hpp"

namespace host {

namespace {

// The command's counterpart on the panel the handle names, and whether it
// was an "ANOTHER" command.
struct Target {
  int command;
  bool other;
};

Target TargetOf(int command) {
  switch (command) {
    case FCTL_GETANOTHERPANELINFO: return {FCTL_GETPANELINFO, true};
    case FCTL_UPDATEANOTHERPANEL: return {FCTL_UPDATEPANEL, true};
    case FCTL_REDRAWANOTHERPANEL: return {FCTL_REDRAWPANEL, true};
    case FCTL_SETANOTHERPANELDIR: return {FCTL_SETPANELDIR, true};
    case FCTL_SETANOTHERSELECTION: return {FCTL_SETSELECTION, true};
    default: return {command, false};
  }
}

}  // namespace

bool Panels::Open(const std::string& active_folder, const std::string& passive_folder) {
  active_is_left_ = true;
  if (!active().SetFolder(active_folder) || !passive().SetFolder(passive_folder)) return false;
  SyncProcessFolder();
  return true;
}

void Panels::SwitchActive() {
  active_is_left_ = !active_is_left_;
  SyncProcessFolder();
}

void Panels::SyncProcessFolder() {
  if (!active().folder().empty()) SetCurrentDirectoryA(active().folder().c_str());
}

Panel* Panels::PanelFor(HANDLE plugin) {
  if (plugin == INVALID_HANDLE_VALUE) return &active();
  if (left_.plugin() && left_.plugin_handle() == plugin) return &left_;
  if (right_.plugin() && right_.plugin_handle() == plugin) return &right_;
  return nullptr;
}

int Panels::Control(HANDLE plugin, int command, void* param) {
  Panel* named = PanelFor(plugin);
  if (!named) return FALSE;
  Target target = TargetOf(command);
  return ControlOn(target.other ? Other(*named) : *named, target.command, param);
}

int Panels::ControlOn(Panel& panel, int command, void* param) {
  switch (command) {
    case FCTL_CLOSEPLUGIN:
      if (!panel.plugin()) return FALSE;
      panel.RequestClose(static_cast<const char*>(param));
      return TRUE;
    case FCTL_GETPANELINFO:
      if (!param) return FALSE;
      panel.FillInfo(static_cast<PanelInfo*>(param), &panel == &active());
      return TRUE;
    case FCTL_UPDATEPANEL:
      // A non-null parameter asks to keep the selection.
      return panel.Reread(param != nullptr) ? TRUE : FALSE;
    case FCTL_REDRAWPANEL:
      panel.Redraw(static_cast<const PanelRedrawInfo*>(param));
      return TRUE;
    case FCTL_SETSELECTION:
      if (!param) return FALSE;
      panel.ApplySelection(*static_cast<const PanelInfo*>(param));
      return TRUE;
    case FCTL_SETPANELDIR:
      return SetFolder(panel, static_cast<const char*>(param)) ? TRUE : FALSE;
    default:
      return FALSE;  // command line and view modes: this host has neither
  }
}

bool Panels::SetFolder(Panel& panel, const char* folder) {
  if (!folder || !panel.SetFolder(folder)) return false;
  if (&panel == &active()) SyncProcessFolder();
  return true;
}

void Panels::FinishRequestedCloses(const std::function<void(HANDLE)>& close_plugin) {
  for (Panel* panel : {&left_, &right_}) {
    if (!panel->close_requested()) continue;
    std::optional<std::string> folder = panel->close_folder();  // LeavePlugin clears it
    close_plugin(panel->plugin_handle());
    panel->LeavePlugin(folder);
    if (panel == &active()) SyncProcessFolder();
  }
}

}  // namespace host
