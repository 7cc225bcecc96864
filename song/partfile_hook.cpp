// The hook of the program's plain file dialogs.
#include "partfile.h"

UINT_PTR CALLBACK FileHookDefaultProc(HWND hwnd, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return 0;
  // An explorer-style hook gets a child of the dialog box; the old style the
  // box itself.
  HWND box = (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) && GetParent(hwnd) ? GetParent(hwnd)
                                                                              : hwnd;
  RECT r;
  GetWindowRect(box, &r);
  int x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
  SetWindowPos(box, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return 1;
}
