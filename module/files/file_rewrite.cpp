// Writing a file's new content beside it and committing it in one step.
#include "module/files/file_rewrite.hpp"

#include <algorithm>
#include <cstring>

#include "module/files/file_warning.hpp"
#include "module/files/queued_commits.hpp"
#include "module/files/replace_questions.hpp"
#include "module/base/host_access.hpp"
#include "module/base/messages.hpp"
#include "module/base/settings.hpp"
#include "platform/utf8_as_oem.hpp"

namespace {

constexpr int kScratchAttempts = 64;
constexpr size_t kWriteBuffer = 64 * 1024;

// Scratch names are only reserved, never visible: the scratch file has no
// name until it replaces the file.
HANDLE CreateScratch(const std::string& folder, std::string* name) {
  static UINT next = 0;
  for (int attempt = 0; attempt < kScratchAttempts; attempt++) {
    char path[MAX_PATH];
    next = next % 0xFFFF + 1;
    if (!GetTempFileNameA(folder.c_str(), "fx", next, path)) return INVALID_HANDLE_VALUE;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      *name = path;
      return file;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) break;
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

FileRewrite::FileRewrite(const char* source, size_t size, const WIN32_FIND_DATAA& entry,
                         std::string folder, const FileIdentity& identity)
    : source_(source), size_(size), entry_(entry), folder_(std::move(folder)), identity_(identity) {}

FileRewrite::~FileRewrite() {
  if (output_ != INVALID_HANDLE_VALUE) CloseHandle(output_);
}

bool FileRewrite::OpenOutput() {
  // A rewrite renames new content over one name; the file's other names
  // would keep the old content, split from it.
  if (identity_.links > 1) {
    ShowFileWarning("FRHardLinks", MHardLinked, entry_.cFileName);
    return false;
  }
  if (!ConfirmFile(MReplaceTitle, entry_.cFileName)) return false;
  // A read-only file is never replaced behind its owner's back.
  if (entry_.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
    ShowFileWarning("FRCreateError", MOpenError, entry_.cFileName);
    return false;
  }
  output_ = CreateScratch(folder_, &output_name_);
  if (output_ == INVALID_HANDLE_VALUE) {
    ShowFileWarning("FRCreateError", MOpenError, entry_.cFileName);
    return false;
  }
  return true;
}

// Small pieces (the text between matches, each replacement) gather in a
// buffer, so that a file with many matches costs few system calls.
bool FileRewrite::Write(const char* bytes, size_t length) {
  if (failed_) return false;
  if (pending_.size() + length <= kWriteBuffer) {
    pending_.append(bytes, length);
    return true;
  }
  return Flush() && WriteThrough(bytes, length);
}

bool FileRewrite::Flush() {
  bool ok = WriteThrough(pending_.data(), pending_.size());
  pending_.clear();
  return ok;
}

bool FileRewrite::WriteThrough(const char* bytes, size_t length) {
  while (length > 0 && !failed_) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(length, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(output_, bytes, chunk, &written, nullptr) || written != chunk) {
      failed_ = true;
      ShowFileWarning("FRWriteError", MWriteError, entry_.cFileName);
    }
    bytes += chunk;
    length -= chunk;
  }
  return !failed_;
}

// The file question comes before the first replacement's; the output is
// opened only at the first accepted replacement, so a file whose every
// replacement is declined is never rewritten. A declined match stays in
// the source, copied with the stretch before the next accepted one.
bool FileRewrite::ReplaceMatch(size_t start, size_t length, const std::string& replacement,
                               const std::vector<int>& origins, size_t subject_start) {
  if (!ConfirmFile(MReplaceTitle, entry_.cFileName)) return false;
  if (length == 0) empty_at_ = start;
  std::string matched(source_ + start, strnlen(source_ + start, length));
  if (!ConfirmFileReplace(matched, replacement, entry_.cFileName)) return true;
  if (output_ == INVALID_HANDLE_VALUE && !OpenOutput()) return false;
  if (!WriteSource(written_, start)) return false;
  written_ = start + length;
  if (!utf8_) return Write(replacement.data(), replacement.size());
  const std::string encoded = InFileEncoding(replacement, origins, subject_start);
  return Write(encoded.data(), encoded.size());
}

bool FileRewrite::WriteRest() {
  if (output_ == INVALID_HANDLE_VALUE) return false;
  return WriteSource(written_, size_) && Flush();
}

void FileRewrite::ReadThrough(const platform::Utf8AsOem* view) {
  utf8_ = view;
  source_ = view->text().data();
  size_ = view->text().size();
}

// The source range [from, to) as the file holds it.
bool FileRewrite::WriteSource(size_t from, size_t to) {
  if (!utf8_) return Write(source_ + from, to - from);
  const std::string_view original = utf8_->OriginalOf(from, to);
  return Write(original.data(), original.size());
}

// A replacement in UTF-8. A placeholder copied from the file (a group
// holding a character code page 866 lacks) takes that character's own
// bytes; everything else is code page 866 text.
std::string FileRewrite::InFileEncoding(const std::string& replacement,
                                        const std::vector<int>& origins,
                                        size_t subject_start) const {
  std::string encoded;
  for (size_t i = 0; i < replacement.size(); i++) {
    const char c = replacement[i];
    if (c == platform::kUtf8Placeholder && i < origins.size() && origins[i] >= 0) {
      const size_t at = subject_start + static_cast<size_t>(origins[i]);
      encoded += utf8_->OriginalOf(at, at + 1);
    } else {
      platform::AppendOemAsUtf8(std::string_view(&c, 1), &encoded);
    }
  }
  return encoded;
}

// The platform's group commit takes the new content relative to the read
// handle still open on the file: the file that was read is replaced, only if
// unchanged since. The file counts as rewritten from here on, so that a
// second name for it met before the commit is refused all the same.
bool FileRewrite::Commit() {
  FileIdentity rewritten;
  const bool identified = IdentifyFile(output_, &rewritten);
  const std::string backup = FRSaveOriginal ? std::string(entry_.cFileName) + ".old" : "";
  if (!QueueCommit(entry_, output_name_, backup)) return false;
  RememberRewritten(identity_);
  if (identified) RememberRewritten(rewritten);
  return true;
}
