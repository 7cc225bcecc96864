// The status line at the foot of the frame.
#pragma once
#include <windows.h>

// The one way to change the status line: what -1 repaints the mode text,
// -2 ends an operation; draw nonzero repaints at once.
void ShowStatus(HWND window, int what, int draw);
