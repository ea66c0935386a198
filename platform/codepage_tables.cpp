// The single-byte code pages the platform converts through, each read from
// glibc iconv once on first use (thread-safe static initialisation). Every
// conversion call shares these tables; none of them opens iconv itself.
#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <type_traits>

#include "platform/internal.hpp"

namespace platform::internal {
namespace {

struct IconvCloser {
  void operator()(iconv_t cd) const { iconv_close(cd); }
};
using IconvHandle = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

IconvHandle OpenToWide(const char* iconv_name) {
  iconv_t cd = iconv_open("WCHAR_T", iconv_name);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    // Without the conversion module every Cyrillic name would come out
    // wrong; that is a broken installation, not something to paper over.
    std::fprintf(stderr, "finderix-platform: iconv cannot convert from %s\n", iconv_name);
    std::abort();
  }
  return IconvHandle(cd);
}

// The character of one byte; false when the page leaves the byte undefined.
bool ConvertByte(iconv_t cd, unsigned char byte, WCHAR* wide) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // reset shift state
  char in = static_cast<char>(byte);
  char* in_pos = &in;
  size_t in_left = 1;
  char* out_pos = reinterpret_cast<char*>(wide);
  size_t out_left = sizeof(*wide);
  return iconv(cd, &in_pos, &in_left, &out_pos, &out_left) != static_cast<size_t>(-1) &&
         out_left == 0;
}

}  // namespace

SingleBytePage::SingleBytePage(const char* iconv_name) {
  IconvHandle cd = OpenToWide(iconv_name);
  for (int byte = 0; byte < 256; ++byte) {
    WCHAR wide;
    if (!ConvertByte(cd.get(), static_cast<unsigned char>(byte), &wide)) {
      wide = static_cast<WCHAR>(byte);
    }
    to_wide_[byte] = wide;
    by_char_[byte] = {static_cast<char32_t>(wide), static_cast<unsigned char>(byte)};
  }
  // Stable, so that should two bytes share a character the lower one wins.
  std::stable_sort(by_char_.begin(), by_char_.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
}

bool SingleBytePage::FromWide(char32_t c, unsigned char* byte) const {
  // Names and paths are mostly ASCII, which these pages keep where it is.
  if (c < 0x80 && static_cast<char32_t>(to_wide_[c]) == c) {
    *byte = static_cast<unsigned char>(c);
    return true;
  }
  auto it = std::lower_bound(by_char_.begin(), by_char_.end(), c,
                             [](const auto& entry, char32_t key) { return entry.first < key; });
  if (it == by_char_.end() || it->first != c) return false;
  *byte = it->second;
  return true;
}

const SingleBytePage& AnsiPage() {
  static const SingleBytePage page("CP1251");
  return page;
}

const SingleBytePage& OemPage() {
  static const SingleBytePage page("CP866");
  return page;
}

const SingleBytePage* FindSingleBytePage(UINT code_page) {
  switch (code_page) {
    case CP_ACP:
    case kAnsiCodePage: return &AnsiPage();
    case CP_OEMCP:
    case kOemCodePage: return &OemPage();
    case 20866: {
      static const SingleBytePage koi8r("KOI8-R");
      return &koi8r;
    }
    case 28595: {
      static const SingleBytePage iso88595("ISO-8859-5");
      return &iso88595;
    }
    default: return nullptr;
  }
}

}  // namespace platform::internal
