// Help: about: the version list of the program and its libraries.
#pragma once
#include <windows.h>

void AboutCommand(HWND frame);
