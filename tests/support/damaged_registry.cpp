// The index damage of damaged_registry.hpp, made by editing the bytes of
// the index's page in place, then confirmed with both SQLite checks.
#include "tests/support/damaged_registry.hpp"

#include <sqlite3.h>

#include <fstream>
#include <iterator>

namespace {

// The answer of a one-row query, or "" when it fails.
std::string QueryText(const std::string& path, const char* sql) {
  sqlite3* db = nullptr;
  std::string answer;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
      const unsigned char* text = sqlite3_column_text(statement, 0);
      answer = text ? reinterpret_cast<const char*>(text) : "";
    }
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return answer;
}

}  // namespace

bool DamageKeyIndex(const std::string& path, const std::string& name) {
  const long page_size = std::stol("0" + QueryText(path, "PRAGMA page_size"));
  const long root = std::stol(
      "0" + QueryText(path, "SELECT rootpage FROM sqlite_schema WHERE type = 'index' AND "
                            "tbl_name = 'keys'"));
  if (page_size == 0 || root == 0) return false;
  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  const size_t start = static_cast<size_t>((root - 1) * page_size);
  const size_t at = bytes.find(name, start);
  if (at == std::string::npos || at + name.size() > start + static_cast<size_t>(page_size))
    return false;
  // The last letter moves by one: each key of the path has its own parent,
  // so the index stays in order and only its content is wrong.
  bytes[at + name.size() - 1]++;
  {
    std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(static_cast<std::streamoff>(at + name.size() - 1));
    out.put(bytes[at + name.size() - 1]);
  }
  return QueryText(path, "PRAGMA quick_check") == "ok" &&
         QueryText(path, "PRAGMA integrity_check") != "ok";
}
