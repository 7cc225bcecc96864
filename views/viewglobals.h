// Windows of the views that the rest of the program reaches; 0 when closed.
#pragma once
#include <windows.h>

struct ViewGlobals {
  HWND conductor = nullptr;
  HWND userExclusive = nullptr;
  HWND playPalette = nullptr;
  HWND notePalette = nullptr;
  HWND pianoPalette = nullptr;
  HWND scoreView = nullptr;
};
extern ViewGlobals g_views;
