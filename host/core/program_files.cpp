// The module folder, worked out from /proc/self/exe, which names the
// program's real file even when it was started through a symbolic link.
#include "host/core/program_files.hpp"

#include <filesystem>
#include <system_error>

#ifndef FINDERIX_INSTALLED_MODULE_FOLDER
#error "the build names the installed module folder relative to the program's"
#endif

namespace host {

namespace fs = std::filesystem;

namespace {

constexpr char kModuleFile[] = "finderix.so";

fs::path ProgramFolder() {
  std::error_code error;
  return fs::read_symlink("/proc/self/exe", error).parent_path();
}

}  // namespace

std::string ModuleFolder() {
  const fs::path beside = ProgramFolder();
  std::error_code error;
  if (fs::exists(beside / kModuleFile, error)) return beside.string();
  return (beside / FINDERIX_INSTALLED_MODULE_FOLDER).lexically_normal().string();
}

std::string ModulePath() { return (fs::path(ModuleFolder()) / kModuleFile).string(); }

}  // namespace host
