// The file commands' UTF-8 view. A file that is ASCII only, or not valid
// UTF-8, costs one pass that looks for a non-ASCII byte or an ill-formed
// sequence, and is then searched and replaced as single-byte text exactly
// as before.
#include "module/files/utf8_content.hpp"

#include <utility>

#include "module/base/messages.hpp"
#include "module/files/file_rewrite.hpp"
#include "module/files/file_warning.hpp"

namespace {

// Set when the current file is UTF-8 but too large to decode in memory.
thread_local bool TooLarge = false;  // per thread: content tests run on workers

}  // namespace

bool ViewUtf8File(const char* data, size_t length, platform::Utf8AsOem* view) {
  switch (view->Decode({data, length})) {
    case platform::Utf8AsOem::Outcome::kDecoded: return true;
    case platform::Utf8AsOem::Outcome::kTooLarge: TooLarge = true; return false;
    case platform::Utf8AsOem::Outcome::kNotUtf8: return false;
  }
  return false;
}

bool TakeUtf8TooLarge() { return std::exchange(TooLarge, false); }

bool ReadUtf8Source(const char** data, size_t* size, platform::Utf8AsOem* view,
                    FileRewrite& rewrite) {
  switch (view->Decode({*data, *size})) {
    case platform::Utf8AsOem::Outcome::kNotUtf8: return true;
    case platform::Utf8AsOem::Outcome::kTooLarge:
      ShowFileWarning("Utf8TooLarge", MUtf8TooLarge, rewrite.FileName());
      return false;
    case platform::Utf8AsOem::Outcome::kDecoded: break;
  }
  rewrite.ReadThrough(view);
  *data = view->text().data();
  *size = view->text().size();
  return true;
}
