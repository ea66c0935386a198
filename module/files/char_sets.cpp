// Character-set tables, read from the host once when the settings load.
#include "module/files/char_sets.hpp"

#include <cstring>

#include "module/match/case_table.hpp"
#include "module/base/host_access.hpp"

std::vector<ByteTable> DecodeTables;
std::vector<ByteTable> UpperDecodeTables;

void LoadCharSetTables() {
  ReleaseCharSetTables();
  if (!StartupInfo.CharTable) return;
  CharTableSet set;
  for (int n = 0; StartupInfo.CharTable(n, reinterpret_cast<char*>(&set), sizeof set) >= 0; n++) {
    ByteTable decode, upper;
    std::memcpy(decode.data(), set.DecodeTable, decode.size());
    for (size_t b = 0; b < decode.size(); b++) upper[b] = OemUpperTable[decode[b]];
    DecodeTables.push_back(decode);
    UpperDecodeTables.push_back(upper);
  }
}

void ReleaseCharSetTables() {
  DecodeTables.clear();
  UpperDecodeTables.clear();
}
