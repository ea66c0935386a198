// The results panel: the temporary panel that lists the files a file
// command found or changed. Each panel the host shows has its own list and
// home folder; its handle is the module's token for it, so two results
// panels side by side never mix their lists or their way back.
#pragma once

#include <string>

#include "module/files/walk.hpp"
#include "sdk/plugin.hpp"

// Gives a result what a listing says of its file now, and marks it so that
// the panel's first listing takes it as it is rather than reading it again:
// a search that lists thousands of files describes each on the thread that
// tested it.
void SetCurrentDescription(PluginPanelItem& result, const WIN32_FILE_ATTRIBUTE_DATA& now);

// Makes a results panel of `results` whose home folder is the active
// panel's folder; its handle goes to the host, which passes it back to
// every panel entry point until it closes the panel.
HANDLE OpenResultsPanel(ResultList results);
// Releases the panel; a handle that names no open panel is ignored.
void CloseResultsPanel(HANDLE panel);
// Releases every open panel, for unloading.
void CloseAllResultsPanels();

// The panel's look: modes, titles, the key bar with its F7 title.
void DescribeResultsPanel(OpenPluginInfo* info);
// Re-reads the panel's entries, drops the vanished ones and hands out its
// list, which stays valid until the next call or the panel closes. False
// for a handle that names no open panel.
bool ListResults(HANDLE panel, PluginPanelItem** items, int* count);
// F7: drops the entries selected in the panel and redraws it (and a quick
// view beside it).
void RemoveSelectedResults(HANDLE panel);
// Backspace: closes the panel and returns to its home folder.
void ReturnHome(HANDLE panel);
