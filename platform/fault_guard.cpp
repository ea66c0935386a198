// A SIGBUS guard for scans over mapped files. On a fault inside a guarded
// call, the handler maps a page of zeros over the vanished page and lets the
// read go on; the call reports the fault when the body returns. The handler
// is installed once per process, at the first guarded call, so a scan costs
// no system call; a bus error outside a guarded call goes on to whatever
// handler was there before.
#include "platform/fault_guard.hpp"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <mutex>

namespace platform {

namespace {

thread_local volatile sig_atomic_t guard_active = 0;
thread_local volatile sig_atomic_t fault_seen = 0;
struct sigaction previous_handler = {};

bool MapZerosOver(void* address) {
  const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  void* start = reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(address) & ~(page - 1));
  return mmap(start, page, PROT_READ, MAP_FIXED | MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) != MAP_FAILED;
}

// Hands a fault outside any guarded call to the handler that was there
// before; with none, the default action ends the program.
void PassOn(int signal, siginfo_t* info, void* context) {
  if (previous_handler.sa_flags & SA_SIGINFO) {
    previous_handler.sa_sigaction(signal, info, context);
    return;
  }
  if (previous_handler.sa_handler != SIG_DFL && previous_handler.sa_handler != SIG_IGN) {
    previous_handler.sa_handler(signal);
    return;
  }
  ::signal(signal, SIG_DFL);
  raise(signal);
}

void OnBusError(int signal, siginfo_t* info, void* context) {
  if (guard_active && info && MapZerosOver(info->si_addr)) {
    fault_seen = 1;
    return;
  }
  PassOn(signal, info, context);
}

void InstallOnce() {
  static std::once_flag installed;
  std::call_once(installed, [] {
    struct sigaction guard = {};
    guard.sa_sigaction = OnBusError;
    guard.sa_flags = SA_SIGINFO;
    sigemptyset(&guard.sa_mask);
    sigaction(SIGBUS, &guard, &previous_handler);
  });
}

}  // namespace

bool CallWithFaultGuard(void (*body)(void* context), void* context) {
  InstallOnce();
  fault_seen = 0;
  guard_active = 1;
  body(context);
  guard_active = 0;
  return fault_seen == 0;
}

}  // namespace platform
