// Loading and saving the editor's settings, inside the module's settings
// key opened by the settings store.
#pragma once

#include "platform/win32.hpp"

void LoadEditorSettings(HKEY key);
void SaveEditorSettings(HKEY key);
