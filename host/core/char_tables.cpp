// Character tables built from the platform's code page conversions. A byte
// with no counterpart in the other code page maps to '?'; ASCII always maps
// to itself, so the tables never disturb plain text.
#include "host/core/char_tables.hpp"

#include <array>
#include <cstring>
#include <optional>

#include "platform/crt.hpp"

namespace host {

namespace {

constexpr UINT kOemCodePage = 866;

struct TableSource {
  UINT code_page;
  const char* name;
};

constexpr std::array<TableSource, 3> kSources = {{
    {1251, "Windows-1251"},
    {20866, "KOI8-R"},
    {28595, "ISO-8859-5"},
}};

std::optional<WCHAR> ToWide(UINT code_page, unsigned char byte) {
  char text = static_cast<char>(byte);
  WCHAR wide = 0;
  if (MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, &text, 1, &wide, 1) != 1) {
    return std::nullopt;
  }
  return wide;
}

// Checked by converting back, so a default character put in for a missing
// one is never taken for a real mapping.
std::optional<unsigned char> FromWide(UINT code_page, WCHAR wide) {
  char text = 0;
  if (WideCharToMultiByte(code_page, 0, &wide, 1, &text, 1, nullptr, nullptr) != 1) {
    return std::nullopt;
  }
  auto byte = static_cast<unsigned char>(text);
  if (ToWide(code_page, byte) != wide) return std::nullopt;
  return byte;
}

// A byte of one code page as a byte of another, '?' when it has none.
unsigned char Convert(UINT from, UINT to, unsigned char byte) {
  if (byte < 0x80) return byte;
  std::optional<WCHAR> wide = ToWide(from, byte);
  if (!wide) return '?';
  return FromWide(to, *wide).value_or('?');
}

// A byte's letter case within its own code page; the byte itself when the
// other case does not exist there.
template <typename CaseMap>
unsigned char ChangeCase(UINT code_page, unsigned char byte, CaseMap change) {
  std::optional<WCHAR> wide = ToWide(code_page, byte);
  if (!wide) return byte;
  WCHAR changed = static_cast<WCHAR>(change(static_cast<wint_t>(*wide)));
  return FromWide(code_page, changed).value_or(byte);
}

CharTableSet BuildTable(const TableSource& source) {
  CharTableSet table{};
  for (int i = 0; i < 256; ++i) {
    auto byte = static_cast<unsigned char>(i);
    table.DecodeTable[i] = Convert(source.code_page, kOemCodePage, byte);
    table.EncodeTable[i] = Convert(kOemCodePage, source.code_page, byte);
    table.UpperTable[i] = ChangeCase(source.code_page, byte, crt::towupper);
    table.LowerTable[i] = ChangeCase(source.code_page, byte, crt::towlower);
  }
  std::strncpy(table.TableName, source.name, sizeof(table.TableName) - 1);
  return table;
}

const std::array<CharTableSet, kSources.size()>& Tables() {
  static const std::array<CharTableSet, kSources.size()> tables = [] {
    std::array<CharTableSet, kSources.size()> built{};
    for (size_t i = 0; i < kSources.size(); ++i) built[i] = BuildTable(kSources[i]);
    return built;
  }();
  return tables;
}

}  // namespace

int CharTableCount() { return static_cast<int>(kSources.size()); }

const CharTableSet* GetCharTable(int number) {
  if (number < 0 || number >= CharTableCount()) return nullptr;
  return &Tables()[number];
}

UINT CharTableCodePage(int number) {
  if (number < 0 || number >= CharTableCount()) return 0;
  return kSources[static_cast<size_t>(number)].code_page;
}

}  // namespace host
