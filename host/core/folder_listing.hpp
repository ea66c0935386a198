// A folder as a file panel shows it, read through the same Windows calls
// the module makes, so the panel and the module see the same names. Folders
// are module paths ("C:\home\ann", code page 866) without a trailing
// backslash, except the root "C:\".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sdk/plugin.hpp"

namespace host {

bool IsRootFolder(const std::string& folder);

// The folder a request names: an absolute path, or one relative to `base`
// ("..", "sub", "sub\deeper"), made canonical; nothing when it is not an
// existing folder.
std::optional<std::string> ResolveFolder(const std::string& base, const std::string& request);

// The ".." entry a panel shows first when it is not at the root.
PluginPanelItem ParentItem();
bool IsParentItem(const PluginPanelItem& item);

// The folder's entries: ".." first unless it is the root, then folders,
// then files, each by name (letters compared without case, then bytes).
// False when the folder cannot be listed.
bool ListFolder(const std::string& folder, std::vector<PluginPanelItem>* items);

}  // namespace host
