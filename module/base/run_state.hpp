// The state of the command that is running: whether it is to stop, how the
// user has answered its questions so far, and its counters. Every file and
// editor command starts it afresh with StartRun before it walks, searches
// or asks; the walk, the searches and the questions read and write it, and
// nothing else resets it. Commands never nest, so one state serves them all.
#pragma once

#include <cstdint>
#include <set>
#include <utility>

struct RunState {
  // Esc during a walk or a search, Stop at a question, or a failure that
  // ends the whole command.
  bool interrupted = false;
  // "All" at the question before a file's first change: no more file
  // questions for the rest of the command.
  bool all_files = false;
  // The file being handled was accepted at its question.
  bool file_accepted = false;
  // "All" at the question before a replacement: the rest of the file being
  // handled (in the editor, the rest of the command) is changed unasked.
  bool all_replacements = false;
  int files_scanned = 0;  // entries the walk handed to the command's callback
  int entry_index = -1;   // the entry being renamed, counted over every entry offered
  // The files (volume, file index) a replace has rewritten, by their
  // identity both before and after: another name of one is left alone.
  std::set<std::pair<uint32_t, uint64_t>> rewritten_files;
  // What the walk could not reach, reported once when it ends.
  int unread_folders = 0;  // folders that could not be listed
  int long_paths = 0;      // entries whose path has MAX_PATH bytes or more
  // The host refused a match report: none is sent again in this command.
  bool match_reports_refused = false;
};

extern RunState CurrentRun;

// A new command: nothing interrupted, answered or counted.
void StartRun();

// The next file of a command: its own questions are still to be asked.
void StartRunFile();
