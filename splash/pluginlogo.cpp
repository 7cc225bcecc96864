// The plug-in splash: shows which controller plug-in is loading, three lines
// at a time.
#include <windows.h>

#include <string>
#include <vector>

#include "splash.h"
#include "splashres.h"

namespace {

HWND g_dialog = nullptr;
std::vector<std::string> g_lines;

void ShowLines(HWND dialog) {
  for (size_t i = 0; i < kPluginLines; ++i)
    SetDlgItemTextA(dialog, IDC_PLUGIN_LINE1 + static_cast<int>(i), i < g_lines.size() ? g_lines[i].c_str() : "");
}

INT_PTR CALLBACK PluginDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      g_lines.clear();
      ShowLines(dialog);
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) DestroyWindow(dialog);
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(dialog);
      return TRUE;
    case WM_DESTROY:
      if (g_dialog == dialog) g_dialog = nullptr;
      return TRUE;
  }
  return FALSE;
}

}  // namespace

extern "C" {

HWND WINAPI PluginLogo(HWND parent, HWND) {
  HWND dialog = CreateDialogParamA(g_splashInstance, MAKEINTRESOURCEA(IDD_PLUGIN_LOGO), parent,
                                   PluginDialogProc, 0);
  if (dialog) g_dialog = dialog;
  ShowSplashWindow(dialog, parent);
  return dialog;
}

int WINAPI SetToPluginDialog(const char* t1, const char* t2, const char* t3, const char* t4, int replaceLast) {
  AddPluginLine(g_lines, FormatPluginLine(t1, t2, t3, t4), replaceLast == 1);
  if (!g_dialog) return 0;
  ShowLines(g_dialog);
  RedrawWindow(g_dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  return 1;
}

}  // extern "C"
