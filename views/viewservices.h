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

// Forgets what the palettes last drew (so the next update draws in full) and
// repaints the play, note and piano palettes and the location display.
void InvalidateDisplayPanels();
// Shows a tempo given in tenths, rounded to whole beats, in the conductor's
// tempo field ("%3d"); nothing without a conductor.
void SetConductorTempoText(int tempoTimes10);
// Shows the song header's tempo in the conductor's tempo field.
void ShowConductorTempo();
// Brings the track set-up or track view window up to date after a step
// editor changed its track; nothing when neither is open.
void SyncTrackViews(HWND editor);
// Updates the score view and has it redraw from its current editor
// (WM_ZK_SCOREFOLLOW with 0); nothing when it is closed.
void RefreshScoreView();

// "ﾌﾟﾛﾊﾟﾃｨ(&R)" of the location display's popup: the location guide set-up.
constexpr UINT kCmdLocationProperties = 40022;

// What the views reach of the shell; each stays null until the shell sets it
// at start-up, and a null entry does nothing.
struct ViewHooks {
  // The location guide set-up (dialog 127), saving the settings on OK.
  void (*openDisplaySetupDialog)(HWND owner) = nullptr;
  // The popup of the location display (IDLOCATION).
  HMENU (*locationMenu)() = nullptr;
  HWND (*frame)() = nullptr;
};
extern ViewHooks g_viewHooks;
