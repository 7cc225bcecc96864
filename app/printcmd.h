// File: print: hands a copy of the song to the score printing program.
#pragma once
#include <windows.h>

void PrintCommand(HWND frame);
