// The host's writes into the module's registry key before the module loads,
// as if the values had been changed in the module's dialogs and saved.
#pragma once

#include <string>
#include <vector>

#include "host/cli/stored_settings.hpp"

namespace host::cli {

// A registry failure as the end of a sentence ("it cannot be written").
std::string RegistryFailureText(LSTATUS status);

// The module's key, below the root key the host hands it.
std::string ModuleSettingsKeyPath();

// Opens (creating) the module's key in the platform's current registry file
// and makes sure the file takes writes, then writes the settings in order.
// False with the reason ("it cannot be written") when the registry cannot
// be opened or written; nothing is written then.
bool PrepareModuleSettings(const std::vector<StoredSetting>& settings, std::string* error);

// The same on the registry file `file` (empty: the default one), closed
// again afterwards; the reason names the file.
bool StoreModuleSettings(const std::string& file, const std::vector<StoredSetting>& settings,
                         std::string* error);

}  // namespace host::cli
