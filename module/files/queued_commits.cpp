// The module's side of the group commit: which file each queued rewrite
// belongs to, and what its outcome means to the user.
#include "module/files/queued_commits.hpp"

#include <deque>

#include "module/base/messages.hpp"
#include "module/files/file_warning.hpp"

namespace {

struct QueuedCommit {
  WIN32_FIND_DATAA entry;
  std::string backup;  // the backup name asked for; empty for none
};

// Same order as the platform's queue; empty between commands.
std::deque<QueuedCommit> awaiting;

void ShowCommitFailure(DWORD error, const WIN32_FIND_DATAA& entry, const std::string& backup) {
  switch (error) {
    case ERROR_ALREADY_EXISTS: ShowFileWarning("FRBackupError", MBackupExists, backup); break;
    case ERROR_FILE_INVALID:
      ShowFileWarning("FRFileChanged", MFileChangedMeanwhile, entry.cFileName);
      break;
    case ERROR_EA_ACCESS_DENIED:
      ShowFileWarning("FRAttributes", MCannotKeepAttributes, entry.cFileName);
      break;
    default: ShowFileWarning("FRWriteError", MWriteError, entry.cFileName);
  }
}

void TakeOutcomes(ResultList& results, bool wait) {
  DWORD error = ERROR_SUCCESS;
  while (!awaiting.empty() && GetQueuedReplaceResult(wait, &error)) {
    const QueuedCommit done = std::move(awaiting.front());
    awaiting.pop_front();
    if (error == ERROR_SUCCESS)
      AddResult(done.entry, results);
    else
      ShowCommitFailure(error, done.entry, done.backup);
  }
}

}  // namespace

bool QueueCommit(const WIN32_FIND_DATAA& entry, const std::string& scratch,
                 const std::string& backup) {
  if (!QueueReplaceFileA(entry.cFileName, scratch.c_str(), backup.empty() ? nullptr : backup.c_str())) {
    ShowCommitFailure(GetLastError(), entry, backup);
    return false;
  }
  awaiting.push_back({entry, backup});
  return true;
}

void TakeCommitOutcomes(ResultList& results) { TakeOutcomes(results, false); }

void FinishCommits(ResultList& results) {
  FlushQueuedReplaces();
  TakeOutcomes(results, true);
}
