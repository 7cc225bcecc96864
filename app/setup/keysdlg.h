// Other: key operation settings (1000), with the way to the f-key ST/GT
// assignment.
#pragma once
#include <windows.h>

// Runs dialog 1000 and, on OK, saves the settings.
void OpenKeySettingsDialog(HINSTANCE instance, HWND owner);
