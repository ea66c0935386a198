// Choosing the files of a file command: the scope in FSearchIn, the mask
// list, the advanced criteria, and the per-file callback that decides what
// goes into the result list.
#pragma once

#include <vector>

#include "module/base/setting_table.hpp"
#include "sdk/plugin.hpp"


using ResultList = std::vector<PluginPanelItem>;

// The longest path the module's 260-byte path fields hold.
inline constexpr size_t kMaxPath = MAX_PATH - 1;

inline bool IsFolder(const WIN32_FIND_DATAA& entry) {
  return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Set by the file dialogs' check box; not persisted.
extern int UseAdvancedCriteria;

// Receives folders as well as files (it tests FILE_ATTRIBUTE_DIRECTORY
// itself); cFileName holds the full path, or the bare name of an item taken
// straight from the panel's selection.
using FileCallback = void (*)(WIN32_FIND_DATAA& entry, ResultList& results);

// What the callback changes in the folders it is handed entries of; it
// decides how a folder's listing may be used.
enum class WalkChanges {
  kNothing,       // entries are handed out as the listing goes, in batches
  kFileContents,  // files are rewritten in place: a folder is listed whole first
  kNames,         // entries are renamed: listed whole, and listed again for
                  // subfolders, which are entered under their new names
};

// What the entries handed to the callback tell of files and folders.
enum class WalkRecords {
  kDescribed,  // attributes, times and sizes, as listed
  kNamesOnly,  // a plain file or folder has only its name and whether it is
               // a folder (it costs a system call per entry to learn more);
               // the results panel describes what it lists anew anyway
};

// Walks the scope of FSearchIn, starting with an empty list, until the end
// or CurrentRun.interrupted. Folders it could not list and paths too long
// for the module are counted in CurrentRun and shown in one warning box
// (help topic "WalkSkipped") when it ends, after walk_ended (if any) has
// finished with the entries handed out. Returns 0 only when the selection
// scope finds a panel with no items at all.
int WalkScope(ResultList& results, FileCallback callback, WalkChanges changes,
              void (*walk_ended)() = nullptr, WalkRecords records = WalkRecords::kDescribed);

void AddResult(const WIN32_FIND_DATAA& entry, ResultList& results);

// Shows the not-found box; returns 2 for the command to return.
int ReportNoFilesFound();

// The file commands run only on the host's own file panel.
bool ActivePanelIsPlainFilePanel();

// Polls Esc into CurrentRun.interrupted; true when the walk is to stop.
bool WalkInterrupted();
