// What the song model and the shell need of the step editor.
#pragma once
#include <windows.h>

// Renumbers the same-measure references of every track of the open song.
void RenumberAllSameMeasureRefs();
// Marks the open song modified (bit 0 of the first track's state word).
void SetSongModified();
