// What a line typed on the panels' command line asks for: the module's
// command after its prefix ("ff:TEXT"), a change of folder ("cd DIR"), or
// a shell command.
#pragma once

#include <string>
#include <string_view>

namespace host::app {

struct Command {
  enum class Kind { kNone, kModule, kChangeFolder, kShell };
  Kind kind = Kind::kNone;
  std::string argument;  // code page 866: the text after "prefix:", the folder, the command
};

// `prefix` is the module's command prefix ("ff"); it matches without regard
// to letter case, as a typed prefix does. Blanks around the line go.
Command ParseCommand(std::string_view oem_line, std::string_view prefix);

}  // namespace host::app
