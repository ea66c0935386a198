// The one change observer a host may install. Only the host's own thread
// runs the module, so a plain pointer is enough.
#include "platform/host_bridge.hpp"
#include "platform/internal.hpp"

namespace {

platform::ChangeObserver* installed_observer = nullptr;

}  // namespace

namespace platform {

void InstallChangeObserver(ChangeObserver* observer) { installed_observer = observer; }

namespace internal {

bool HasChangeObserver() { return installed_observer != nullptr; }

bool NotifyAboutToCommit(const PendingChange& change) {
  return !installed_observer || installed_observer->AboutToCommit(change);
}

bool NotifyReadyToCommit() { return !installed_observer || installed_observer->ReadyToCommit(); }

void NotifyCommitted(const std::string& posix_path) {
  if (installed_observer) installed_observer->Committed(posix_path);
}

}  // namespace internal
}  // namespace platform
