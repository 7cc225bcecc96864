// Other: other settings (1100) with automatic saving (148) and the rhythm
// key assignment.
#pragma once
#include <windows.h>

// Runs dialog 1100 and, on OK, saves the settings and sets the play
// monitor's mode from them again.
void OpenOtherSettingsDialog(HINSTANCE instance, HWND owner);
