// What only the host calls into the platform layer: where the registry file
// lives, where console input comes from and the console title goes, and how
// a module path ("C:\home\ann\x.txt", code page 866) maps to the POSIX path
// it names. None of this exists on Windows, so the module never includes it.
#pragma once

#include <string>

#include "platform/win32.hpp"

namespace platform {

// Registry database. The file is opened on the first registry call after
// this; a previous connection is closed. Creating missing parent folders is
// the caller's business. A scratch file (a shell run's private settings,
// removed when the run ends) is written without waiting for the disk: its
// values matter only while the run lives, and a flush per value would
// cost the run more than its work.
enum class RegistryWrites { kDurable, kScratch };
void SetRegistryFile(const std::string& path, RegistryWrites writes = RegistryWrites::kDurable);
void CloseRegistry();
// Whether the registry file can be written now, proved by a write that is
// rolled back: the file never changes, and processes checking at the same
// moment cannot disturb one another. A damaged file fails with
// ERROR_REGISTRY_CORRUPT or ERROR_BADDB.
LSTATUS CheckRegistryWritable();

// A change the platform is about to commit, told before it is made so a
// host can keep what it replaces. Descriptors live only for the call.
struct PendingChange {
  enum class Kind { kRewrite, kMove };
  Kind kind = Kind::kRewrite;
  std::string path;      // rewrite: the file's real path; move: the entry's path
  std::string new_path;  // move: where the entry goes
  int old_content = -1;  // rewrite: open on the file as it was read; -1 for a new file
  int new_content = -1;  // rewrite: open on the content that takes its place
  std::string backup;    // rewrite: where the old content is kept as well, or empty
  bool replaces = false; // move: an entry already at new_path is replaced
};

// Told of each change the platform commits to disk for the module: a file
// whose new content replaced the old (its real path), an entry moved (its
// new path). Called after the change is made, on the caller's thread, so
// a host learns what really changed rather than what the module says.
// AboutToCommit comes first, once the change is certain to be tried;
// false keeps it from being made (the call fails with ERROR_WRITE_FAULT).
// Changes are announced in batches (the group commit's, or one change
// alone): ReadyToCommit follows a batch's announcements, before any of
// them is made, so a host can make what it kept for the whole batch
// durable at once; false keeps every change of the batch from being made.
// Then each change is made, or fails, in the order it was announced.
class ChangeObserver {
 public:
  virtual ~ChangeObserver() = default;
  virtual bool AboutToCommit(const PendingChange&) { return true; }
  virtual bool ReadyToCommit() { return true; }
  virtual void Committed(const std::string& posix_path) = 0;
};
// The host keeps ownership; pass nullptr before destroying it.
void InstallChangeObserver(ChangeObserver* observer);

// The host's console. With none installed, GetStdHandle(STD_INPUT_HANDLE)
// still answers, but PeekConsoleInputA and ReadConsoleInputA fail, and the
// console title goes nowhere.
class ConsoleHost {
 public:
  virtual ~ConsoleHost() = default;
  // Copies the next queued event without removing it; false when none is queued.
  virtual bool PeekInput(INPUT_RECORD* event) = 0;
  // Removes and returns the next event; false when none is queued (never waits).
  virtual bool ReadInput(INPUT_RECORD* event) = 0;
  virtual void SetTitle(const char* oem_title) = 0;
};
// The host keeps ownership; pass nullptr before destroying it.
void InstallConsoleHost(ConsoleHost* host);

// Resolves a module path (absolute "C:\...", or relative to the current
// folder; either separator) to the real POSIX path of the entry it names,
// each alias to its own entry, exactly as the module's own calls do. False,
// with the Windows last error set, when the path is too long, names another
// drive, or holds an alias whose entry is gone.
bool ToPosixPath(const char* module_path, std::string* posix_path);

// The module's view of a POSIX path: "C:" then the path with "\" separators,
// in code page 866; a name code page 866 cannot spell is its alias.
std::string ToModulePath(const std::string& posix_path);

// A real name or path as a terminal may show it: control characters and
// bytes that are not UTF-8 become "\xNN" (C1 characters "\uNNNN").
std::string EscapeForDisplay(const std::string& utf8);

// Writes a file's whole new content safely: to a temporary file in the
// same folder, flushed, then renamed over the file in one step (the folder
// flushed too), keeping its permissions and following a symbolic link to
// its target. A failure at any point leaves the file as it was and no
// temporary file behind; false with a one-line reason in *error.
bool WriteFileSafely(const std::string& posix_path, const std::string& content,
                     std::string* error);

// Text conversions between the module's code page 866 and UTF-8; a
// character that code page 866 cannot hold becomes "?".
std::string OemToUtf8(const std::string& oem);
std::string Utf8ToOem(const std::string& utf8);

}  // namespace platform
