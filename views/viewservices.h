// What the song model and the shell need of the track, song and score views.
#pragma once
#include <windows.h>
#include <cstdint>

#include "zk/song.h"

// Length of a track in steps with its repeats counted, walking up to the
// editor's event count (or 16,371 events without an editor). *eventCount
// receives the index of the end event.
int32_t TrackStepTotal(HWND editor, int track, int32_t* eventCount);

// Repaints the views that show the song header (conductor, user exclusives)
// after a new song or a read.
void RefreshSongViews();
// Repaints the play palette's four memory buttons.
void RepaintMarkerButtons();
