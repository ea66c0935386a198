// Builds the OEM upper-case table from the wide-character case mapping, so
// that it agrees with the C runtime on which characters are letters.
#include "module/match/case_table.hpp"

#include <clocale>
#include <cstdio>

#include "platform/crt.hpp"
#include "platform/win32.hpp"

uint8_t OemUpperTable[256];

namespace {

uint8_t UpperOf(uint8_t b) {
  char oem = static_cast<char>(b);
  WCHAR w = 0;
  if (MultiByteToWideChar(CP_OEMCP, 0, &oem, 1, &w, 1) != 1) return b;
  WCHAR u = static_cast<WCHAR>(crt::towupper(w));
  WCHAR l = static_cast<WCHAR>(crt::towlower(u));
  // Only a character that is its own upper case, or a lower-case letter
  // whose upper case lowers back to it, has a true upper-case partner.
  if (w != u && w != l) return b;
  char out = 0;
  BOOL lossy = FALSE;
  if (WideCharToMultiByte(CP_OEMCP, 0, &u, 1, &out, 1, nullptr, &lossy) != 1 || lossy) return b;
  return static_cast<uint8_t>(out);
}

}  // namespace

void BuildOemUpperTable() {
  char locale_name[16];
  std::snprintf(locale_name, sizeof locale_name, ".%u", GetACP());
  crt::setlocale(LC_ALL, locale_name);
  for (int b = 0; b < 256; b++) OemUpperTable[b] = UpperOf(static_cast<uint8_t>(b));
}
