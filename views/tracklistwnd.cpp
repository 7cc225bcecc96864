// The track list window in its two classes: "TrkSet" (track setting and
// record set-up) and "TrkView" (track view). One of them is open at a time.
#include "viewwindow.h"
#include "viewwindows.h"

LRESULT CALLBACK MPTrkSetWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return SimpleViewProc(window, message, wParam, lParam, &g_viewWindows.trackWindow, true);
}

LRESULT CALLBACK MPTrkViewWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return SimpleViewProc(window, message, wParam, lParam, &g_viewWindows.trackWindow, true);
}
