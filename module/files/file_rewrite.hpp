// One file's rewrite. The new content goes to a scratch file beside the
// file's real target, which has no name until the rewrite is complete; then
// it replaces the file in one step (keeping the old content as NAME.old
// when asked). Whatever happens before that, the file keeps its whole
// previous content and nothing is left behind.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "module/files/rewritten_files.hpp"
#include "sdk/plugin.hpp"

namespace platform {
class Utf8AsOem;
}

class FileRewrite {
 public:
  // source holds the file's whole content; folder is the module path of the
  // folder that holds the file's real target; identity is the file's as it
  // was read.
  FileRewrite(const char* source, size_t size, const WIN32_FIND_DATAA& entry,
              std::string folder, const FileIdentity& identity);
  ~FileRewrite();
  FileRewrite(const FileRewrite&) = delete;
  FileRewrite& operator=(const FileRewrite&) = delete;

  // From now on the scan works on the code page 866 view of a UTF-8 file:
  // offsets are the view's, replacements are written in UTF-8 and the text
  // between them from the file's own bytes. `view` must outlive the writes.
  void ReadThrough(const platform::Utf8AsOem* view);

  // The match [start, start + length) of the source: asks the questions,
  // writes what comes before it and then the replacement or the match
  // itself. origins, when given, says for each replacement byte which
  // source offset (counted from subject_start) it was copied from, or -1.
  // False when the scan must stop (the file was declined or writing
  // failed); the file is then left as it was.
  bool ReplaceMatch(size_t start, size_t length, const std::string& replacement,
                    const std::vector<int>& origins = {}, size_t subject_start = 0);

  // Writes the rest of the source after the last match. True when the new
  // content is complete and may be committed.
  bool WriteRest();
  // Hands the new content to the group commit, which puts it in place of
  // the file (keeping the old one as NAME.old when asked) unless the file
  // changed since it was read. True when it was handed over; the outcome
  // comes with the other queued commits.
  bool Commit();

  // An empty match already replaced at this position must not be replaced
  // again by the next window that sees it.
  bool ReplacedEmptyAt(size_t position) const { return empty_at_ == position; }

  const char* FileName() const { return entry_.cFileName; }
  size_t SourceSize() const { return size_; }

 private:
  bool OpenOutput();
  bool Write(const char* bytes, size_t length);
  bool Flush();
  bool WriteThrough(const char* bytes, size_t length);
  bool WriteSource(size_t from, size_t to);
  std::string InFileEncoding(const std::string& replacement, const std::vector<int>& origins,
                             size_t subject_start) const;

  const char* source_;
  size_t size_;
  const platform::Utf8AsOem* utf8_ = nullptr;  // set when the source is a UTF-8 file's view
  const WIN32_FIND_DATAA& entry_;
  std::string folder_;
  FileIdentity identity_;
  size_t written_ = 0;  // every source byte before this has been handled
  HANDLE output_ = INVALID_HANDLE_VALUE;
  std::string output_name_;
  std::string pending_;  // written bytes not yet handed to the file
  bool failed_ = false;
  size_t empty_at_ = static_cast<size_t>(-1);  // the last empty match replaced
};
