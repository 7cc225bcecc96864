// The four position markers and the play palette's wind buttons: jumps
// inside a running play, through a hold of the engine.
#pragma once
#include <windows.h>

// Only a plain play answers them: playing, not recording, internal sync and
// no measure play or preview.
bool MarkerPlayCondition();

// Marker n (1-4): an empty one stores the play time, one cleared by the
// palette (-1) empties, a stored one jumps there.
void PressMarker(HWND frame, int n);

// A wind button (command 2358 or 2359) was released: finishes a jump that
// reached its hold, else asks for a jump to where the buttons wound to.
void WindButtonReleased(HWND frame, UINT id);
