// The location window ("LocWnd").
#include "viewwindow.h"
#include "viewwindows.h"

LRESULT CALLBACK LocationWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return SimpleViewProc(window, message, wParam, lParam, &g_viewWindows.location, false);
}
