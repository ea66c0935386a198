// Character tables for compiling patterns over OEM code page 866 text, in
// PCRE2's table format: lower-case map, flip-case map, class bitmaps and
// character-type flags.
#pragma once

#include <cstdint>

// Built once on first use and constant afterwards.
const uint8_t* PatternCharTables();
