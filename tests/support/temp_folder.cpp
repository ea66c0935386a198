// Scratch folders and child processes for the platform's file tests.
#include "tests/support/temp_folder.hpp"

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include <gtest/gtest.h>

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "finderix-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    ADD_FAILURE() << "mkdtemp failed";
  }
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::Module(const std::string& relative) const {
  return ModuleForm(relative.empty() ? path_ : Posix(relative));
}

std::string ModuleForm(const std::string& posix_path) {
  std::string module_path = "C:" + posix_path;
  for (char& c : module_path) {
    if (c == '/') c = '\\';
  }
  return module_path;
}

void WriteText(const std::string& posix_path, const std::string& text) {
  std::ofstream out(posix_path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out) ADD_FAILURE() << "cannot write " << posix_path;
}

std::string ReadText(const std::string& posix_path) {
  std::ifstream in(posix_path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool Exists(const std::string& posix_path) {
  struct stat st;
  return lstat(posix_path.c_str(), &st) == 0;
}

std::vector<std::string> NamesIn(const std::string& posix_folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(posix_folder))
    names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

int RunInChild(const std::function<int()>& body) {
  const pid_t child = fork();
  if (child == 0) _exit(body());
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunAsNobody(const std::function<int()>& body) {
  return RunInChild([&body] {
    constexpr uid_t kNobody = 65534;
    if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) return 254;
    return body();
  });
}
