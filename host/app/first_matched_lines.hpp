// The line each listed file first matched on, kept for the full-screen
// program so that F4 on a search's results opens the editor there. It asks
// the module for one line per file and no more.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "host/core/match_sink.hpp"

namespace host::app {

class FirstMatchedLines : public MatchSink {
 public:
  bool FoundFile(const std::string& module_path, bool lines_available) override;
  bool MatchedLine(const std::string& module_path, int64_t number,
                   const std::string& utf8_text) override;
  void LinesEnd(const std::string&) override {}

  // The line (from 1) the file matched on in the last search that listed it.
  std::optional<int64_t> LineOf(const std::string& module_path) const;

 private:
  std::map<std::string, int64_t> lines_;
};

}  // namespace host::app
