// File identities through the platform, and the set of rewritten files in
// the run state.
#include "module/files/rewritten_files.hpp"

#include "module/base/run_state.hpp"

bool IdentifyFile(HANDLE file, FileIdentity* identity) {
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(file, &information)) return false;
  identity->volume = information.dwVolumeSerialNumber;
  identity->index = static_cast<uint64_t>(information.nFileIndexHigh) << 32 | information.nFileIndexLow;
  identity->links = information.nNumberOfLinks;
  return true;
}

bool RewrittenInThisRun(const FileIdentity& identity) {
  return CurrentRun.rewritten_files.count({identity.volume, identity.index}) != 0;
}

void RememberRewritten(const FileIdentity& identity) {
  CurrentRun.rewritten_files.insert({identity.volume, identity.index});
}
