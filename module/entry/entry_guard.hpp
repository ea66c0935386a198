// Every exported entry point runs its body through GuardEntry: no C++
// exception may reach the host. Memory running out in the middle of a
// command ends that command with a box, not the host (whose settings and
// presets would then never be saved).
#pragma once

#include <exception>

#include "module/base/host_access.hpp"

// Shows the box for a command that had to stop.
void ShowStoppedCommand(const char* reason);

template <typename Result, typename Body>
Result GuardEntry(Result failure, Body body) {
  try {
    return body();
  } catch (const std::exception& e) {
    ShowStoppedCommand(e.what());
  } catch (...) {
    ShowStoppedCommand("");
  }
  return failure;
}

template <typename Body>
void GuardEntry(Body body) {
  GuardEntry(0, [&] {
    body();
    return 0;
  });
}
