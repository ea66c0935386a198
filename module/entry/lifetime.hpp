// The module's start-up and unload, each step in its order in one place.
#pragma once

// After the host's services are copied: tables, settings, preset lists.
void StartModule();

// At unload: settings and presets are written while everything still
// exists, then each owner releases its state. False when the settings or a
// preset list could not be saved.
bool StopModule();
