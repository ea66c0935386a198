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

namespace {

// Sleep(0) gives up the rest of the time slice to a thread that waits for
// the processor, and returns at once when none does. Linux cannot tell
// which without a system call, but its scheduler already preempts a thread
// that has run out its slice for one that waits, so a yield more often than
// once a slice gives a waiting thread nothing. Called in tight loops (once
// per file of a search), Sleep(0) therefore yields at most once a slice,
// timed by the coarse clock, which is read without a system call.
void YieldOncePerSlice() {
  constexpr long long kSliceNs = 4000000;  // a scheduler tick at 250 Hz
  thread_local long long last_yield_ns = 0;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  const long long now_ns = now.tv_sec * 1000000000LL + now.tv_nsec;
  if (now_ns - last_yield_ns < kSliceNs) return;
  last_yield_ns = now_ns;
  sched_yield();
}

}  // namespace

extern "C" void WINAPI Sleep(DWORD milliseconds) {
  if (milliseconds == 0) {
    YieldOncePerSlice();
    return;
  }
  timespec remaining{static_cast<time_t>(milliseconds / 1000),
                     static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&remaining, &remaining) == -1 && errno == EINTR) {
  }
}
