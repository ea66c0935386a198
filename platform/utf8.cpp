// UTF-8 encoding and decoding for the conversion calls. Ill-formed input
// is replaced the way Windows replaces it: one U+FFFD for each maximal part
// of a sequence that cannot be completed.
#include "platform/internal.hpp"

namespace platform::internal {

Utf8Char DecodeUtf8(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) return {lead, 1, true};
  size_t trail;
  char32_t code;
  // The range the first trail byte may take rules out overlong forms,
  // surrogates and values beyond U+10FFFF.
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    trail = 1;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    trail = 2;
    code = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    trail = 3;
    code = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {kReplacementChar, 1, false};
  }
  for (size_t i = 1; i <= trail; ++i) {
    if (i >= text.size()) return {kReplacementChar, i, false};
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < low || byte > high) return {kReplacementChar, i, false};
    code = (code << 6) | (byte & 0x3F);
    low = 0x80;
    high = 0xBF;
  }
  return {code, trail + 1, true};
}

void AppendUtf8(char32_t c, std::string* out) {
  if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = kReplacementChar;
  auto put = [out](char32_t byte) { out->push_back(static_cast<char>(byte)); };
  if (c < 0x80) {
    put(c);
  } else if (c < 0x800) {
    put(0xC0 | (c >> 6));
    put(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    put(0xE0 | (c >> 12));
    put(0x80 | ((c >> 6) & 0x3F));
    put(0x80 | (c & 0x3F));
  } else {
    put(0xF0 | (c >> 18));
    put(0x80 | ((c >> 12) & 0x3F));
    put(0x80 | ((c >> 6) & 0x3F));
    put(0x80 | (c & 0x3F));
  }
}

}  // namespace platform::internal
