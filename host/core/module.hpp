// A loaded module. Each load copies the shared object to a fresh temporary
// folder and opens the copy, so a module loaded twice (by two hosts, or one
// after the other) starts with fresh globals every time; the copy goes when
// the module is unloaded. Files that belong to the module (its language
// files) are found beside the original, never beside the copy.
#pragma once

#include <memory>
#include <string>

#include "sdk/plugin.hpp"

namespace host {

// The module's exports, looked up by name; a missing one is null and the
// host treats it as not offered.
struct EntryPoints {
  SetStartupInfoFn SetStartupInfo = nullptr;
  GetPluginInfoFn GetPluginInfo = nullptr;
  OpenPluginFn OpenPlugin = nullptr;
  ConfigureFn Configure = nullptr;
  ExitFARFn ExitFAR = nullptr;
  GetOpenPluginInfoFn GetOpenPluginInfo = nullptr;
  GetFindDataFn GetFindData = nullptr;
  SetDirectoryFn SetDirectory = nullptr;
  ProcessKeyFn ProcessKey = nullptr;
  ClosePluginFn ClosePlugin = nullptr;
};

class Module {
 public:
  // Copies and opens the module at a POSIX path; null with a reason in
  // *error when the file cannot be copied or is not a loadable object.
  static std::unique_ptr<Module> Load(const std::string& path, std::string* error);

  // Closes the copy (removed with its temporary folder once loaded).
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  const EntryPoints& entry() const { return entry_; }
  const std::string& path() const { return path_; }            // the original, absolute
  const std::string& folder() const { return folder_; }        // the original's folder
  const std::string& copy_path() const { return copy_path_; }  // what was opened, gone now

 private:
  Module() = default;
  void RemoveCopy();

  std::string path_;
  std::string folder_;
  std::string copy_folder_;
  std::string copy_path_;
  void* handle_ = nullptr;  // dlopen handle of the copy
  EntryPoints entry_;
};

}  // namespace host
