// The module's view of its host: the kept copy of the service table and the
// small helpers every command uses to reach it.
#pragma once

#include "sdk/plugin.hpp"

// Copied whole by SetStartupInfo and kept for the life of the module.
extern PluginStartupInfo StartupInfo;

// Text of a numbered message of the language file; valid while loaded.
const char* GetMsg(int message_number);

// True when an Esc key press is waiting in the console input. Reads and
// drops the events queued before it; never waits.
bool EscPressed();
