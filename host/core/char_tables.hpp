// The character tables the host offers through CharTable: the code pages a
// Russian text file is commonly stored in besides the module's own 866.
// Each table maps its code page to and from code page 866 and carries the
// letter case of its own code page.
#pragma once

#include "sdk/plugin.hpp"

namespace host {

// Table 0 Windows-1251, 1 KOI8-R, 2 ISO-8859-5. Built once, on first use.
int CharTableCount();
// Null for a number outside 0..CharTableCount()-1.
const CharTableSet* GetCharTable(int number);
// The Windows code page of a table; 0 for a number outside the range.
UINT CharTableCodePage(int number);

}  // namespace host
