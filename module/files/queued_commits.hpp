// The rewrites handed to the platform's group commit, kept in the order
// they were handed over until their outcome is known: a committed file joins
// the results, one that failed is named in a warning, both before the
// command ends.
#pragma once

#include <string>

#include "module/files/walk.hpp"
#include "sdk/plugin.hpp"

// Hands the finished rewrite of `entry` (its scratch file open as
// `scratch`, the file itself still open for reading) to the group commit;
// false, with the warning shown, when it was refused at once.
bool QueueCommit(const WIN32_FIND_DATAA& entry, const std::string& scratch,
                 const std::string& backup);

// Takes the outcomes decided so far, in order.
void TakeCommitOutcomes(ResultList& results);

// Commits every queued rewrite, makes all of them durable, and takes every
// outcome.
void FinishCommits(ResultList& results);
