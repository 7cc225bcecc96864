// The user exclusive window ("UserExclsive"), an MDI child.
#include "viewglobals.h"
#include "viewwindow.h"
#include "viewwindows.h"

LRESULT CALLBACK MPUserExclWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return SimpleViewProc(window, message, wParam, lParam, &g_views.userExclusive, true);
}
