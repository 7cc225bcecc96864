// Point edit (2356): stop and open a track's step editor where its play had
// got to.
#pragma once
#include <windows.h>

// The track is the current step editor's; from any other window dialog 615
// asks for it. Cancel, 0 or a track beyond the song only stops and resets
// the play cursors.
void PointEdit(HWND frame);

INT_PTR CALLBACK PointEditDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The number last confirmed in dialog 615.
unsigned PointEditLastTrack();
