// Turning an invocation of the module into one command.
#pragma once

#include "module/base/commands.hpp"
#include "sdk/plugin.hpp"

HANDLE OpenFrom(int open_from, intptr_t item);

// Runs a panel command and returns the results panel handle or
// INVALID_HANDLE_VALUE.
HANDLE RunPanelCommand(int code, int show_dialog);
