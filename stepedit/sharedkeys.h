// The keys every MDI child shares while a song plays (and the logs always
// without an engine): Clear, Esc, Home, Space and the track digits.
#pragma once
#include <windows.h>

// The track a digit key chooses (digit 0 meaning 10). With Shift, when the
// last chosen track ends in the same digit, the next ten up; a choice beyond
// the song falls back to the plain digit; 0 when that is beyond it too.
int ChooseDigitTrack(int digit, bool shift, int lastChosen, int trackCount);

void HandleSharedKeys(WPARAM virtualKey);
