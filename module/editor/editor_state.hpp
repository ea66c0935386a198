// The editor side's command state: what find-again repeats, the compiled
// editor pattern, the options the dialogs set for this session only, and
// the hand-over from file commands.
#pragma once

#include <string>

#include "module/match/pattern.hpp"

// -1 before any editor command, 0 after a search, 1 after a replace.
extern int LastEditorCommand;
// EText compiled when ERegExp is set.
extern SearchPattern EditorSearchPattern;

// Dialog options that are not persisted; 0 until a dialog sets them.
extern int SearchBackward;
extern int RemoveEmpty;
extern int RemoveNoMatch;
extern int ReplaceInSelection;

// Releases the editor pattern and, with ERegExp, compiles the text into it;
// false after a bad pattern (its box has been shown).
bool CompileEditorPattern(const std::string& text);

// After a file command: the editor's find-again continues its text,
// template and case setting.
void AdoptFileSearch(bool replace);

// Releases the editor's state at unload: the compiled pattern, the kept
// match and the texts.
void ReleaseEditorState();
