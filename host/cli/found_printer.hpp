// Standard output of a shell run: the files a search lists, printed as the
// module reports them (so `finderix … | head -1` ends at once), or with
// --lines each matching line as PATH:LINE:TEXT, as `grep -n` prints it;
// then, when the command ends, whatever its results panel holds that was
// not printed yet (the changed files a replace lists).
#pragma once

#include <cstdio>
#include <functional>
#include <set>
#include <string>

#include "host/core/match_sink.hpp"
#include "host/core/panel.hpp"

namespace host::cli {

struct PrintStyle {
  bool lines = false;      // PATH:LINE:TEXT for each matched line
  bool null_ends = false;  // a zero byte ends each path, which is then printed unescaped
};

class FoundPrinter : public MatchSink {
 public:
  // before_output runs before each write (it clears a status line that
  // may share the terminal).
  FoundPrinter(std::FILE* out, PrintStyle style, std::function<void()> before_output)
      : out_(out), style_(style), before_output_(std::move(before_output)) {}

  bool FoundFile(const std::string& module_path, bool lines_available) override;
  bool MatchedLine(const std::string& module_path, int64_t number,
                   const std::string& utf8_text) override;
  // Flushes the file's lines; a file that showed none is printed as a path.
  void LinesEnd(const std::string& module_path) override;

  // Prints the panel's items that were not printed as they were found.
  void PrintRest(const Panel& panel);
  // Files listed so far, as found or from the panel.
  size_t listed() const { return printed_.size(); }

 private:
  // The path as printed: the real POSIX path, escaped unless paths end
  // with a zero byte (then a program reads them, and needs the real bytes).
  std::string Shown(const std::string& module_path) const;
  void PrintPath(const std::string& module_path);

  std::FILE* out_;
  PrintStyle style_;
  std::function<void()> before_output_;
  std::set<std::string> printed_;  // module paths listed so far
  std::string shown_;              // the printed path of the file whose lines come
  bool line_printed_ = false;      // a line of that file was printed
};

}  // namespace host::cli
