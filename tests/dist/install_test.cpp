// The install into a scratch DESTDIR, as `make install` does it, of the
// tree this test was built in: the installed program runs from its prefix,
// a second install replaces an older one, the uninstall removes what the
// install put down and nothing else, and a missing library or module is
// reported, not a crash.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "tests/dist/installed_program.hpp"

namespace {

namespace fs = std::filesystem;
using testing_support::RunShell;
using testing_support::ShellQuoted;
using testing_support::ShellRun;

constexpr char kPrefix[] = "/usr/local";

class Install : public testing::Test {
 protected:
  std::string Root() const { return temp_.Posix("root"); }
  std::string Prefixed(const std::string& relative) const {
    return Root() + kPrefix + "/" + relative;
  }
  std::string Program() const { return Prefixed("bin/finderix"); }

  ShellRun RunInstall() {
    return RunShell("DESTDIR=" + ShellQuoted(Root()) + " cmake --install " +
                        ShellQuoted(FINDERIX_BINARY_DIR) + " --prefix " + kPrefix,
                    temp_.path());
  }
  ShellRun RunUninstall() {
    return RunShell("DESTDIR=" + ShellQuoted(Root()) + " cmake -DCMAKE_INSTALL_PREFIX=" +
                        kPrefix + " -P " + ShellQuoted(FINDERIX_SOURCE_DIR "/dist/uninstall.cmake"),
                    temp_.path());
  }
  void InstallOrFail() {
    ShellRun run = RunInstall();
    ASSERT_EQ(run.status, 0) << run.out << run.err;
  }

  // Every file and link under the scratch root, relative to it.
  std::vector<std::string> InstalledFiles() const {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(Root()))
      if (!entry.is_directory()) files.push_back(fs::relative(entry.path(), Root()).string());
    std::sort(files.begin(), files.end());
    return files;
  }

  TempFolder temp_;
};

TEST_F(Install, PutsEachFileInPlaceAndTheProgramRunsFromThePrefix) {
  InstallOrFail();
  std::vector<std::string> expected = {
      "usr/local/bin/finderix",
      "usr/local/lib/finderix/finderix.so",
      "usr/local/lib/finderix/finderix_en.hlf",
      "usr/local/lib/finderix/finderix_en.lng",
      "usr/local/lib/finderix/finderix_ru.lng",
      "usr/local/lib/finderix/install-manifest.txt",
      "usr/local/lib/finderix/libfinderix-platform.so",
      "usr/local/share/bash-completion/completions/finderix",
      "usr/local/share/man/man1/finderix.1",
  };
  EXPECT_EQ(InstalledFiles(), expected);
  testing_support::ExpectInstalledProgramWorks(Program(), temp_.path());
}

// --- Over an older install, and back out ---

TEST_F(Install, ASecondInstallReplacesTheOlderOneFileByFile) {
  InstallOrFail();
  // An older install: a file this one no longer ships, and an older module
  // that a running program may still have mapped.
  const std::string manifest = Prefixed("lib/finderix/install-manifest.txt");
  WriteText(Prefixed("lib/finderix/finderix_de.lng"), "old\n");
  std::ofstream(manifest, std::ios::app) << "lib/finderix/finderix_de.lng\n";
  WriteText(Prefixed("lib/finderix/finderix.so"), "an older module");
  // A second name holds the old file the way a running program's mapping
  // does: an install that writes in place would change what it reads.
  const std::string held = temp_.Posix("held-module");
  ASSERT_EQ(link(Prefixed("lib/finderix/finderix.so").c_str(), held.c_str()), 0);

  InstallOrFail();
  EXPECT_FALSE(Exists(Prefixed("lib/finderix/finderix_de.lng")));
  EXPECT_EQ(ReadText(manifest).find("finderix_de"), std::string::npos);
  EXPECT_EQ(ReadText(held), "an older module") << "overwritten in place";
  EXPECT_EQ(ReadText(Prefixed("lib/finderix/finderix.so")).substr(0, 4), "\x7f" "ELF");
  ShellRun version = RunShell(ShellQuoted(Program()) + " --version", temp_.path());
  EXPECT_EQ(version.status, 0) << version.err;
}

TEST_F(Install, UninstallRemovesWhatTheManifestListsInsideThePrefixOnly) {
  InstallOrFail();
  // A file of the user's in the module folder, and a damaged manifest entry
  // that points outside the prefix.
  WriteText(Prefixed("lib/finderix/mine.txt"), "keep\n");
  WriteText(Root() + "/outside.txt", "keep\n");
  std::ofstream(Prefixed("lib/finderix/install-manifest.txt"), std::ios::app)
      << "../../outside.txt\n";

  ShellRun run = RunUninstall();
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(InstalledFiles(),
            (std::vector<std::string>{"outside.txt", "usr/local/lib/finderix/mine.txt"}));
  fs::remove(Prefixed("lib/finderix/mine.txt"));

  // Without a manifest, nothing to do; the folder went with the last file.
  EXPECT_EQ(RunUninstall().status, 0);
  InstallOrFail();
  ASSERT_EQ(RunUninstall().status, 0);
  EXPECT_EQ(InstalledFiles(), std::vector<std::string>{"outside.txt"});
  EXPECT_FALSE(fs::exists(Prefixed("lib/finderix")));
}

// --- Missing pieces ---

TEST_F(Install, AMissingLibraryGetsTheLoadersMessageAMissingModuleTheHosts) {
  InstallOrFail();
  const std::string platform = Prefixed("lib/finderix/libfinderix-platform.so");
  fs::rename(platform, platform + ".away");
  ShellRun run = RunShell(ShellQuoted(Program()) + " --version", temp_.path());
  EXPECT_EQ(run.status, 127);
  EXPECT_NE(run.err.find("error while loading shared libraries: libfinderix-platform.so"),
            std::string::npos)
      << run.err;
  fs::rename(platform + ".away", platform);

  fs::remove(Prefixed("lib/finderix/finderix.so"));
  run = RunShell(ShellQuoted(Program()) + " --registry registry.db 'ff: needle'", temp_.path());
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_NE(run.err.find("cannot find the module " + Prefixed("lib/finderix/finderix.so")),
            std::string::npos)
      << run.err;
}

}  // namespace
