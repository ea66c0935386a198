// The service table handed to the module. The services are plain C
// functions (the table holds function pointers and the module passes no
// context back), so they act on one current set of targets: a ServiceRouting
// object installs the host's targets, and its Ui as the console, for as long
// as it lives. With none installed every service answers as if cancelled or
// empty.
#pragma once

#include <memory>
#include <string>

#include "host/core/editor_buffer.hpp"
#include "host/core/language.hpp"
#include "host/core/match_sink.hpp"
#include "host/core/panels.hpp"
#include "host/core/screens.hpp"
#include "host/ui/ui.hpp"
#include "sdk/plugin.hpp"

namespace host {

constexpr int kModuleNumber = 0;
constexpr const char* kRootKey = "Software\\Far\\Plugins";

struct ServiceTargets {
  Ui* ui = nullptr;
  const Language* language = nullptr;
  Panels* panels = nullptr;
  Screens* screens = nullptr;
  // The host's editor slot; EditorControl fails while it is empty.
  const std::unique_ptr<EditorBuffer>* editor = nullptr;
  // Hears the module's match reports; without one they are refused.
  MatchSink* matches = nullptr;
};

// Installs targets for the services and the console; the routing that was
// current before comes back when it is destroyed, so routings must nest.
class ServiceRouting {
 public:
  explicit ServiceRouting(const ServiceTargets& targets);
  ~ServiceRouting();
  ServiceRouting(const ServiceRouting&) = delete;
  ServiceRouting& operator=(const ServiceRouting&) = delete;

 private:
  ServiceTargets targets_;
  const ServiceTargets* previous_;
};

// The table for a module whose path (in the module's own form, "C:\...")
// is module_name; cut to fit the field.
PluginStartupInfo BuildStartupInfo(const std::string& module_name);

}  // namespace host
