// The full-screen program: the panels (or, given a file, the editor alone)
// on the terminal, with the module loaded, until F10 (or closing the
// editor) ends it.
#pragma once

#include <string>

namespace host::app {

struct FullScreenOptions {
  std::string module_path;    // POSIX path of finderix.so
  std::string registry_file;  // empty: the platform's default settings file
  std::string folder;         // the panels' folder; empty: the current folder
  std::string edit_file;      // a file to edit instead of showing the panels
};

// The exit status: 0 when the person quit, 2 when the terminal, the module
// or the file could not be used (a one-line reason on standard error).
int RunFullScreen(const FullScreenOptions& options);

}  // namespace host::app
