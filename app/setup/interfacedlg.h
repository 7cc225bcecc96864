// Other: MIDI interface: ports, part ports and the play engine (dialog 1300
// with its Super MPU, point-play and multimedia sub-dialogs).
#pragma once
#include <windows.h>

void OpenInterfaceDialog(HINSTANCE instance, HWND owner);
