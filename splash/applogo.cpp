// The application splash: a small window with the program's name shown
// while the program starts.
#include <windows.h>

#include "splash.h"
#include "splashres.h"

namespace {

INT_PTR CALLBACK LogoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return FALSE;   // keeps the focus where it is
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) DestroyWindow(dialog);
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(dialog);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

extern "C" HWND WINAPI DisplayLogo(HWND parent) {
  HWND dialog = CreateDialogParamA(g_splashInstance, "LogoDialog", parent, LogoDialogProc, 0);
  ShowSplashWindow(dialog, parent);
  return dialog;
}
