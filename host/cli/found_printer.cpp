// Printing found files and matched lines as they come. Output is flushed
// after each path and after each file's lines: the reader of a pipe sees
// them while the walk goes on.
#include "host/cli/found_printer.hpp"

#include <cstring>

#include "host/ui/shown_text.hpp"
#include "platform/host_bridge.hpp"

namespace host::cli {

namespace {

// Line text shown safely on a terminal, tabs kept as grep keeps them.
std::string EscapeLineText(const std::string& utf8) {
  std::string shown;
  size_t from = 0;
  for (size_t tab = utf8.find('\t'); tab != std::string::npos; tab = utf8.find('\t', from)) {
    shown += platform::EscapeForDisplay(utf8.substr(from, tab - from)) + '\t';
    from = tab + 1;
  }
  return shown + platform::EscapeForDisplay(utf8.substr(from));
}

}  // namespace

std::string FoundPrinter::Shown(const std::string& module_path) const {
  std::string posix;
  if (!platform::ToPosixPath(module_path.c_str(), &posix)) return ShownLine(module_path);
  return style_.null_ends ? posix : platform::EscapeForDisplay(posix);
}

void FoundPrinter::PrintPath(const std::string& module_path) {
  const std::string shown = Shown(module_path);
  before_output_();
  std::fwrite(shown.data(), 1, shown.size(), out_);
  std::fputc(style_.null_ends ? '\0' : '\n', out_);
  std::fflush(out_);
}

bool FoundPrinter::FoundFile(const std::string& module_path, bool lines_available) {
  printed_.insert(module_path);
  if (style_.lines && lines_available) {
    shown_ = Shown(module_path);
    line_printed_ = false;
    return true;
  }
  PrintPath(module_path);
  return false;
}

bool FoundPrinter::MatchedLine(const std::string&, int64_t number, const std::string& utf8_text) {
  before_output_();
  std::fwrite(shown_.data(), 1, shown_.size(), out_);
  std::fprintf(out_, "%c%lld:%s\n", style_.null_ends ? '\0' : ':', static_cast<long long>(number),
               EscapeLineText(utf8_text).c_str());
  line_printed_ = true;
  return true;
}

void FoundPrinter::LinesEnd(const std::string& module_path) {
  if (line_printed_)
    std::fflush(out_);
  else
    PrintPath(module_path);
}

void FoundPrinter::PrintRest(const Panel& panel) {
  for (const PluginPanelItem& item : panel.items()) {
    const char* name = item.FindData.cFileName;
    if (std::strcmp(name, "..") == 0 || printed_.count(name)) continue;
    printed_.insert(name);
    PrintPath(name);
  }
}

}  // namespace host::cli
