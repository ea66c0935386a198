// One dialog of the module shown full-screen on the process's terminal,
// for a host that otherwise works line by line: the terminal is taken for
// the dialog and handed back as it was afterwards.
#pragma once

#include <optional>
#include <string>

#include "host/ui/ui.hpp"

namespace host {

// The item that closed the dialog, or -1 for Esc, with the records written
// back as for any dialog. Nothing (the records untouched) when standard
// input and output are not a terminal that can be driven. Help pages come
// from the help file in `help_folder`, where the module lies.
std::optional<int> RunDialogOnTerminal(const Dialog& dialog, const std::string& help_folder);

}  // namespace host
