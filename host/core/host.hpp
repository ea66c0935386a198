// The host: loads the module, hands it the service table, and offers its
// entry points to whoever drives it (a test, the command line, the
// full-screen program). Only one host routes the services at a time; a
// second one started while the first lives takes them over until it ends.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "host/core/editor_buffer.hpp"
#include "host/core/language.hpp"
#include "host/core/module.hpp"
#include "host/core/panels.hpp"
#include "host/core/screens.hpp"
#include "host/core/services.hpp"
#include "host/ui/ui.hpp"

namespace host {

struct HostOptions {
  std::string module_path;    // POSIX path of finderix.so
  std::string registry_file;  // empty: leave the platform's registry file as it is
  bool registry_is_scratch = false;  // registry_file lives only as long as the run
  std::string folder;         // POSIX folder of the active panel; empty: the current folder
  std::string passive_folder; // POSIX folder of the other panel; empty: same as the active one
  std::optional<std::string> lang;  // LANG value choosing the language file; unset: $LANG
  MatchSink* matches = nullptr;     // hears the module's match reports; must outlive the host
};

class Host : private PluginLister {
 public:
  // Loads the module and calls SetStartupInfo; null with a reason in *error
  // when the module cannot be loaded or a panel folder is not a folder.
  static std::unique_ptr<Host> Start(const HostOptions& options, Ui& ui, std::string* error);

  // Closes a module panel that is still shown, calls ExitFAR unless that
  // was done already, and unloads the module.
  ~Host() override;
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // Each returns nothing (or false) when the module does not offer the call.
  bool GetPluginInfo(PluginInfo* info);
  // Shows the module's panel in the active panel when it returns one.
  // INVALID_HANDLE_VALUE when it does not, or does not offer the call.
  HANDLE OpenPlugin(int open_from, intptr_t item);
  std::optional<int> Configure(int item_number);
  void ExitFAR();

  // The module panel in the active panel; 0 when none is shown or the
  // module does not offer the call.
  int ProcessKey(int key, unsigned control_state);
  int SetDirectory(const char* folder, int op_mode);
  // Closes the module panel of the active panel, back to its own folder.
  void ClosePlugin();

  // Opens a file (a POSIX path) in the host's editor, in place of the file
  // open before; false with a reason when it cannot be read.
  bool OpenEditor(const std::string& posix_path, std::string* error);
  // The open editor, or null.
  EditorBuffer* editor() { return editor_.get(); }
  void CloseEditor() { editor_.reset(); }
  // Calls the module from the editor (OPEN_EDITOR); false when no editor is
  // open or the module does not offer the call.
  bool CallEditorPlugin();

  const PluginStartupInfo& startup_info() const { return startup_info_; }
  const Module& module() const { return *module_; }
  const Language& language() const { return language_; }
  Panels& panels() { return panels_; }
  Screens& screens() { return screens_; }
  bool exit_called() const { return exit_called_; }

 private:
  Host(Ui& ui, std::unique_ptr<Module> module) : module_(std::move(module)), screens_(ui) {}

  bool ListPlugin(HANDLE plugin, PluginListing* listing) override;
  // Runs one call into the module: the process's folder follows the active
  // panel first, and panels the module asked to leave are closed after.
  template <typename Call>
  auto CallModule(Call call);
  void ClosePluginOf(HANDLE plugin);
  // Closes the module panel a panel shows, back to the panel's own folder.
  void LeaveModulePanel(Panel& panel);
  // An entry point as long as the module may still be called, else null.
  template <typename Fn>
  Fn Offered(Fn entry) const {
    return exit_called_ ? nullptr : entry;
  }

  std::unique_ptr<Module> module_;
  Language language_;
  Panels panels_;
  Screens screens_;
  std::unique_ptr<EditorBuffer> editor_;
  std::unique_ptr<ServiceRouting> routing_;
  PluginStartupInfo startup_info_{};
  bool registry_set_ = false;
  bool exit_called_ = false;
};

}  // namespace host
