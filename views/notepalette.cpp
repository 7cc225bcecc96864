// The note palette ("NotePallet"), an owned popup.
#include "viewglobals.h"
#include "viewwindow.h"
#include "viewwindows.h"

LRESULT CALLBACK NotePalWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return SimpleViewProc(window, message, wParam, lParam, &g_views.notePalette, false);
}
