// The module's text is code page 866 bytes; the terminal shows and reads
// Unicode. These are the host's two tables between them, built once from the
// platform's code page conversion, so the screen shows exactly what the
// module's own conversions would.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace host::tui {

wchar_t OemToWide(unsigned char byte);
std::wstring OemToWide(std::string_view oem);
// The code page 866 byte of a character; nothing when it has none.
std::optional<char> WideToOem(wchar_t ch);
// File names and other host text in UTF-8; bad bytes show as U+FFFD.
std::wstring Utf8ToWide(std::string_view utf8);

// A label as the module writes it: '&' marks the hotkey letter that
// follows it ("&Search"); "&&" is a plain ampersand.
struct Label {
  std::wstring text;    // without the markers
  int hotkey_pos = -1;  // index into text, or -1
  wchar_t hotkey() const { return hotkey_pos >= 0 ? text[static_cast<size_t>(hotkey_pos)] : 0; }
};
Label ParseLabel(std::string_view oem, bool show_ampersand = false);

// Text in at most `width` columns: a longer one is cut and ends in '…'.
std::wstring ClipWithEllipsis(const std::wstring& text, int width);

// Compares two characters as a hotkey does: without letter case.
bool SameHotkey(wchar_t a, wchar_t b);

}  // namespace host::tui
