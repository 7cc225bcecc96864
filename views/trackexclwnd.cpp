// The track exclusive editor ("TrkExclsive"), an MDI child.
#include "viewwindow.h"
#include "viewwindows.h"

LRESULT CALLBACK MPUserExcltWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return SimpleViewProc(window, message, wParam, lParam, &g_viewWindows.trackExclusive, true);
}

void ResetTrackExclStore() { g_viewWindows.trackExclStore = false; }
