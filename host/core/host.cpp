// The host's life cycle and its calls into the module.
#include "host/core/host.hpp"

#include <cstdlib>
#include <filesystem>
#include <type_traits>

#include "platform/host_bridge.hpp"

namespace host {

namespace {

std::string PanelFolder(const std::string& posix_folder) {
  std::error_code ec;
  std::string folder = posix_folder.empty() ? std::filesystem::current_path(ec).string()
                                            : posix_folder;
  return platform::ToModulePath(folder);
}

// The module's items as the host keeps them: the module still owns its
// array (it exports no call to free it), so the records are copied, and the
// text pointers in them are not kept, since they point into module memory.
PluginPanelItem HostCopy(const PluginPanelItem& item) {
  PluginPanelItem copy{};
  copy.FindData = item.FindData;
  copy.PackSizeHigh = item.PackSizeHigh;
  copy.PackSize = item.PackSize;
  copy.Flags = item.Flags;
  copy.NumberOfLinks = item.NumberOfLinks;
  copy.UserData = item.UserData;
  copy.CRC32 = item.CRC32;
  return copy;
}

}  // namespace

template <typename Call>
auto Host::CallModule(Call call) {
  panels_.SyncProcessFolder();
  auto finish = [this] {
    panels_.FinishRequestedCloses([this](HANDLE plugin) { ClosePluginOf(plugin); });
  };
  if constexpr (std::is_void_v<decltype(call())>) {
    call();
    finish();
  } else {
    auto result = call();
    finish();
    return result;
  }
}

std::unique_ptr<Host> Host::Start(const HostOptions& options, Ui& ui, std::string* error) {
  std::unique_ptr<Module> module = Module::Load(options.module_path, error);
  if (!module) return nullptr;
  std::unique_ptr<Host> host(new Host(ui, std::move(module)));

  if (!options.registry_file.empty()) {
    platform::SetRegistryFile(options.registry_file,
                              options.registry_is_scratch ? platform::RegistryWrites::kScratch
                                                          : platform::RegistryWrites::kDurable);
    host->registry_set_ = true;
  }
  const char* lang = options.lang ? options.lang->c_str() : std::getenv("LANG");
  LoadModuleLanguage(host->module_->folder(), lang, &host->language_);

  std::string active = PanelFolder(options.folder);
  std::string passive = options.passive_folder.empty() ? active
                                                       : PanelFolder(options.passive_folder);
  if (!host->panels_.Open(active, passive)) {
    *error = "cannot show the folder " + active + " or " + passive;
    host->exit_called_ = true;  // SetStartupInfo never ran
    return nullptr;
  }

  host->routing_ = std::make_unique<ServiceRouting>(ServiceTargets{
      .ui = &ui, .language = &host->language_, .panels = &host->panels_,
      .screens = &host->screens_, .editor = &host->editor_, .matches = options.matches});
  host->startup_info_ = BuildStartupInfo(platform::ToModulePath(host->module_->path()));
  if (SetStartupInfoFn set = host->module_->entry().SetStartupInfo) {
    host->CallModule([&] { set(&host->startup_info_); });
  }
  return host;
}

Host::~Host() {
  ExitFAR();
  routing_.reset();
  module_.reset();
  if (registry_set_) platform::CloseRegistry();
}

void Host::ClosePluginOf(HANDLE plugin) {
  if (ClosePluginFn close = module_->entry().ClosePlugin) close(plugin);
}

void Host::LeaveModulePanel(Panel& panel) {
  if (!panel.plugin()) return;
  HANDLE plugin = panel.plugin_handle();
  CallModule([&] { ClosePluginOf(plugin); });
  panel.LeavePlugin(std::nullopt);
  panels_.SyncProcessFolder();
}

bool Host::ListPlugin(HANDLE plugin, PluginListing* listing) {
  const EntryPoints& entry = module_->entry();
  if (!entry.GetFindData) return false;
  OpenPluginInfo info{};
  info.StructSize = sizeof(info);
  if (entry.GetOpenPluginInfo) entry.GetOpenPluginInfo(plugin, &info);
  listing->cur_dir = info.CurDir ? info.CurDir : "";
  listing->add_dots = (info.Flags & OPIF_ADDDOTS) != 0;

  PluginPanelItem* items = nullptr;
  int count = 0;
  if (!entry.GetFindData(plugin, &items, &count, 0)) return false;
  // A results list may hold tens of thousands of items: one allocation,
  // with room for "..", not one per doubling, each of which pays for fresh
  // pages.
  listing->items.clear();
  listing->items.reserve((items && count > 0 ? static_cast<size_t>(count) : 0) + 1);
  for (int i = 0; items && i < count; ++i) listing->items.push_back(HostCopy(items[i]));
  return true;
}

bool Host::GetPluginInfo(PluginInfo* info) {
  GetPluginInfoFn get = Offered(module_->entry().GetPluginInfo);
  if (!get) return false;
  *info = PluginInfo{};
  info->StructSize = sizeof(PluginInfo);
  CallModule([&] { get(info); });
  return true;
}

HANDLE Host::OpenPlugin(int open_from, intptr_t item) {
  OpenPluginFn open = Offered(module_->entry().OpenPlugin);
  if (!open) return INVALID_HANDLE_VALUE;
  HANDLE plugin = CallModule([&] { return open(open_from, item); });
  if (plugin == INVALID_HANDLE_VALUE || plugin == nullptr) return INVALID_HANDLE_VALUE;

  Panel& panel = panels_.active();
  // The same handle again means the module reuses the panel it already
  // shows; closing it would release what the module just built.
  HANDLE replaced = panel.plugin() && panel.plugin_handle() != plugin ? panel.plugin_handle()
                                                                     : nullptr;
  if (!panel.ShowPlugin(plugin, this)) {
    CallModule([&] { ClosePluginOf(plugin); });
    return INVALID_HANDLE_VALUE;
  }
  if (replaced) CallModule([&] { ClosePluginOf(replaced); });
  return plugin;
}

std::optional<int> Host::Configure(int item_number) {
  ConfigureFn configure = Offered(module_->entry().Configure);
  if (!configure) return std::nullopt;
  return CallModule([&] { return configure(item_number); });
}

void Host::ExitFAR() {
  if (exit_called_ || !module_) return;
  LeaveModulePanel(panels_.active());
  LeaveModulePanel(panels_.passive());
  exit_called_ = true;
  if (ExitFARFn exit = module_->entry().ExitFAR) CallModule([&] { exit(); });
}

int Host::ProcessKey(int key, unsigned control_state) {
  ProcessKeyFn process = Offered(module_->entry().ProcessKey);
  Panel& panel = panels_.active();
  if (!process || !panel.plugin()) return 0;
  return CallModule([&] { return process(panel.plugin_handle(), key, control_state); });
}

int Host::SetDirectory(const char* folder, int op_mode) {
  SetDirectoryFn set = Offered(module_->entry().SetDirectory);
  Panel& panel = panels_.active();
  if (!set || !panel.plugin()) return 0;
  return CallModule([&] { return set(panel.plugin_handle(), folder, op_mode); });
}

void Host::ClosePlugin() {
  if (!exit_called_) LeaveModulePanel(panels_.active());
}

bool Host::OpenEditor(const std::string& posix_path, std::string* error) {
  std::unique_ptr<EditorBuffer> buffer = EditorBuffer::Load(posix_path, error);
  if (!buffer) return false;
  editor_ = std::move(buffer);
  return true;
}

bool Host::CallEditorPlugin() {
  OpenPluginFn open = Offered(module_->entry().OpenPlugin);
  if (!open || !editor_) return false;
  // The editor origin never opens a panel; a handle returned anyway is
  // not shown.
  CallModule([&] { open(OPEN_EDITOR, 0); });
  return true;
}

}  // namespace host
