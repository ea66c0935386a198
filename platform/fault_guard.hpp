// The platform's stand-in for a structured exception handler around reads of
// a mapped file: a file that shrinks under its view makes the next read of a
// vanished page fault (SIGBUS). Such a read must end in an error report, not
// end the program.
#pragma once

namespace platform {

// Runs body(context). A read of a mapped page that no longer exists finds
// zero bytes instead of faulting, and the call then returns false; true when
// no such read happened. The body runs to its end either way, so it may hold
// any objects. The guard's handler is installed at the first call and stays;
// a SIGBUS handler installed after that would replace it.
bool CallWithFaultGuard(void (*body)(void* context), void* context);

}  // namespace platform
