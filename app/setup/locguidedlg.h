#pragma once
#include <windows.h>

// The location guide set-up (dialog 127): where the running position shows
// and what it shows. On OK the settings are written, the play palette lays
// itself out again and the status line is repainted.
void OpenDisplaySetupDialog(HINSTANCE instance, HWND owner);
