// The help pages shown on F1, read from lang/finderix_en.hlf beside the
// module. The file is plain text in code page 866:
//
//   .Language=English,English     optional header, skipped
//   // a comment                  skipped, anywhere
//   @TopicName                    starts a topic; the name is what the module
//                                 passes as its help topic (case matters)
//   $Title of the page            the page's title (a '$' line before the
//                                 page's text; optional)
//   text                          the page: paragraphs of words, wrapped to
//                                 the window; an empty line ends a paragraph;
//                                 a line that starts with a space keeps its
//                                 columns (tables, key lists); a longer one
//                                 wraps under its text column
//
// Lines before the first topic are ignored. Lines may end in LF or CR LF.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host::tui {

struct HelpTopic {
  std::string title;               // code page 866
  std::vector<std::string> lines;  // code page 866, as written in the file
};

class HelpFile {
 public:
  void Parse(std::string_view text);
  // False (topics unchanged) when the file cannot be read.
  bool Load(const std::string& posix_path);

  const HelpTopic* Find(const std::string& name) const;

 private:
  std::map<std::string, HelpTopic> topics_;
};

// The help file that lies in a folder (the module's).
std::string HelpFilePath(const std::string& folder);

// The page's rows for a window of `width` columns: paragraphs wrapped at
// word boundaries, indented lines kept (wrapped under their text column
// when wider), empty lines kept.
std::vector<std::string> FlowHelpText(const std::vector<std::string>& lines, int width);

}  // namespace host::tui
