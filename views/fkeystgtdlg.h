// The f-key step and gate time assignment dialog (840).
#pragma once
#include <windows.h>

#include <cstdint>

// Runs dialog 840: the ten step and gate times of the one-touch keys in the
// open song's time base; OK stores them at 480 ticks to the quarter note.
void OpenFKeyStGtDlg(HINSTANCE instance, HWND owner);

// A stored time as the dialog shows it in a song of timeBase (0 read as 480).
int FKeyTimeShown(int16_t stored, int timeBase);
// What OK stores for an entered time: at 480 ticks, at most 2,550 (a larger
// number would read back negative as a 16-bit time).
constexpr int kFKeyTimeMax = 2550;
int16_t FKeyTimeStored(uint32_t entered, int timeBase);
