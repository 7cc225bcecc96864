// The tone-name list ("NameList", an MDI child) and its list area
// ("NameListArea").
#include "viewwindow.h"
#include "viewwindows.h"

LRESULT CALLBACK MPNameListWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return SimpleViewProc(window, message, wParam, lParam, &g_viewWindows.nameList, true);
}

LRESULT CALLBACK MPNameListStaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return SimpleViewProc(window, message, wParam, lParam, nullptr, false);
}
