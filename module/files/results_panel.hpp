// The results panel: the temporary panel that lists the files a file
// command found or changed. One list for the whole module.
#pragma once

#include <string>

#include "module/files/walk.hpp"

extern ResultList Results;
// The active panel's folder when the results panel opened; Backspace
// returns there.
extern std::string ResultsHomeFolder;

// Takes the active panel's folder as the home folder.
void OpenResultsPanel();
void CloseResultsPanel();
