// Module loading: a private copy per load, opened with dlopen and removed
// at once (the mapping outlives the name), entry points looked up by name.
#include "host/core/module.hpp"

#include <dlfcn.h>
#include <stdlib.h>

#include <filesystem>
#include <system_error>

namespace host {

namespace fs = std::filesystem;

namespace {

// A temporary folder of its own for each copy, so two copies never share a
// path and removing one never touches another.
std::string MakeCopyFolder(std::string* error) {
  std::error_code ec;
  fs::path base = fs::temp_directory_path(ec);
  if (ec) base = "/tmp";
  std::string pattern = (base / "finderix-module-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    *error = "cannot create a folder for the module copy under " + base.string();
    return {};
  }
  return pattern;
}

// dlsym hands back an object pointer; the entry point types are function
// pointers of the same size.
template <typename Fn>
void LookUp(void* handle, const char* name, Fn* entry) {
  *entry = reinterpret_cast<Fn>(dlsym(handle, name));
}

void LookUpEntryPoints(void* handle, EntryPoints* entry) {
  LookUp(handle, "SetStartupInfo", &entry->SetStartupInfo);
  LookUp(handle, "GetPluginInfo", &entry->GetPluginInfo);
  LookUp(handle, "OpenPlugin", &entry->OpenPlugin);
  LookUp(handle, "Configure", &entry->Configure);
  LookUp(handle, "ExitFAR", &entry->ExitFAR);
  LookUp(handle, "GetOpenPluginInfo", &entry->GetOpenPluginInfo);
  LookUp(handle, "GetFindData", &entry->GetFindData);
  LookUp(handle, "SetDirectory", &entry->SetDirectory);
  LookUp(handle, "ProcessKey", &entry->ProcessKey);
  LookUp(handle, "ClosePlugin", &entry->ClosePlugin);
}

}  // namespace

std::unique_ptr<Module> Module::Load(const std::string& path, std::string* error) {
  std::unique_ptr<Module> module(new Module());
  std::error_code ec;
  fs::path original = fs::canonical(path, ec);
  if (ec) {
    *error = "cannot find the module " + path + ": " + ec.message();
    return nullptr;
  }
  module->path_ = original.string();
  module->folder_ = original.parent_path().string();

  module->copy_folder_ = MakeCopyFolder(error);
  if (module->copy_folder_.empty()) return nullptr;
  module->copy_path_ = (fs::path(module->copy_folder_) / original.filename()).string();
  if (!fs::copy_file(original, module->copy_path_, ec)) {
    *error = "cannot copy the module to " + module->copy_path_ + ": " + ec.message();
    return nullptr;  // the destructor removes the folder
  }

  module->handle_ = dlopen(module->copy_path_.c_str(), RTLD_NOW | RTLD_LOCAL);
  // Loaded, the copy needs no name: removing it now leaves nothing behind
  // when the program is killed.
  module->RemoveCopy();
  if (!module->handle_) {
    const char* reason = dlerror();
    *error = "cannot load the module " + path + ": " + (reason ? reason : "unknown error");
    return nullptr;
  }
  LookUpEntryPoints(module->handle_, &module->entry_);
  return module;
}

void Module::RemoveCopy() {
  if (copy_folder_.empty()) return;
  std::error_code ec;  // a copy that cannot be removed is left behind, not fatal
  fs::remove_all(copy_folder_, ec);
  copy_folder_.clear();
}

Module::~Module() {
  if (handle_) dlclose(handle_);
  RemoveCopy();
}

}  // namespace host
