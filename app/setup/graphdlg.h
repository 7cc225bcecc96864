#pragma once
#include <windows.h>

// The graph colour set-up (dialog 147): which controller graphs the step
// editor shows, the controller numbers of the four free rows and the colour
// of every graph line. On OK the colours are taken into the pens at once
// and the settings are written.
void OpenGraphSetupDialog(HINSTANCE instance, HWND owner);
