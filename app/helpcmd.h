// Help items 1-3: the help file of [Applets] Help<n> in the viewer.
#pragma once
#include <windows.h>

void HelpCommand(HWND frame, int n);
