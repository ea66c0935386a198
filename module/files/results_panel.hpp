// The results panel: the temporary panel that lists the files a file
// command found or changed. One list for the whole module.
#pragma once

#include <string>

#include "module/files/walk.hpp"
#include "sdk/plugin.hpp"

extern ResultList Results;
// The active panel's folder when the results panel opened; Backspace
// returns there.
extern std::string ResultsHomeFolder;

// Takes the active panel's folder as the home folder.
void OpenResultsPanel();
void CloseResultsPanel();

// The panel's look: modes, titles, the key bar with its F7 title.
void DescribeResultsPanel(OpenPluginInfo* info);
// Re-reads the entries, drops the vanished ones and hands out the list,
// which stays valid until the next call or the panel closes.
void ListResults(PluginPanelItem** items, int* count);
// F7: drops the entries selected in the panel and redraws it (and a quick
// view beside it).
void RemoveSelectedResults();
