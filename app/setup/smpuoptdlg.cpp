#include "smpuoptdlg.h"

#include "dlgedit.h"
#include "engine.h"
#include "interfacedlg.h"
#include "resource.h"
#include "settings.h"
#include "setupdlg.h"

const MonitorBox kMonitorBoxes[kMonitorBoxCount] = {
    {IDC_SMPU_MONITOR_FIRST, 0x002 | 0x008, 0x002},  // ノート
    {IDC_SMPU_MONITOR_FIRST + 1, 0x004, 0x004},      // キープレッシャ
    {IDC_SMPU_MONITOR_FIRST + 2, 0x100, 0x100},      // コントロールチェンジ
    {IDC_SMPU_MONITOR_FIRST + 3, 0x010, 0x010},      // プログラムチェンジ
    {IDC_SMPU_MONITOR_FIRST + 4, 0x020, 0x020},      // チャンネルプレッシャ
    {IDC_SMPU_MONITOR_FIRST + 5, 0x040, 0x040},      // ピッチベンド
    {IDC_SMPU_MONITOR_FIRST + 6, 0x080, 0x080},      // モードメッセージ
    {IDC_SMPU_MONITOR_FIRST + 7, 0x001, 0x001},      // エクスクルーシブ
};

bool MonitorBoxChecked(int monitorSw, const MonitorBox& box) { return (monitorSw & box.shownBit) == 0; }

int MonitorSwFromBoxes(int monitorSw, const bool (&checked)[kMonitorBoxCount]) {
  for (int i = 0; i < kMonitorBoxCount; ++i) {
    if (checked[i])
      monitorSw &= ~kMonitorBoxes[i].bits;
    else
      monitorSw |= kMonitorBoxes[i].bits;
  }
  return monitorSw;
}

SmpuSendBoxes SendBoxesOf(int optionSw) {
  return {(optionSw & kOptionAllNotesOff) != 0, (optionSw & kOptionActiveSensing) != 0,
          (optionSw & kOptionNoteOff90) != 0, (optionSw & kOptionRetrigger) != 0};
}

int OptionSwFromBoxes(int optionSw, const SmpuSendBoxes& boxes) {
  optionSw &= ~(kOptionAllNotesOff | kOptionActiveSensing | kOptionNoteOff90 | kOptionRetrigger);
  if (boxes.allNotesOff) optionSw |= kOptionAllNotesOff;
  if (boxes.activeSensing) optionSw |= kOptionActiveSensing;
  if (boxes.noteOff90) optionSw |= kOptionNoteOff90;
  if (boxes.retrigger) optionSw |= kOptionRetrigger;
  return optionSw;
}

namespace {


BOOL OnInit(HWND dialog) {
  InitSetupDialog(dialog);
  const SmpuSendBoxes send = SendBoxesOf(g_settings.optionSw);
  SetBoxCheck(dialog, IDC_SMPU_ALLNOTESOFF, send.allNotesOff);
  SetBoxCheck(dialog, IDC_SMPU_SENSING, send.activeSensing);
  CheckRadioButton(dialog, IDC_SMPU_NOTEOFF_80, IDC_SMPU_NOTEOFF_90,
                   send.noteOff90 ? IDC_SMPU_NOTEOFF_90 : IDC_SMPU_NOTEOFF_80);
  SetBoxCheck(dialog, IDC_SMPU_RETRIGGER, send.retrigger);
  SetBoxCheck(dialog, IDC_SMPU_REALTIME, g_settings.realTime != 0);
  for (const MonitorBox& box : kMonitorBoxes) SetBoxCheck(dialog, box.id, MonitorBoxChecked(g_settings.monitorSw, box));
  return TRUE;
}

void OnOk(HWND dialog) {
  const SmpuSendBoxes send = {BoxChecked(dialog, IDC_SMPU_ALLNOTESOFF), BoxChecked(dialog, IDC_SMPU_SENSING),
                              BoxChecked(dialog, IDC_SMPU_NOTEOFF_90), BoxChecked(dialog, IDC_SMPU_RETRIGGER)};
  g_settings.optionSw = OptionSwFromBoxes(g_settings.optionSw, send);
  g_settings.realTime = BoxChecked(dialog, IDC_SMPU_REALTIME) ? 1 : 0;
  bool checked[kMonitorBoxCount];
  for (int i = 0; i < kMonitorBoxCount; ++i) checked[i] = BoxChecked(dialog, kMonitorBoxes[i].id);
  g_settings.monitorSw = MonitorSwFromBoxes(g_settings.monitorSw, checked);
  if (g_smpu.sendSMPUOptionSW)
    g_smpu.sendSMPUOptionSW(g_settings.optionSw, g_settings.monitorSw, g_settings.monitorSw >> 8);
  EndDialog(dialog, 1);
}

INT_PTR CALLBACK SmpuOptionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInit(dialog);
    case WM_COMMAND:
      return StepDialogOkCancel(dialog, wParam, OnOk);
  }
  return FALSE;
}

}  // namespace

void OpenSmpuOptionsDialog(HWND parent) { RunSetupDialog(IDD_SMPU_OPTIONS, SmpuOptionsDlgProc, 0, parent); }
