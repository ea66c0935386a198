// One panel of the host: a folder listing, or the item list of a module's
// panel shown over that folder, with the selection and the cursor. The
// records handed to the module through PanelInfo are the panel's own
// copies, rebuilt only when the module asks for them again.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sdk/plugin.hpp"

namespace host {

// What a module's panel shows, read from the module by the host.
struct PluginListing {
  std::vector<PluginPanelItem> items;  // host copies; pointer fields cleared
  std::string cur_dir;
  bool add_dots = false;  // OPIF_ADDDOTS: the host adds ".." in front
};

// Reads a module's panel; implemented by the host, which owns the module.
class PluginLister {
 public:
  virtual ~PluginLister() = default;
  virtual bool ListPlugin(HANDLE plugin, PluginListing* listing) = 0;
};

class Panel {
 public:
  explicit Panel(SmallRect rect) : rect_(rect) {}

  // Shows a folder (absolute, or relative to the current one) as a file
  // panel; false, with the panel unchanged, when it is not a listable folder.
  bool SetFolder(const std::string& request);
  // Reads the items again; the cursor stays on the item of the same name.
  // With keep_selection the items selected before stay selected (by name);
  // otherwise the selection is what the listing says (none for a folder).
  bool Reread(bool keep_selection);

  // Shows a module's panel over the current folder; false (nothing shown)
  // when the module cannot list it.
  bool ShowPlugin(HANDLE plugin, PluginLister* lister);
  // Leaves the module's panel for a folder (the panel's own folder when none
  // is given or it is not a folder).
  void LeavePlugin(const std::optional<std::string>& folder);

  // The module asked to leave its panel; the host acts on it once the
  // module's call has returned.
  void RequestClose(const char* folder);
  bool close_requested() const { return close_requested_; }
  const std::optional<std::string>& close_folder() const { return close_folder_; }

  // Fills a PanelInfo whose item arrays stay valid until this panel is asked
  // for its info again.
  void FillInfo(PanelInfo* info, bool focus);
  // Takes the PPIF_SELECTED bits of the records, matched by index.
  void ApplySelection(const PanelInfo& info);
  void Redraw(const PanelRedrawInfo* position);

  void SetCursor(int index);
  void Select(int index, bool selected);

  const std::string& folder() const { return folder_; }
  const std::vector<PluginPanelItem>& items() const { return items_; }
  int cursor() const { return cursor_; }
  bool plugin() const { return plugin_ != nullptr; }
  HANDLE plugin_handle() const { return plugin_; }
  int redraw_count() const { return redraws_; }

 private:
  bool ReadItems(std::vector<PluginPanelItem>* items);

  SmallRect rect_;
  std::string folder_;  // module path; kept while a module's panel is shown over it
  std::vector<PluginPanelItem> items_;
  int cursor_ = 0;
  int redraws_ = 0;

  HANDLE plugin_ = nullptr;  // the module's panel handle while it is shown
  PluginLister* lister_ = nullptr;
  std::string plugin_dir_;
  bool close_requested_ = false;
  std::optional<std::string> close_folder_;

  // What the module was last given through PanelInfo.
  std::vector<PluginPanelItem> shown_items_;
  std::vector<PluginPanelItem> shown_selected_;
};

}  // namespace host
