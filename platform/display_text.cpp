// Text that goes to a terminal: control characters in a name (C0, DEL, C1)
// and bytes that are not UTF-8 are shown as escapes, so a file name can
// neither move the cursor nor change the terminal's state.
#include <cstdio>

#include "platform/host_bridge.hpp"
#include "platform/internal.hpp"

namespace platform {

std::string EscapeForDisplay(const std::string& utf8) {
  std::string shown;
  shown.reserve(utf8.size());
  std::string_view rest(utf8);
  char escape[16];
  while (!rest.empty()) {
    const internal::Utf8Char decoded = internal::DecodeUtf8(rest);
    const bool control = decoded.code < 0x20 || (decoded.code >= 0x7F && decoded.code < 0xA0);
    if (!decoded.valid) {
      for (size_t i = 0; i < decoded.length; ++i) {
        std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(rest[i]));
        shown += escape;
      }
    } else if (control) {
      std::snprintf(escape, sizeof escape, decoded.code < 0x80 ? "\\x%02X" : "\\u%04X",
                    static_cast<unsigned>(decoded.code));
      shown += escape;
    } else {
      shown.append(rest.substr(0, decoded.length));
    }
    rest.remove_prefix(decoded.length);
  }
  return shown;
}

}  // namespace platform
