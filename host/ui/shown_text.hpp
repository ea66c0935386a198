// Module text as a person sees it. The module names files by module paths
// ("C:\...", code page 866, aliases for names it cannot spell); a person is
// shown the real POSIX path, and no text shown can carry a control
// character to the terminal.
#pragma once

#include <string>

namespace host {

// True for a line that is a module path ("C:\...").
bool IsModulePath(const std::string& oem_line);

// One line of module text in UTF-8: a line that is a module path becomes
// the real POSIX path it resolves to, and control characters are escaped.
std::string ShownLine(const std::string& oem_line);

// A line of module text that may end in a module path after a blank or at
// its start ("Finderix: C:\tmp\"): that path becomes the real POSIX path.
std::string ShownWithTrailingPath(const std::string& oem_line);

// A panel item as a person sees it: an item named by a module path shows
// its real path; one named relative to the panel's folder (a module path)
// shows its real on-disk name; control characters are escaped.
std::string ShownName(const std::string& oem_folder, const std::string& oem_name);

}  // namespace host
