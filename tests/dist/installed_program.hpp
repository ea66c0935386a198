// Checks shared by the install and package tests: an installed finderix,
// started from where it was installed with no variable pointing at its
// files, prints its version, runs a search, reports with the language
// file's messages, and opens the editor with the module's menu and help.
#pragma once

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/host/app/tmux_session.hpp"
#include "tests/support/temp_folder.hpp"

namespace testing_support {

struct ShellRun {
  int status = -1;  // the shell's exit status: 128 + n when killed by signal n
  std::string out;
  std::string err;
};

// Runs a shell command with no standard input, in `scratch`, its output
// kept in files there.
inline ShellRun RunShell(const std::string& command, const std::string& scratch) {
  const std::string out = scratch + "/run.out", err = scratch + "/run.err";
  const std::string line = "cd " + ShellQuoted(scratch) + " && env -u LD_LIBRARY_PATH LANG=C.UTF-8 " +
                           command + " </dev/null >" + ShellQuoted(out) + " 2>" + ShellQuoted(err);
  int raw = std::system(line.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(out), ReadText(err)};
}

inline void ExpectInstalledProgramWorks(const std::string& program, const std::string& scratch) {
  SCOPED_TRACE(program);
  const std::string quoted = ShellQuoted(program);
  ShellRun version = RunShell(quoted + " --version", scratch);
  EXPECT_EQ(version.status, 0) << version.err;
  EXPECT_EQ(version.out.rfind("finderix ", 0), 0u) << version.out;

  std::filesystem::create_directories(scratch + "/work/sub");
  WriteText(scratch + "/work/sub/a.txt", "the needle\n");
  WriteText(scratch + "/work/b.txt", "hay\n");
  const std::string search = quoted + " --registry registry.db -C work --set FSearchIn=3 ";
  ShellRun found = RunShell(search + "'ff:/*.txt/needle/p'", scratch);
  EXPECT_EQ(found.status, 0) << found.err;
  EXPECT_EQ(found.out, scratch + "/work/sub/a.txt\n");
  // The message comes from the language file: without it the text is empty.
  ShellRun missing = RunShell(search + "'ff:/*.txt/absent/p'", scratch);
  EXPECT_EQ(missing.status, 1) << missing.err;
  EXPECT_NE(missing.err.find("No files found"), std::string::npos) << missing.err;

  if (!TmuxInstalled()) GTEST_SKIP() << "tmux is not installed";
  WriteText(scratch + "/work/notes.txt", "abc\n");
  TmuxSession session("cd " + ShellQuoted(scratch + "/work") + " && LANG=C.UTF-8 " + quoted +
                          " --registry ../registry.db -e notes.txt; echo FINDERIX-EXIT=$?; sleep 60",
                      100, 30);
  ASSERT_TRUE(session.WaitFor("Line 1/")) << session.Screen();
  session.Keys({"F11"});  // the module's menu, its items from the language file
  EXPECT_TRUE(session.WaitFor("Repeat last")) << session.Screen();
  session.Keys({"F1"});  // the help file beside the module
  EXPECT_TRUE(session.WaitFor("Search finds a text")) << session.Screen();
  session.Keys({"Escape", "Escape", "Escape"});
  EXPECT_TRUE(session.WaitFor("FINDERIX-EXIT=0")) << session.Screen();
}

}  // namespace testing_support
