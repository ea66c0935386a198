// Letter case of ANSI (code page 1251) text: CharUpperA and CharLowerA. The
// two 256-byte tables are derived once from the code page and the C
// runtime's wide case mapping, so Cyrillic pairs (including Ё/ё and the
// Serbian and Macedonian letters) follow Unicode.
#include <array>

#include "platform/crt.hpp"
#include "platform/internal.hpp"

using platform::internal::AnsiPage;

namespace {

using CaseTable = std::array<char, 256>;

// A byte whose other-case letter the code page cannot hold stays as it is.
template <typename Mapping>
CaseTable BuildCaseTable(Mapping map) {
  CaseTable table;
  for (int byte = 0; byte < 256; ++byte) {
    const wint_t mapped =
        map(static_cast<wint_t>(AnsiPage().ToWide(static_cast<unsigned char>(byte))));
    unsigned char target;
    table[byte] = AnsiPage().FromWide(static_cast<char32_t>(mapped), &target)
                      ? static_cast<char>(target)
                      : static_cast<char>(byte);
  }
  return table;
}

const CaseTable& UpperTable() {
  static const CaseTable table = BuildCaseTable([](wint_t c) { return crt::towupper(c); });
  return table;
}

const CaseTable& LowerTable() {
  static const CaseTable table = BuildCaseTable([](wint_t c) { return crt::towlower(c); });
  return table;
}

// A pointer whose high word is zero carries one character in its low byte;
// the converted character comes back the same way.
LPSTR ConvertString(const CaseTable& table, LPSTR text) {
  if (HIWORD(text) == 0) {
    const auto c = static_cast<unsigned char>(LOWORD(text));
    return reinterpret_cast<LPSTR>(static_cast<uintptr_t>(static_cast<unsigned char>(table[c])));
  }
  for (char* c = text; *c != '\0'; ++c) *c = table[static_cast<unsigned char>(*c)];
  return text;
}

}  // namespace

extern "C" LPSTR WINAPI CharUpperA(LPSTR text) { return ConvertString(UpperTable(), text); }

extern "C" LPSTR WINAPI CharLowerA(LPSTR text) { return ConvertString(LowerTable(), text); }
