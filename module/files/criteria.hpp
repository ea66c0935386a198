// Advanced file criteria: last-write dates, sizes, attributes and a pattern
// over the full path. They apply to the walk only while UseAdvancedCriteria
// is set.
#pragma once

#include "module/match/pattern.hpp"
#include "sdk/plugin.hpp"

// Compiled from FAFullPath when the criteria dialog is accepted with
// FAFullPathMatch set; until then the full-path test is skipped.
extern SearchPattern FullPathPattern;

// The entry carries its full path in cFileName.
bool MatchesCriteria(const WIN32_FIND_DATAA& entry);

void AdvancedCriteriaDialog();
