// The play palette ("PlayPallet"), an owned popup.
#include "viewglobals.h"
#include "viewwindow.h"
#include "viewwindows.h"

LRESULT CALLBACK PalletWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return SimpleViewProc(window, message, wParam, lParam, &g_views.playPalette, false);
}
