// Reading the file a replace works on: read whole when it is small, mapped
// when it is large.
#pragma once

#include "sdk/plugin.hpp"

// Replaces inside one file; true when its new content was handed to the
// group commit.
bool ReplaceInFile(const WIN32_FIND_DATAA& entry);
