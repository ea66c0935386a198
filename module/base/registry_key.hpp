// An open registry key that closes itself.
#pragma once

#include <memory>
#include <type_traits>

#include "platform/win32.hpp"

struct RegistryKeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using RegistryKey = std::unique_ptr<std::remove_pointer_t<HKEY>, RegistryKeyCloser>;
