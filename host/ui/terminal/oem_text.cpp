// Code page 866 <-> Unicode tables and hotkey labels.
#include "host/ui/terminal/oem_text.hpp"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "platform/crt.hpp"
#include "platform/win32.hpp"

namespace host::tui {

namespace {

struct Tables {
  std::array<wchar_t, 256> to_wide{};
  std::unordered_map<wchar_t, char> to_oem;

  Tables() {
    for (int byte = 0; byte < 256; ++byte) {
      char in = static_cast<char>(byte);
      WCHAR out = L'?';
      if (byte < 0x20 || MultiByteToWideChar(866, 0, &in, 1, &out, 1) != 1) out = byte ? L'?' : 0;
      // Control bytes would move the terminal's cursor; show them as dots.
      if (byte > 0 && byte < 0x20) out = L'·';
      to_wide[static_cast<size_t>(byte)] = out;
      if (byte >= 0x20) to_oem.emplace(out, in);
    }
    to_oem[L'\t'] = '\t';
  }
};

const Tables& TheTables() {
  static const Tables tables;
  return tables;
}

wchar_t FoldCase(wchar_t ch) {
  return static_cast<wchar_t>(crt::towlower(static_cast<wint_t>(ch)));
}

}  // namespace

wchar_t OemToWide(unsigned char byte) { return TheTables().to_wide[byte]; }

std::wstring OemToWide(std::string_view oem) {
  std::wstring wide;
  wide.reserve(oem.size());
  for (char c : oem) wide += OemToWide(static_cast<unsigned char>(c));
  return wide;
}

std::optional<char> WideToOem(wchar_t ch) {
  const auto& map = TheTables().to_oem;
  auto found = map.find(ch);
  if (found == map.end()) return std::nullopt;
  return found->second;
}

std::wstring Utf8ToWide(std::string_view utf8) {
  if (utf8.empty()) return {};
  int size = static_cast<int>(utf8.size());
  std::wstring wide(utf8.size(), L'\0');
  int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), size);
  wide.resize(static_cast<size_t>(std::max(length, 0)));
  return wide;
}

Label ParseLabel(std::string_view oem, bool show_ampersand) {
  std::wstring wide = OemToWide(oem);
  if (show_ampersand) return Label{wide, -1};
  Label label;
  for (size_t i = 0; i < wide.size(); ++i) {
    if (wide[i] == L'&' && i + 1 < wide.size()) {
      ++i;
      if (wide[i] != L'&' && label.hotkey_pos < 0) {
        label.hotkey_pos = static_cast<int>(label.text.size());
      }
    }
    label.text += wide[i];
  }
  return label;
}

bool SameHotkey(wchar_t a, wchar_t b) { return a && b && FoldCase(a) == FoldCase(b); }

std::wstring ClipWithEllipsis(const std::wstring& text, int width) {
  if (width <= 0) return {};
  if (static_cast<int>(text.size()) <= width) return text;
  return text.substr(0, static_cast<size_t>(width - 1)) + L"…";
}

}  // namespace host::tui
