// The OEM upper-case table: for each code page 866 byte, the byte of the
// same character in upper case, or the byte itself where there is none.
#pragma once

#include <cstdint>

extern uint8_t OemUpperTable[256];

// Fills OemUpperTable and sets the C runtime locale to the ANSI code page.
// Called once at start-up, before anything reads the table.
void BuildOemUpperTable();
