// How a module's panel wants to look: its title, whether its names are
// shown right-aligned, and its key bar labels, read through the module's
// GetOpenPluginInfo and copied, since the texts live in module memory.
#pragma once

#include "host/core/host.hpp"
#include "host/ui/terminal/key_bar.hpp"
#include "host/ui/terminal/panel_view.hpp"

namespace host::app {

struct ModulePanelLook {
  tui::PanelLook panel;
  tui::KeyLabels keys;  // the plain row of the module's key bar; empty where it sets none
};

// Nothing of the module is changed: the call only describes the panel.
ModulePanelLook ReadModulePanelLook(const Host& host, HANDLE plugin);

}  // namespace host::app
