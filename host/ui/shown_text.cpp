// Module lines shown as real paths and escaped text.
#include "host/ui/shown_text.hpp"

#include <cctype>

#include "platform/host_bridge.hpp"

namespace host {

bool IsModulePath(const std::string& line) {
  return line.size() >= 3 && std::isalpha(static_cast<unsigned char>(line[0])) &&
         line[1] == ':' && line[2] == '\\';
}

std::string ShownLine(const std::string& oem_line) {
  std::string posix;
  if (IsModulePath(oem_line) && platform::ToPosixPath(oem_line.c_str(), &posix)) {
    return platform::EscapeForDisplay(posix);
  }
  return platform::EscapeForDisplay(platform::OemToUtf8(oem_line));
}

std::string ShownWithTrailingPath(const std::string& oem_line) {
  for (size_t start = 0; start != std::string::npos;) {
    const std::string tail = oem_line.substr(start);
    std::string posix;
    if (IsModulePath(tail) && platform::ToPosixPath(tail.c_str(), &posix))
      return ShownLine(oem_line.substr(0, start)) + platform::EscapeForDisplay(posix);
    start = oem_line.find(' ', start);
    if (start != std::string::npos) start++;
  }
  return ShownLine(oem_line);
}

std::string ShownName(const std::string& oem_folder, const std::string& oem_name) {
  if (IsModulePath(oem_name) || oem_name == ".." || !IsModulePath(oem_folder)) {
    return ShownLine(oem_name);
  }
  const std::string separator = oem_folder.back() == '\\' ? "" : "\\";
  std::string posix;
  if (!platform::ToPosixPath((oem_folder + separator + oem_name).c_str(), &posix)) {
    return ShownLine(oem_name);
  }
  return platform::EscapeForDisplay(posix.substr(posix.find_last_of('/') + 1));
}

}  // namespace host
