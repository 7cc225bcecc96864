#include "dispswitchdlg.h"

#include "appglobals.h"
#include "dlgedit.h"
#include "stepshared.h"
#include "resource.h"
#include "settings.h"
#include "songmodel.h"
#include "stepservices.h"
#include "stepwnd.h"
#include "viewglobals.h"
#include "viewservices.h"

const DisplaySwitchBox kDisplaySwitchBoxes[kDisplaySwitchBoxCount] = {
    {250, 0x0001},  // ゲートタイム
    {251, 0x0002},  // ベロシティ
    {241, 0x0004},  // ピッチベンド
    {244, 0x0008},  // ボリューム
    {246, 0x0010},  // モジュレーション
    {245, 0x0020},  // エクスプレッション
    {252, 0x0040},  // ノートヘッド
    {253, 0x0080},  // ノートフック
    {254, 0x0100},  // タイムスケール*2
    {255, 0x0200},  // クォンタイズ(6)
    {256, 0x0400},  // テンポ
    {258, 0x1000},  // ロケーションガイド
    {259, 0x2000},  // 連桁
};

int32_t DisplaySwitchFromBoxes(int32_t displaySw, const bool (&checked)[kDisplaySwitchBoxCount]) {
  for (int i = 0; i < kDisplaySwitchBoxCount; ++i) {
    if (checked[i])
      displaySw |= kDisplaySwitchBoxes[i].bit;
    else
      displaySw &= ~kDisplaySwitchBoxes[i].bit;
  }
  return displaySw;
}

namespace {

constexpr int kControlSwitches = 4;


// The boxes as the settings in memory say.
void ShowSwitches(HWND dialog) {
  for (const DisplaySwitchBox& box : kDisplaySwitchBoxes) SetBoxCheck(dialog, box.id, (g_settings.displaySw & box.bit) != 0);
  for (int k = 0; k < kControlSwitches; ++k) SetBoxCheck(dialog, IDC_DISPSW_CTRL1 + k, g_settings.dispCtrlSw[k] != 0);
}

BOOL OnInit(HWND dialog) {
  SetWindowTextA(dialog, LoadAppString(IDS_DISPSW_CAPTION).c_str());
  if (g_stepHooks.centreOnFrame) g_stepHooks.centreOnFrame(dialog);
  ShowSwitches(dialog);
  return TRUE;
}

void OnOk(HWND dialog) {
  bool checked[kDisplaySwitchBoxCount];
  for (int i = 0; i < kDisplaySwitchBoxCount; ++i) checked[i] = BoxChecked(dialog, kDisplaySwitchBoxes[i].id);
  g_settings.displaySw = DisplaySwitchFromBoxes(g_settings.displaySw, checked);
  for (int k = 0; k < kControlSwitches; ++k) g_settings.dispCtrlSw[k] = BoxChecked(dialog, IDC_DISPSW_CTRL1 + k) ? 1 : 0;
  EndDialog(dialog, 1);
}

// The set-up dialogs it opens may change what the boxes show.
void RunSetUp(HWND dialog, void (*open)(HWND owner)) {
  if (!open) return;
  open(dialog);
  ShowSwitches(dialog);
}

BOOL OnCommand(HWND dialog, WPARAM wParam) {
  if (HIWORD(wParam) != BN_CLICKED) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK:
      OnOk(dialog);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, 0);
      return TRUE;
    case IDC_DISPSW_LOCGUIDE:
      RunSetUp(dialog, g_stepHooks.openDisplaySetupDialog);
      return TRUE;
    case IDC_DISPSW_COLOURS:
      RunSetUp(dialog, g_stepHooks.openGraphSetupDialog);
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK DisplaySwitchDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInit(dialog);
    case WM_COMMAND:
      return OnCommand(dialog, wParam);
  }
  return FALSE;
}

// Every open step editor with its score pane, and the score view.
void RepaintSwitchedViews() {
  for (int n = 1; n <= g_song.trackCount && n <= kMaxTracks; ++n) {
    if (HWND editor = StepEditorOfTrack(n)) RedrawWindow(editor, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  }
  if (g_views.scoreView) InvalidateRect(g_views.scoreView, nullptr, TRUE);
  RefreshScoreView();
}

}  // namespace

void OpenDisplaySwitchDlg(HINSTANCE instance, HWND window) {
  const uint32_t previous = g_stepShared.currentDialogId;
  g_stepShared.currentDialogId = IDD_DISPSWITCH;
  const INT_PTR result =
      DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_DISPSWITCH), window, DisplaySwitchDlgProc, 0);
  g_stepShared.currentDialogId = previous;
  if (result == 1) RepaintSwitchedViews();
}
