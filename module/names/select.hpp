// Selecting, unselecting or inverting the selection of the active panel's
// items by mask.
#pragma once

// mode is MSelect, MUnselect or MInvertSelection: the command and its
// dialog's title.
void SelectFilesCommand(int mode);
