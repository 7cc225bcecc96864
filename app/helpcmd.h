// Help items 1-3: the help file of [Applets] Help<n> in the viewer.
#pragma once
#include <windows.h>

void HelpCommand(HWND frame, int n);

// The help file of item n (1-3) when the settings name none; null for others.
const char* DefaultHelpFile(int n);
