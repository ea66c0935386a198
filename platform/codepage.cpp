// Conversions between the module's single-byte text (ANSI 1251, OEM 866,
// KOI8-R, ISO-8859-5), wide text and UTF-8, with the Windows calling
// contract: length -1 takes the terminator along, a zero-sized output asks
// for the size needed, and a failing call leaves the output untouched.
#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <optional>
#include <string>

#include "platform/host_bridge.hpp"
#include "platform/internal.hpp"

using platform::internal::AnsiPage;
using platform::internal::AppendUtf8;
using platform::internal::DecodeUtf8;
using platform::internal::FindSingleBytePage;
using platform::internal::OemPage;
using platform::internal::SingleBytePage;

namespace {

constexpr char kUnmappableChar = '?';

// The converted text into the caller's buffer, as Windows sizes it: the
// needed count for an empty buffer, 0 with ERROR_INSUFFICIENT_BUFFER for
// one too small.
template <typename Char>
int CopyOut(const std::basic_string<Char>& converted, Char* out, int out_size) {
  if (converted.size() > static_cast<size_t>(INT_MAX)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  const int needed = static_cast<int>(converted.size());
  if (out_size == 0) return needed;
  if (needed > out_size) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(out, converted.data(), converted.size() * sizeof(Char));
  return needed;
}

std::wstring SingleByteToWide(const SingleBytePage& page, std::string_view text) {
  std::wstring wide;
  wide.reserve(text.size());
  for (char c : text) wide.push_back(page.ToWide(static_cast<unsigned char>(c)));
  return wide;
}

// nullopt when the text holds ill-formed UTF-8 and the caller refuses it.
std::optional<std::wstring> Utf8ToWide(std::string_view text, bool refuse_invalid) {
  std::wstring wide;
  wide.reserve(text.size());
  while (!text.empty()) {
    auto decoded = DecodeUtf8(text);
    if (!decoded.valid && refuse_invalid) return std::nullopt;
    wide.push_back(static_cast<WCHAR>(decoded.code));
    text.remove_prefix(decoded.length);
  }
  return wide;
}

std::string WideToUtf8(std::wstring_view wide) {
  std::string text;
  text.reserve(wide.size());
  for (WCHAR c : wide) AppendUtf8(static_cast<char32_t>(c), &text);
  return text;
}

std::string WideToSingleByte(const SingleBytePage& page, std::wstring_view wide, char fallback,
                             bool* used_fallback) {
  std::string text;
  text.reserve(wide.size());
  *used_fallback = false;
  for (WCHAR c : wide) {
    unsigned char byte;
    if (page.FromWide(static_cast<char32_t>(c), &byte)) {
      text.push_back(static_cast<char>(byte));
    } else {
      text.push_back(fallback);
      *used_fallback = true;
    }
  }
  return text;
}

// Byte-for-byte translation between two single-byte pages; a character the
// target cannot hold becomes '?'.
class PageTranslation {
 public:
  PageTranslation(const SingleBytePage& from, const SingleBytePage& to) {
    for (int byte = 0; byte < 256; ++byte) {
      unsigned char target;
      const WCHAR c = from.ToWide(static_cast<unsigned char>(byte));
      map_[byte] = to.FromWide(static_cast<char32_t>(c), &target) ? static_cast<char>(target)
                                                                  : kUnmappableChar;
    }
  }
  void Apply(const char* source, char* dest, size_t length) const {
    for (size_t i = 0; i < length; ++i) dest[i] = map_[static_cast<unsigned char>(source[i])];
  }

 private:
  std::array<char, 256> map_;
};

const PageTranslation& OemToAnsi() {
  static const PageTranslation translation(OemPage(), AnsiPage());
  return translation;
}

const PageTranslation& AnsiToOem() {
  static const PageTranslation translation(AnsiPage(), OemPage());
  return translation;
}

BOOL TranslateBuffer(const PageTranslation& translation, LPCSTR source, LPSTR dest, size_t length) {
  if (!source || !dest) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  translation.Apply(source, dest, length);
  return TRUE;
}

}  // namespace

extern "C" UINT WINAPI GetACP(void) { return platform::internal::kAnsiCodePage; }

extern "C" int WINAPI MultiByteToWideChar(UINT code_page, DWORD flags, LPCSTR text, int length,
                                          LPWSTR wide, int wide_size) {
  if (!text || length == 0 || length < -1 || wide_size < 0 || (wide_size > 0 && !wide)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (flags & ~static_cast<DWORD>(MB_PRECOMPOSED | MB_ERR_INVALID_CHARS)) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  const std::string_view source(text, length < 0 ? std::strlen(text) + 1 : length);
  try {
    if (code_page == CP_UTF8) {
      auto converted = Utf8ToWide(source, flags & MB_ERR_INVALID_CHARS);
      if (!converted) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
      }
      return CopyOut(*converted, wide, wide_size);
    }
    const SingleBytePage* page = FindSingleBytePage(code_page);
    if (!page) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    return CopyOut(SingleByteToWide(*page, source), wide, wide_size);
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
}

extern "C" int WINAPI WideCharToMultiByte(UINT code_page, DWORD flags, LPCWSTR wide, int length,
                                          LPSTR text, int size, LPCSTR default_char,
                                          LPBOOL used_default) {
  if (!wide || length == 0 || length < -1 || size < 0 || (size > 0 && !text)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::wstring_view source(wide, length < 0 ? std::wcslen(wide) + 1 : length);
  try {
    if (code_page == CP_UTF8) {
      // UTF-8 holds every character, so Windows refuses the fallback
      // arguments and every flag here.
      if (default_char || used_default) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
      }
      if (flags) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
      }
      return CopyOut(WideToUtf8(source), text, size);
    }
    if (flags & ~static_cast<DWORD>(WC_NO_BEST_FIT_CHARS)) {
      SetLastError(ERROR_INVALID_FLAGS);
      return 0;
    }
    const SingleBytePage* page = FindSingleBytePage(code_page);
    if (!page) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    bool used_fallback;
    const char fallback = default_char ? default_char[0] : kUnmappableChar;
    const int result =
        CopyOut(WideToSingleByte(*page, source, fallback, &used_fallback), text, size);
    if (result && used_default) *used_default = used_fallback ? TRUE : FALSE;
    return result;
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
}

extern "C" BOOL WINAPI OemToCharBuffA(LPCSTR source, LPSTR dest, DWORD length) {
  return TranslateBuffer(OemToAnsi(), source, dest, length);
}

extern "C" BOOL WINAPI CharToOemBuffA(LPCSTR source, LPSTR dest, DWORD length) {
  return TranslateBuffer(AnsiToOem(), source, dest, length);
}

namespace platform {
namespace {

// Code page 866 and UTF-8 both keep ASCII as it is, and most names and
// paths are ASCII alone.
bool IsAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::string OemToUtf8(const std::string& oem) {
  if (IsAscii(oem)) return oem;
  const SingleBytePage& page = OemPage();
  std::string utf8;
  utf8.reserve(oem.size() * 2);
  for (char c : oem) {
    AppendUtf8(static_cast<char32_t>(page.ToWide(static_cast<unsigned char>(c))), &utf8);
  }
  return utf8;
}

std::string Utf8ToOem(const std::string& utf8) {
  if (IsAscii(utf8)) return utf8;
  const SingleBytePage& page = OemPage();
  std::string oem;
  oem.reserve(utf8.size());
  std::string_view rest(utf8);
  while (!rest.empty()) {
    auto decoded = DecodeUtf8(rest);
    unsigned char byte;
    const bool mapped = decoded.valid && page.FromWide(decoded.code, &byte);
    oem.push_back(mapped ? static_cast<char>(byte) : kUnmappableChar);
    rest.remove_prefix(decoded.length);
  }
  return oem;
}

}  // namespace platform
