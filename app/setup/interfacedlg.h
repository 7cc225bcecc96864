// Other: MIDI interface: ports, part ports and the play engine (dialog 1300
// with its Super MPU, point-play and multimedia sub-dialogs).
#pragma once
#include <windows.h>

// Closes the engine's ports, runs dialog 1300, then - whatever the user
// chose - saves the settings, rebinds the engine and sets the ports up again.
void OpenInterfaceDialog(HINSTANCE instance, HWND owner);
