// The console as the module sees it: three standard pseudo-handles, input
// events taken from the host's queue, the title handed to the host, and
// Sleep. Nothing here ever waits for input.
#include <cerrno>
#include <ctime>

#include <atomic>

#include <sched.h>

#include "platform/host_bridge.hpp"

namespace {

// Fixed values no file or find handle can take (those are heap addresses).
const HANDLE kStdInput = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x3));
const HANDLE kStdOutput = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7));
const HANDLE kStdError = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0xB));

// Installed and removed by the host while no module call runs.
std::atomic<platform::ConsoleHost*> console_host{nullptr};

// The host behind the input handle, or null with the last error set.
platform::ConsoleHost* InputHost(HANDLE input, LPDWORD read) {
  platform::ConsoleHost* host = console_host.load();
  if (input != kStdInput || !host) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (!read) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return host;
}

// Takes at most one event, which is all the module ever asks for.
BOOL TakeInput(HANDLE input, PINPUT_RECORD buffer, DWORD length, LPDWORD read,
               bool (platform::ConsoleHost::*take)(INPUT_RECORD*)) {
  platform::ConsoleHost* host = InputHost(input, read);
  if (!host) return FALSE;
  if (length == 0) {
    *read = 0;
    return TRUE;
  }
  if (!buffer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *read = (host->*take)(buffer) ? 1 : 0;
  return TRUE;
}

}  // namespace

namespace platform {

void InstallConsoleHost(ConsoleHost* host) { console_host.store(host); }

}  // namespace platform

extern "C" HANDLE WINAPI GetStdHandle(DWORD which) {
  switch (which) {
    case STD_INPUT_HANDLE: return kStdInput;
    case STD_OUTPUT_HANDLE: return kStdOutput;
    case STD_ERROR_HANDLE: return kStdError;
    default: SetLastError(ERROR_INVALID_HANDLE); return INVALID_HANDLE_VALUE;
  }
}

extern "C" BOOL WINAPI PeekConsoleInputA(HANDLE input, PINPUT_RECORD buffer, DWORD length,
                                         LPDWORD read) {
  return TakeInput(input, buffer, length, read, &platform::ConsoleHost::PeekInput);
}

extern "C" BOOL WINAPI ReadConsoleInputA(HANDLE input, PINPUT_RECORD buffer, DWORD length,
                                         LPDWORD read) {
  return TakeInput(input, buffer, length, read, &platform::ConsoleHost::ReadInput);
}

extern "C" BOOL WINAPI SetConsoleTitleA(LPCSTR title) {
  if (!title) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (platform::ConsoleHost* host = console_host.load()) host->SetTitle(title);
  return TRUE;
}

extern "C" void WINAPI Sleep(DWORD milliseconds) {
  if (milliseconds == 0) {
    sched_yield();  // Sleep(0) gives up the rest of the time slice
    return;
  }
  timespec remaining{static_cast<time_t>(milliseconds / 1000),
                     static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&remaining, &remaining) == -1 && errno == EINTR) {
  }
}
