// Starting, pausing and stopping the engine from the frame's commands.
#pragma once
#include <windows.h>

#include "settings.h"

// Plays the whole song from startMs. Does nothing while playing, busy, with
// the ports held elsewhere or without an engine.
void StartPlay(HWND requester, int startMs);
// Plays from the event under a step editor's caret, all tracks or the
// editor's track alone. 1 started, 0 not (nothing under the caret to play
// restores the stopped state).
int StartPointPlay(HWND stepEditor, bool solo);
// Plays the measure under a step editor's caret, its track alone, with the
// header tempo only. 1 started, 0 not.
int StartMeasurePlay(HWND stepEditor);
// Plays partEvents in place of the editor's track, alone, from its start
// (its same-measure references become measure ends). 1 started, 0 not:
// refused while a play runs, like the other starters.
int PreviewPlay(HWND stepEditor, HGLOBAL partEvents);
// Stops a running play and restores the stopped state.
void StopPlay(HWND owner);
// What every stop does: the end-of-play actions and the engine's stop (in
// that order, or the engine first), the measure play's and metronome's
// blocks freed, the play monitor window closed.
void HaltPlay(bool engineFirst);
// Pauses, or resumes a paused play (the engine's toggle).
void PausePlay(HWND window);

// SetPlayMode's sync argument for a play at the song's own sync mode.
int PlaySyncArgument();
// The play palette's position timer, as a start sets it.
void StartPositionTimer();
// The seek and hold words the frame shares with the play palette, cleared.
void ResetPlayPositionWords();
// Handles the engine's window and instance arguments take.
int HandleArg(const void* handle);

// Frees the last measure play's block (once the engine no longer plays it).
void FreeMeasurePlayBlock();

// Start or end commands of play: the MCI strings, then the command lines,
// only with the multimedia switch on and as the play filter lets them.
void RunPlayCommands(const char (*mci)[kPathTextSize], const char (*run)[kPathTextSize]);

// The copy of the song's handle table a start hands the engine (the engine
// frees it when it stops). Null when the song has no table.
HGLOBAL MakePlayHandleTable();
