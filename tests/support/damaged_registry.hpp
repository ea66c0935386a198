// Damage to a registry file that SQLite's quick_check does not see: an
// index entry that no longer matches its table row.
#pragma once

#include <string>

// Renames the key `name` (one letter changed) in the index of key names
// only, leaving the table as it was. False when the file does not hold the
// name, or the damage would not pass quick_check while failing
// integrity_check.
bool DamageKeyIndex(const std::string& path, const std::string& name);
