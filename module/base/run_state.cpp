// The running command's state; see the header for who writes it.
#include "module/base/run_state.hpp"

RunState CurrentRun;

void StartRun() { CurrentRun = RunState{}; }

void StartRunFile() {
  CurrentRun.file_accepted = false;
  CurrentRun.all_replacements = false;
}
