// The Debian package of the tree this test was built in, made with CPack's
// DEB generator (a few seconds: the tree is built already, so one test
// builds it and checks everything): its control fields, then its contents
// unpacked and run from there.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "tests/dist/installed_program.hpp"

namespace {

namespace fs = std::filesystem;
using testing_support::RunShell;
using testing_support::ShellQuoted;
using testing_support::ShellRun;

// The .deb that cpack made in `folder`, or "" with the reason in `build`.
std::string BuildPackage(const std::string& folder, ShellRun* build) {
  *build = RunShell("cpack -G DEB --config " + ShellQuoted(FINDERIX_BINARY_DIR "/CPackConfig.cmake") +
                        " -B " + ShellQuoted(folder),
                    folder);
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().extension() == ".deb") return entry.path().string();
  return "";
}

// The Depends line of the package's control fields.
std::string DependsLine(const std::string& control) {
  size_t start = control.find("\n Depends: ");
  if (start == std::string::npos) return "";
  return control.substr(start + 1, control.find('\n', start + 1) - start - 1);
}

TEST(Package, DeclaresItsDependenciesAndRunsUnpacked) {
  TempFolder scratch;
  ShellRun build;
  auto start = std::chrono::steady_clock::now();
  const std::string deb = BuildPackage(scratch.Posix(""), &build);
  std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  ASSERT_FALSE(deb.empty()) << build.out << build.err;
  std::printf("cpack built the package in %.1f s\n", took.count());

  ShellRun info = RunShell("dpkg-deb -I " + ShellQuoted(deb), scratch.path());
  ASSERT_EQ(info.status, 0) << info.err;
  EXPECT_NE(info.out.find("\n Package: finderix\n"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("\n Section: utils\n"), std::string::npos) << info.out;
  const std::string depends = DependsLine(info.out);
  for (const char* library : {"libc6", "libstdc++6", "libpcre2-8-0", "libsqlite3-0", "libncursesw6"})
    EXPECT_NE(depends.find(library), std::string::npos) << library << " missing: " << info.out;

  const std::string root = scratch.Posix("root");
  ShellRun unpack = RunShell("dpkg-deb -x " + ShellQuoted(deb) + " " + ShellQuoted(root),
                             scratch.path());
  ASSERT_EQ(unpack.status, 0) << unpack.err;
  for (const char* file : {"usr/share/man/man1/finderix.1",
                           "usr/share/bash-completion/completions/finderix",
                           "usr/lib/finderix/finderix_ru.lng"})
    EXPECT_TRUE(Exists(root + "/" + file)) << file;
  testing_support::ExpectInstalledProgramWorks(root + "/usr/bin/finderix", scratch.path());
}

}  // namespace
