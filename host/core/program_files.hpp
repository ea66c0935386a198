// Where the running program finds the module and the files beside it (the
// language and help files). In a build tree they lie beside the program;
// installed, the program is in PREFIX/bin and they are in PREFIX/lib/finderix,
// so both layouts work from the program's own path, without a variable.
#pragma once

#include <string>

namespace host {

// The folder of the module: the program's own folder when finderix.so is
// there, else the installed module folder relative to it.
std::string ModuleFolder();

// finderix.so in ModuleFolder().
std::string ModulePath();

}  // namespace host
