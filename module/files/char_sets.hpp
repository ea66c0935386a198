// The host's character tables as decode tables to the OEM code page, for
// finding OEM-typed text in files stored in other single-byte code pages.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

using ByteTable = std::array<uint8_t, 256>;

// One table per character table the host offers, in the host's order:
// table byte -> OEM byte, and the same mapped once more to OEM upper case.
extern std::vector<ByteTable> DecodeTables;
extern std::vector<ByteTable> UpperDecodeTables;

// Asks the host for its tables; needs the OEM upper-case table built.
void LoadCharSetTables();
void ReleaseCharSetTables();
