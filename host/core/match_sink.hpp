// The host's side of the module's match reports (FCTL_REPORTMATCH in
// sdk/plugin.hpp): whoever drives the host (the shell program, the
// full-screen program) may install a sink to hear of each file a search
// lists as it is found, and of the lines that made it match. A host
// without a sink refuses the command, as a host without the extension does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace host {

class MatchSink {
 public:
  virtual ~MatchSink() = default;
  // A file the search lists, by its module path; lines_available when it
  // matched a text. True to have its matched lines reported next.
  virtual bool FoundFile(const std::string& module_path, bool lines_available) = 0;
  // One matched line of that file, in file order, as UTF-8 text; false
  // when no more of its lines are wanted.
  virtual bool MatchedLine(const std::string& module_path, int64_t number,
                           const std::string& utf8_text) = 0;
  // The lines of a file whose lines were wanted are over; there may have
  // been none.
  virtual void LinesEnd(const std::string& module_path) = 0;
};

// Hands one report record to the sink; FALSE (a refusal) with no sink or a
// record that is not one.
int HandleMatchReport(MatchSink* sink, void* param);

// Line bytes as stored in the character table the match was found through
// (-1 the OEM code page, else a CharTable number) as UTF-8.
std::string LineToUtf8(std::string_view text, int char_table);

}  // namespace host
