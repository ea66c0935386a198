// The host's character tables as decode tables to the OEM code page, for
// finding OEM-typed text in files stored in other single-byte code pages.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

using ByteTable = std::array<uint8_t, 256>;

// One table per character table the host offers, in the host's order:
// table byte -> OEM byte, and the same mapped once more to OEM upper case.
extern std::vector<ByteTable> DecodeTables;
extern std::vector<ByteTable> UpperDecodeTables;

// Writes data[0, length) through the table into out (length bytes).
inline void DecodeWith(const ByteTable& table, const char* data, size_t length, char* out) {
  for (size_t i = 0; i < length; i++)
    out[i] = static_cast<char>(table[static_cast<uint8_t>(data[i])]);
}

// Asks the host for its tables; needs the OEM upper-case table built.
void LoadCharSetTables();
void ReleaseCharSetTables();
