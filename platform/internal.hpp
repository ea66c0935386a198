// Helpers shared by the platform's source files, never seen by the module
// or the host.
#pragma once

#include "platform/win32.hpp"

namespace platform::internal {

// The one place where an errno value becomes a Windows error code; sets the
// last error and returns the code it set.
DWORD SetLastErrorFromErrno(int error);

// Maps an errno value to the Windows code without setting anything.
DWORD WindowsErrorFromErrno(int error);

}  // namespace platform::internal
