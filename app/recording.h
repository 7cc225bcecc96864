// Recording from the main program: the song plays from the record set-up's
// measure with a metronome track added while the engine records what comes
// in.
#pragma once
#include <windows.h>

// Starts a recording; nothing when a box or dialog is open, no track is set
// to record (the user is told), the ports are held elsewhere, a play runs or
// the program is busy.
void StartRecording(HWND owner);

// The end of a recording (a stop or the end of play): converts what was
// recorded into the record tracks, asking first unless [OTHER]
// AutoRecConvert is set (only Yes converts), then frees both record buffers
// whatever the answer. Returns 1.
int AskConvertRecording(HWND owner);

// Frees the metronome track's blocks once the engine no longer plays them.
void FreeMetronomeBlocks();
