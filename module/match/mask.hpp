// File masks: does a bare file name match the mask list in FMask? The list
// is wildcard masks separated by MaskDelimiter, where a mask starting with
// MaskNegation excludes names, or, with FMaskAsRegExp, one pattern.
#pragma once

#include <string>

#include "module/match/pattern.hpp"

// FMask compiled as a pattern (always ignoring case) when FMaskAsRegExp is
// set; empty otherwise. Compiled before each file command.
extern SearchPattern MaskPattern;

bool MatchMaskList(const std::string& list, const std::string& name);

// One wildcard mask against one name; with open_end, the mask also matches
// every name that starts with what it matches. Letters compare through the
// OEM upper-case table.
bool MatchWildcard(const char* mask, const char* name, bool open_end);
