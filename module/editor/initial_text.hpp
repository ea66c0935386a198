// The text the search field proposes: the one-line selection, or the word
// at the cursor, as EFindSelection and EFindTextAtCursor ask.
#pragma once

#include <optional>
#include <string>

// In OEM; nothing when neither source gives a text.
std::optional<std::string> InitialSearchText();

// Both in the editor's character table, as the line holds them.
std::optional<std::string> SelectedText();
std::optional<std::string> WordAtCursor();

// A letter or digit of code page 866, or "_".
bool IsWordChar(unsigned char byte);
