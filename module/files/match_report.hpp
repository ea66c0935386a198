// Telling the host, as the search goes, which files it lists and, when the
// host asks, the lines that made each one match (the FCTL_REPORTMATCH
// command of sdk/plugin.hpp). A host that refuses the command hears nothing
// more of it until the next command; the results list is the same either way.
#pragma once

// Reports a file the search lists (path as the results list holds it).
// found: the file matched the search (it is not listed by an inverse
// search); then it may have lines to show, and is read again only when the
// host asks for them.
void ReportFoundFile(const char* path, bool found);
