// Module text as a person sees it. The module names files by module paths
// ("C:\...", code page 866, aliases for names it cannot spell); a person is
// shown the real POSIX path, and no text shown can carry a control
// character to the terminal.
#pragma once

#include <string>

namespace host {

// One line of module text in UTF-8: a line that is a module path becomes
// the real POSIX path it resolves to, and control characters are escaped.
std::string ShownLine(const std::string& oem_line);

}  // namespace host
