#include "progressdlg.h"

#include <commctrl.h>

#include "appglobals.h"

namespace {

constexpr int kBarRange = 1000;

}  // namespace

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_SHOWWINDOW:
      if (wp) {
        if (HWND item = GetDlgItem(dialog, IDCANCEL)) EnableWindow(item, TRUE);
      }
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
        if (HWND item = GetDlgItem(dialog, IDCANCEL)) EnableWindow(item, FALSE);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

HWND CreateProgressDialog(HWND owner, const char* text) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_PROGRESS_CLASS};
  if (!InitCommonControlsEx(&icc)) InitCommonControls();
  HWND dialog = CreateDialogParamA(AppInstance(), MAKEINTRESOURCEA(IDD_PROGRESS), owner,
                                   ProgressDialogProc, 0);
  if (!dialog) return nullptr;
  SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, kBarRange);
  SetProgressText(dialog, text);
  ShowWindow(dialog, SW_SHOW);
  UpdateWindow(dialog);
  return dialog;
}

void DestroyProgressDialog(HWND dialog) {
  if (dialog && IsWindow(dialog)) DestroyWindow(dialog);
}

void SetProgressText(HWND dialog, const char* text) {
  SetDlgItemTextA(dialog, IDC_PROGRESS_TEXT, text ? text : "");
}

void SetProgressPos(HWND dialog, int done, int total) {
  int pos = 0;
  if (total > 0 && done > 0) pos = done >= total ? kBarRange : MulDiv(done, kBarRange, total);
  SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, pos, 0);
}
