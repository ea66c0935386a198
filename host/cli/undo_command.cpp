// Undo and history as the shell sees them. A journal that is missing or
// damaged, or that has lost saved content, is reported in one line and
// nothing on disk changes.
#include "host/cli/undo_command.hpp"

#include <ctime>
#include <memory>

#include "host/cli/run_outcome.hpp"
#include "host/cli/undo_restore.hpp"
#include "host/core/undo_journal.hpp"
#include "platform/host_bridge.hpp"

namespace host::cli {

namespace {

int Fail(std::FILE* err, const std::string& message) {
  std::fprintf(err, "finderix: %s\n", message.c_str());
  return kExitFailed;
}

std::string Shown(const std::string& path) { return platform::EscapeForDisplay(path); }

std::string LocalTime(int64_t seconds) {
  const time_t when = static_cast<time_t>(seconds);
  struct tm local;
  char text[32] = "?";
  if (localtime_r(&when, &local)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

std::string Files(int64_t count) {
  return std::to_string(count) + (count == 1 ? " file" : " files");
}

// Where the user finds what an entry left alone held before the run.
std::string Before(const LeftAlone& entry) {
  if (!entry.old_content.empty())
    return " (its old content is kept as " + Shown(entry.old_content) + ")";
  if (!entry.old_name.empty()) return " (its name before the run: " + Shown(entry.old_name) + ")";
  return "";
}

int Report(const JournalRun& run, const RestoreOutcome& outcome, std::FILE* out, std::FILE* err) {
  for (const std::string& path : outcome.restored) std::fprintf(out, "%s\n", Shown(path).c_str());
  std::fflush(out);
  for (const LeftAlone& entry : outcome.changed_since)
    std::fprintf(err, "finderix: %s: changed since; not restored%s\n", Shown(entry.path).c_str(),
                 Before(entry).c_str());
  for (const std::string& failure : outcome.failed)
    std::fprintf(err, "finderix: %s\n", Shown(failure).c_str());
  const long long id = run.id;
  std::fprintf(err, "finderix: run %lld (%s): %s restored", id, Shown(run.command).c_str(),
               Files(static_cast<int64_t>(outcome.restored.size())).c_str());
  if (!outcome.changed_since.empty())
    std::fprintf(err, ", %zu changed since and left alone", outcome.changed_since.size());
  if (!outcome.failed.empty()) std::fprintf(err, ", %zu failed", outcome.failed.size());
  // What was not taken back stays in the journal, and a later undo of the
  // run takes back whatever is then as the run left it.
  if (!outcome.AllTakenBack())
    std::fprintf(err, "; run %lld keeps the rest (finderix --undo %lld tries again)", id, id);
  std::fputc('\n', err);
  if (!outcome.AllTakenBack()) return kExitFailed;
  return outcome.restored.empty() ? kExitNothing : kExitDone;
}

}  // namespace

int RunUndo(const std::string& state_folder, std::optional<int64_t> run_id, std::FILE* out,
            std::FILE* err) {
  std::string error;
  std::unique_ptr<UndoJournal> journal = UndoJournal::Open(state_folder, false, &error);
  if (!journal) return Fail(err, error);
  std::optional<JournalRun> run;
  if (run_id) {
    run = journal->Find(*run_id);
    if (!run) return Fail(err, "no run " + std::to_string(*run_id) + " in the undo journal (see --history)");
  } else {
    std::vector<JournalRun> runs = journal->Runs();
    if (runs.empty()) return Fail(err, "the undo journal holds no run to take back");
    run = runs.front();
  }
  RestoreOutcome outcome;
  if (!TakeBackRun(*journal, *run, &outcome, &error)) return Fail(err, error);
  if (!KeepWhatIsLeft(*journal, *run, outcome))
    std::fprintf(err, "finderix: cannot update run %lld in the undo journal: %s\n",
                 static_cast<long long>(run->id), journal->error().c_str());
  return Report(*run, outcome, out, err);
}

int ShowHistory(const std::string& state_folder, std::FILE* out, std::FILE* err) {
  std::string error;
  std::unique_ptr<UndoJournal> journal = UndoJournal::Open(state_folder, false, &error);
  if (!journal) return Fail(err, error);
  const std::vector<JournalRun> runs = journal->Runs();
  for (const JournalRun& run : runs)
    std::fprintf(out, "%lld  %s  %s  %s  %s\n", static_cast<long long>(run.id),
                 LocalTime(run.started).c_str(), Files(run.files).c_str(), Shown(run.folder).c_str(),
                 Shown(run.command).c_str());
  return runs.empty() ? kExitNothing : kExitDone;
}

}  // namespace host::cli
