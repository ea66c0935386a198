// The source of a file replace. A file up to ReadAtOnceLimit KB is read
// with one call; a larger one is mapped and never copied. The file itself
// is only read here; its new content is committed by the rewrite, so a
// failure at any point leaves it as it was. Sizes are 64-bit.
#include "module/files/replace_source.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "module/files/content_search.hpp"
#include "module/files/file_rewrite.hpp"
#include "module/files/replace_engine.hpp"
#include "module/files/file_warning.hpp"
#include "module/files/replace_questions.hpp"
#include "module/files/rewritten_files.hpp"
#include "module/files/scoped_handles.hpp"
#include "platform/fault_guard.hpp"
#include "module/base/messages.hpp"
#include "module/base/settings.hpp"

namespace {

// The folder of the file's real target, where its new content is written
// so that it can replace the file in one step.
bool TargetFolder(HANDLE file, std::string* folder) {
  char path[MAX_PATH];
  DWORD length = GetFinalPathNameByHandleA(file, path, sizeof path, 0);
  if (length == 0 || length >= sizeof path) return false;
  std::string full(path, length);
  size_t slash = full.rfind('\\');
  if (slash == std::string::npos) return false;
  *folder = full.substr(0, slash + 1);
  return true;
}

bool ReadWhole(HANDLE file, std::vector<char>& buffer) {
  size_t done = 0;
  while (done < buffer.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(buffer.size() - done, 1u << 30));
    DWORD read = 0;
    if (!ReadFile(file, buffer.data() + done, chunk, &read, nullptr) || read == 0) return false;
    done += read;
  }
  return true;
}

// What the rewrite needs to know of the file it replaces.
struct ReadFileFacts {
  std::string folder;  // the module path of its real target's folder
  FileIdentity identity;
};

bool ReplaceLoaded(HANDLE file, size_t size, const WIN32_FIND_DATAA& entry,
                   const ReadFileFacts& facts) {
  std::vector<char> buffer(size);
  if (!ReadWhole(file, buffer)) {
    ShowFileWarning("FRReadError", MReadError, entry.cFileName);
    return false;
  }
  FileRewrite rewrite(buffer.data(), size, entry, facts.folder, facts.identity);
  return ReplaceInBuffer(buffer.data(), size, rewrite) && rewrite.Commit();
}

struct MappedScan {
  const char* data;
  size_t size;
  FileRewrite* rewrite;
  bool complete;
};

void RunMappedScan(void* context) {
  auto* scan = static_cast<MappedScan*>(context);
  scan->complete = ReplaceInBuffer(scan->data, scan->size, *scan->rewrite);
}

bool ReplaceMapped(HANDLE file, size_t size, const WIN32_FIND_DATAA& entry,
                   const ReadFileFacts& facts) {
  ScopedHandle mapping(CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr));
  MappedView view(mapping.valid() ? MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0) : nullptr);
  if (!view.data()) {
    ShowFileWarning("FSOpenError", MOpenError, entry.cFileName);
    return false;
  }
  // The new content is committed only after the guarded scan: a file that
  // shrinks under it cannot be rewritten truthfully, so its rewrite is
  // dropped and the file keeps whatever it now holds.
  FileRewrite rewrite(view.data(), size, entry, facts.folder, facts.identity);
  MappedScan scan{view.data(), size, &rewrite, false};
  if (!platform::CallWithFaultGuard(RunMappedScan, &scan)) {
    ShowFileWarning("FRReadError", MReadError, entry.cFileName);
    return false;
  }
  return scan.complete && rewrite.Commit();
}

// A backup name that would not fit a path, or that exists already (an
// existing backup is never overwritten); says which.
bool BackupImpossible(const WIN32_FIND_DATAA& entry) {
  std::string backup = std::string(entry.cFileName) + ".old";
  if (backup.size() >= MAX_PATH) {
    ShowFileWarning("FRBackupError", MOpenError, entry.cFileName);
    return true;
  }
  if (GetFileAttributesA(backup.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  ShowFileWarning("FRBackupError", MBackupExists, backup);
  return true;
}

}  // namespace

bool ReplaceInFile(const WIN32_FIND_DATAA& entry) {
  if (FSearchAs > AsLinesWindowPattern) return false;
  if (FRSaveOriginal && BackupImpossible(entry)) return false;
  ScopedHandle file(CreateFileA(entry.cFileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  ReadFileFacts facts;
  if (!file.valid() || !GetFileSizeEx(file.get(), &size) ||
      !TargetFolder(file.get(), &facts.folder) || !IdentifyFile(file.get(), &facts.identity)) {
    ShowFileWarning("FSOpenError", MOpenError, entry.cFileName);
    return false;
  }
  // Another name of a file rewritten already is refused before it is read:
  // rewriting it again would apply the replacement to its own result, and
  // whether its new content is in place yet (matching or not) depends only
  // on how far the group commit has come.
  if (RewrittenInThisRun(facts.identity)) {
    ShowFileWarning("FRSameFile", MSameFileAgain, entry.cFileName);
    return false;
  }
  const uint64_t bytes = static_cast<uint64_t>(size.QuadPart);
  const uint64_t limit = static_cast<uint64_t>(ReadAtOnceLimit) * 1024;
  // The handle stays open until the commit: the platform commits relative
  // to the file it opened.
  if (bytes > limit) return ReplaceMapped(file.get(), static_cast<size_t>(bytes), entry, facts);
  return ReplaceLoaded(file.get(), static_cast<size_t>(bytes), entry, facts);
}
