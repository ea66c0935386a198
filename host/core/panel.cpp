// One panel: its folder or module listing, selection, cursor and the
// records the module was last given.
#include "host/core/panel.hpp"

#include <algorithm>
#include <cstring>
#include <set>

#include "host/core/folder_listing.hpp"

namespace host {

namespace {

bool IsSelected(const PluginPanelItem& item) { return (item.Flags & PPIF_SELECTED) != 0; }

std::string NameOf(const PluginPanelItem& item) { return item.FindData.cFileName; }

int IndexOfName(const std::vector<PluginPanelItem>& items, const std::string& name) {
  for (size_t i = 0; i < items.size(); ++i) {
    if (NameOf(items[i]) == name) return static_cast<int>(i);
  }
  return -1;
}

void CopyText(char* field, size_t size, const std::string& text) {
  size_t length = std::min(text.size(), size - 1);
  std::memcpy(field, text.data(), length);
  field[length] = '\0';
}

}  // namespace

bool Panel::SetFolder(const std::string& request) {
  if (plugin()) return false;  // a module's panel changes folders through the module
  std::optional<std::string> folder = ResolveFolder(folder_.empty() ? "C:\\" : folder_, request);
  std::vector<PluginPanelItem> items;
  if (!folder || !ListFolder(*folder, &items)) return false;
  folder_ = *folder;
  items_ = std::move(items);
  cursor_ = 0;
  return true;
}

bool Panel::ReadItems(std::vector<PluginPanelItem>* items) {
  if (!plugin()) return ListFolder(folder_, items);
  PluginListing listing;
  if (!lister_ || !lister_->ListPlugin(plugin_, &listing)) return false;
  if (listing.add_dots) listing.items.insert(listing.items.begin(), ParentItem());
  *items = std::move(listing.items);
  plugin_dir_ = listing.cur_dir;
  return true;
}

bool Panel::Reread(bool keep_selection) {
  std::vector<PluginPanelItem> items;
  if (!ReadItems(&items)) return false;
  if (keep_selection) {
    std::set<std::string> selected;
    for (const PluginPanelItem& item : items_) {
      if (IsSelected(item)) selected.insert(NameOf(item));
    }
    for (PluginPanelItem& item : items) {
      bool keep = selected.count(NameOf(item)) && !IsParentItem(item);
      item.Flags = keep ? (item.Flags | PPIF_SELECTED) : (item.Flags & ~PPIF_SELECTED);
    }
  }
  int index = items_.empty() ? -1 : IndexOfName(items, NameOf(items_[cursor_]));
  items_ = std::move(items);
  SetCursor(index >= 0 ? index : cursor_);
  return true;
}

bool Panel::ShowPlugin(HANDLE plugin, PluginLister* lister) {
  HANDLE previous_plugin = plugin_;
  PluginLister* previous_lister = lister_;
  plugin_ = plugin;
  lister_ = lister;
  if (!Reread(false)) {
    plugin_ = previous_plugin;
    lister_ = previous_lister;
    return false;
  }
  cursor_ = 0;
  close_requested_ = false;
  close_folder_.reset();
  return true;
}

void Panel::LeavePlugin(const std::optional<std::string>& folder) {
  plugin_ = nullptr;
  lister_ = nullptr;
  plugin_dir_.clear();
  close_requested_ = false;
  close_folder_.reset();
  if (folder && SetFolder(*folder)) return;
  if (!Reread(false)) items_.clear();  // the folder went away meanwhile
  cursor_ = 0;
}

void Panel::RequestClose(const char* folder) {
  close_requested_ = true;
  close_folder_ = folder ? std::optional<std::string>(folder) : std::nullopt;
}

void Panel::FillInfo(PanelInfo* info, bool focus) {
  shown_items_ = items_;
  shown_selected_.clear();
  std::copy_if(items_.begin(), items_.end(), std::back_inserter(shown_selected_), IsSelected);
  // With nothing selected, the item under the cursor stands for the
  // selection, unless it is "..", which cannot be acted on.
  if (shown_selected_.empty() && !items_.empty() && !IsParentItem(items_[cursor_])) {
    shown_selected_.push_back(items_[cursor_]);
  }

  *info = PanelInfo{};
  info->StructSize = sizeof(PanelInfo);
  info->PanelType = PTYPE_FILEPANEL;  // this host has no tree, info or quick view panels
  info->Plugin = plugin() ? 1 : 0;
  info->PanelRect = rect_;
  info->PanelItems = shown_items_.data();
  info->ItemsNumber = static_cast<int>(shown_items_.size());
  info->SelectedItems = shown_selected_.data();
  info->SelectedItemsNumber = static_cast<int>(shown_selected_.size());
  info->CurrentItem = cursor_;
  info->Visible = 1;
  info->Focus = focus ? 1 : 0;
  info->ViewMode = 2;
  CopyText(info->CurDir, sizeof(info->CurDir), plugin() ? plugin_dir_ : folder_);
}

void Panel::ApplySelection(const PanelInfo& info) {
  if (!info.PanelItems) return;
  size_t count = std::min(items_.size(), static_cast<size_t>(std::max(info.ItemsNumber, 0)));
  for (size_t i = 0; i < count; ++i) Select(static_cast<int>(i), IsSelected(info.PanelItems[i]));
}

void Panel::Redraw(const PanelRedrawInfo* position) {
  ++redraws_;
  if (position) SetCursor(position->CurrentItem);
}

void Panel::SetCursor(int index) {
  int last = static_cast<int>(items_.size()) - 1;
  cursor_ = std::clamp(index, 0, std::max(last, 0));
}

void Panel::Select(int index, bool selected) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return;
  PluginPanelItem& item = items_[index];
  if (IsParentItem(item)) return;
  item.Flags = selected ? (item.Flags | PPIF_SELECTED) : (item.Flags & ~PPIF_SELECTED);
}

}  // namespace host
