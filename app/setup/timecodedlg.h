// Other: SMPTE generate (dialog 1650) and its mode and start-time dialog
// (1610).
#pragma once
#include <windows.h>

// Does nothing and returns nonzero while a song plays; else runs the dialog
// and returns 0.
int OpenTimeCodeDialog(HINSTANCE instance, HWND owner);
