// The step editor's side of a track mix or record merge: an open editor of
// the track is pointed at the track's new event block.
#pragma once
#include <windows.h>

// Points the editor at its track's block in the song, grown to full size
// when it is the current step editor (so a line can be inserted at once),
// rebuilds its index from the top, and updates its scroll bars and repaints.
void RefreshMixedEditor(HWND editor, int track);

// Hands RefreshMixedEditor to the song model; called once at start-up.
void InstallMixRefresh();
