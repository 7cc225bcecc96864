#include "locguidedlg.h"

#include <commctrl.h>

#include "appglobals.h"
#include "dlgedit.h"
#include "graphsetup.h"
#include "resource.h"
#include "settings.h"
#include "setupdlg.h"
#include "songmodel.h"
#include "statusline.h"
#include "viewglobals.h"
#include "zk/messages.h"
#include "zk/song.h"

namespace {



int RatioShown(HWND dialog) {
  return static_cast<int>(SendDlgItemMessageA(dialog, IDC_LOCGUIDE_RATIO, TBM_GETPOS, 0, 0));
}

// The examples follow the track bar and the sign box as they stand.
void ShowExamples(HWND dialog) {
  const LocGuideExamples examples =
      LocGuideExampleTexts(OpenSongTimeBase(), RatioShown(dialog), BoxChecked(dialog, IDC_LOCGUIDE_SIGN));
  SetDlgItemTextA(dialog, IDC_LOCGUIDE_EXAMPLE1, examples.first.c_str());
  SetDlgItemTextA(dialog, IDC_LOCGUIDE_EXAMPLE2, examples.second.c_str());
}

BOOL OnInit(HWND dialog) {
  InitSetupDialog(dialog);
  const AppSettings& s = g_settings;
  const LocGuidePlace place = LocGuidePlaceOf(s.locPal);
  CheckRadioButton(dialog, IDC_LOCGUIDE_STATUS, IDC_LOCGUIDE_PALETTE,
                   place.statusLine ? IDC_LOCGUIDE_STATUS : IDC_LOCGUIDE_PALETTE);
  SetBoxCheck(dialog, IDC_LOCGUIDE_GTLOC, place.gtLocation);
  for (const LocSwBox& box : kLocSwBoxes) SetBoxCheck(dialog, box.id, (s.locSw & box.bit) != 0);
  SetBoxCheck(dialog, IDC_LOCGUIDE_PLAYTIME, s.playTimer != 0);
  CheckRadioButton(dialog, IDC_LOCGUIDE_BEAT_FROM0, IDC_LOCGUIDE_BEAT_FROM1,
                   s.locBeat1 ? IDC_LOCGUIDE_BEAT_FROM1 : IDC_LOCGUIDE_BEAT_FROM0);
  CheckRadioButton(dialog, IDC_LOCGUIDE_LOCREST, IDC_LOCGUIDE_TOBEAT,
                   s.locLoc ? IDC_LOCGUIDE_LOCREST : IDC_LOCGUIDE_TOBEAT);
  SetBoxCheck(dialog, IDC_LOCGUIDE_SIGN, s.locSign != 0);
  SendDlgItemMessageA(dialog, IDC_LOCGUIDE_RATIO, TBM_SETRANGE, TRUE, MAKELPARAM(0, kLocRatioMax));
  SendDlgItemMessageA(dialog, IDC_LOCGUIDE_RATIO, TBM_SETPAGESIZE, 0, kLocRatioPage);
  SendDlgItemMessageA(dialog, IDC_LOCGUIDE_RATIO, TBM_SETPOS, TRUE, s.locRatio);
  // Shown for a ratio of 0 as well, so the examples never start blank.
  ShowExamples(dialog);
  return TRUE;
}

void OnOk(HWND dialog) {
  AppSettings& s = g_settings;
  s.locPal = LocPalOf({BoxChecked(dialog, IDC_LOCGUIDE_STATUS), BoxChecked(dialog, IDC_LOCGUIDE_GTLOC)});
  s.locSw &= ~kLocSwDialogBits;
  for (const LocSwBox& box : kLocSwBoxes)
    if (BoxChecked(dialog, box.id)) s.locSw |= box.bit;
  s.playTimer = BoxChecked(dialog, IDC_LOCGUIDE_PLAYTIME) ? 1 : 0;
  s.locBeat1 = BoxChecked(dialog, IDC_LOCGUIDE_BEAT_FROM1) ? 1 : 0;
  s.locLoc = BoxChecked(dialog, IDC_LOCGUIDE_LOCREST) ? 1 : 0;
  s.locSign = BoxChecked(dialog, IDC_LOCGUIDE_SIGN) ? 1 : 0;
  s.locRatio = RatioShown(dialog);
  EndDialog(dialog, 1);
}

BOOL OnCommand(HWND dialog, WPARAM wParam) {
  if (LOWORD(wParam) == IDC_LOCGUIDE_SIGN) {
    if (HIWORD(wParam) == BN_CLICKED) ShowExamples(dialog);
    return TRUE;
  }
  return StepDialogOkCancel(dialog, wParam, OnOk);
}

INT_PTR CALLBACK LocGuideDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInit(dialog);
    case WM_HSCROLL:
      ShowExamples(dialog);
      return TRUE;
    case WM_COMMAND:
      return OnCommand(dialog, wParam);
  }
  return FALSE;
}

}  // namespace

void OpenDisplaySetupDialog(HINSTANCE, HWND owner) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  if (RunSetupDialog(IDD_LOCGUIDE, LocGuideDlgProc, 0, owner) != 1) return;
  SaveSettings();
  if (g_views.playPalette) SendMessageA(g_views.playPalette, WM_ZK_REFRESH, 0, 0);
  if (g_settings.statusBar != 0 && g_app.frame) {
    ShowStatus(g_app.frame, kStatusMode, 1);
    UpdateWindow(g_app.frame);
  }
}
