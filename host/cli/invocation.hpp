// One command-line invocation of the module: a private settings file made
// ready, the scope checked, the module started on the panel's folder, the
// `ff` command run through its command-line entry, the files of a results
// panel printed, and the exit status worked out from what the platform
// changed and what the command showed.
#pragma once

#include <cstdio>
#include <string>

#include "host/cli/options.hpp"
#include "host/cli/run_outcome.hpp"
#include "host/ui/line_console.hpp"

namespace host::cli {

// Runs options.command_text. Messages and questions go through `console`;
// the listed files go to `out`, one POSIX path per line.
int RunInvocation(const ProgramOptions& options, const std::string& module_path,
                  LineConsole& console, std::FILE* out);

}  // namespace host::cli
