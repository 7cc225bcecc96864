// What the frame hands the play monitor besides its data: the handler of its
// window's activation and the track window activator.
#pragma once
#include <windows.h>

// (A, B, window-submenu index, C, D, menu name): A differing from B is a
// deactivation; otherwise A becomes the current child and its menu, built
// with the plug-ins' entries, goes on the frame.
void CALLBACK PlayMonActivated(HWND a, HWND b, int windowMenuIndex, int c, int d, const char* menuName);
int CALLBACK PlayMonActivateTrack(int track);
// Hands both to the binding before the monitor is bound.
void InstallPlayMonCallbacks();
