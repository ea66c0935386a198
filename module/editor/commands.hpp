// The editor's commands as the user reaches them: the editor menu, the
// search and replace dialogs, and find-again.
#pragma once

// Called when the host opens the module from its editor; never opens a
// panel.
void RunEditorCommand();

// Show their dialog and, when it is accepted, store the settings and run
// the command; true when the dialog was accepted.
bool SearchDlg();
bool ReplaceDlg();
