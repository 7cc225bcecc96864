// Options: display settings (dialog 1200) with the choice of banner and play
// monitor, and the window opening settings (dialog 131) reached from it.
#pragma once
#include <windows.h>

// Runs dialog 1200; on OK saves the settings, binds the chosen play monitor
// again and shows the new bars and caption at once. Cancel leaves the
// settings as they were, the display switches included.
void OpenEnvironmentDialog(HINSTANCE instance, HWND owner);
