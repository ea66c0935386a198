// A SIGBUS guard for scans over mapped files. On a fault inside a guarded
// call, the handler maps a page of zeros over the vanished page and lets the
// read go on; the call reports the fault when the body returns. The handler
// is installed for the length of one guarded call; a bus error outside one
// goes to whatever handler was there before.
#include "platform/fault_guard.hpp"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace platform {

namespace {

thread_local volatile sig_atomic_t guard_active = 0;
thread_local volatile sig_atomic_t fault_seen = 0;

void OnBusError(int signal, siginfo_t* info, void*) {
  if (guard_active && info) {
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    void* start = reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(info->si_addr) & ~(page - 1));
    if (mmap(start, page, PROT_READ, MAP_FIXED | MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) != MAP_FAILED) {
      fault_seen = 1;
      return;
    }
  }
  ::signal(signal, SIG_DFL);
  raise(signal);
}

}  // namespace

bool CallWithFaultGuard(void (*body)(void* context), void* context) {
  struct sigaction guard = {}, previous = {};
  guard.sa_sigaction = OnBusError;
  guard.sa_flags = SA_SIGINFO;
  sigemptyset(&guard.sa_mask);
  sigaction(SIGBUS, &guard, &previous);

  fault_seen = 0;
  guard_active = 1;
  body(context);
  guard_active = 0;
  sigaction(SIGBUS, &previous, nullptr);
  return fault_seen == 0;
}

}  // namespace platform
