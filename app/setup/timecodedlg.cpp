#include "timecodedlg.h"

#include <commctrl.h>

#include "appglobals.h"
#include "dlgedit.h"
#include "engine.h"
#include "playstate.h"
#include "stepshared.h"
#include "resource.h"
#include "settings.h"
#include "setupdlg.h"
#include "songmodel.h"
#include "stepservices.h"
#include "timecode.h"

namespace {

constexpr UINT_PTR kTimeTimer = 2500;
constexpr UINT kTimeTimerMs = 150;
constexpr char kPreviousProcProp[] = "zkTimeCodeButtonProc";

constexpr int kTimeFields[] = {IDC_SMPTE_HOUR, IDC_SMPTE_MIN, IDC_SMPTE_SEC, IDC_SMPTE_FRAME, IDC_SMPTE_BIT};
constexpr int kSpinToField = 8;  // each spin's edit has an id 8 lower

// Set while the generator runs; the frame refuses its busy-sensitive
// commands meanwhile.
bool g_generating = false;

SmpteStartTime StartTimeOfSettings() {
  const AppSettings& s = g_settings;
  return SmpteStartTime{s.smpteMode, s.smpteHour, s.smpteMin, s.smpteSec, s.smpteFrame, s.smpteBit};
}

void StoreStartTime(const SmpteStartTime& t) {
  AppSettings& s = g_settings;
  s.smpteMode = t.mode;
  s.smpteHour = t.hour;
  s.smpteMin = t.minute;
  s.smpteSec = t.second;
  s.smpteFrame = t.frame;
  s.smpteBit = t.bit;
}

void SetGenerating(bool on) {
  g_generating = on;
  g_play.busyFlag = on ? 1 : 0;
}

// ---- Mode and start time (1610) ----

bool ModeFourOffered() {
  int environment = 0, x = 0, y = 0;
  if (!g_smpu.getSmpuEnv) return false;
  g_smpu.getSmpuEnv(0, &environment, &x, &y);
  return SmpteModeFourOffered(true, environment & 0xFF);
}

BOOL OnModeInit(HWND dialog) {
  InitSetupDialog(dialog, kTimeFields);
  HGDIOBJ fixedFont = GetStockObject(SYSTEM_FIXED_FONT);
  for (int id = IDC_SMPTE_FIRST_FIXED; id <= IDC_SMPTE_LAST_FIXED; ++id)
    SendDlgItemMessageA(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(fixedFont), FALSE);
  for (int spin = IDC_SMPTE_HOUR_SPIN; spin <= IDC_SMPTE_BIT_SPIN; ++spin)
    SendDlgItemMessageA(dialog, spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(dialog, spin - kSpinToField)), 0);
  const bool modeFour = ModeFourOffered();
  EnableWindow(GetDlgItem(dialog, IDC_SMPTE_MODE_29), modeFour);
  const SmpteStartTime t = StartTimeOfSettings();
  CheckRadioButton(dialog, IDC_SMPTE_MODE_24, IDC_SMPTE_MODE_29, SmpteRadioOfMode(t.mode, modeFour));
  const int values[] = {t.hour, t.minute, t.second, t.frame, t.bit};
  for (int i = 0; i < 5; ++i) SetDlgItemInt(dialog, kTimeFields[i], static_cast<UINT>(values[i]), FALSE);
  return TRUE;
}

int CheckedMode(HWND dialog) {
  for (int id = IDC_SMPTE_MODE_24; id <= IDC_SMPTE_MODE_29; ++id)
    if (SmpteModeOfRadio(id) >= 0 && IsDlgButtonChecked(dialog, id) == BST_CHECKED) return SmpteModeOfRadio(id);
  return 0;
}

int AskInterface(const SmpteStartTime& t) {
  return g_smpu.smpteCheck(t.mode, t.hour, t.minute, t.second, t.frame, t.bit);
}

void OnModeOk(HWND dialog) {
  if (IsPlaying()) {
    EndDialog(dialog, 1);
    return;
  }
  const SmpteStartTime old = StartTimeOfSettings();
  SmpteStartTime t;
  t.mode = CheckedMode(dialog);
  t.hour = ClampedDlgItemInt(dialog, IDC_SMPTE_HOUR, 0, kSmpteFieldMax, old.hour);
  t.minute = ClampedDlgItemInt(dialog, IDC_SMPTE_MIN, 0, kSmpteFieldMax, old.minute);
  t.second = ClampedDlgItemInt(dialog, IDC_SMPTE_SEC, 0, kSmpteFieldMax, old.second);
  t.frame = ClampedDlgItemInt(dialog, IDC_SMPTE_FRAME, 0, kSmpteFieldMax, old.frame);
  t.bit = ClampedDlgItemInt(dialog, IDC_SMPTE_BIT, 0, kSmpteFieldMax, old.bit);
  if (g_smpu.smpteCheck) t = SettleSmpteStartTime(t, AskInterface);
  StoreStartTime(t);
  EndDialog(dialog, 1);
}

INT_PTR CALLBACK SmpteModeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnModeInit(dialog);
    case WM_COMMAND:
      return StepDialogOkCancel(dialog, wParam, OnModeOk);
    case WM_NOTIFY:
      return ForwardSpinDelta(dialog, lParam);
  }
  return FALSE;
}

void CopyStartTimeToSong() {
  HGLOBAL h = SongEntry(0);
  auto* header = h ? static_cast<SongHeader*>(GlobalLock(h)) : nullptr;
  if (!header) return;
  const SmpteStartTime t = StartTimeOfSettings();
  header->smpte = SmpteStart{static_cast<uint8_t>(t.mode), static_cast<uint8_t>(t.hour), static_cast<uint8_t>(t.minute),
                             static_cast<uint8_t>(t.second), static_cast<uint8_t>(t.frame), static_cast<uint8_t>(t.bit)};
  GlobalUnlock(h);
}

// Runs dialog 1610 over the generate dialog, which waits disabled meanwhile.
void OpenModeDialog(HWND generateDialog) {
  const INT_PTR result = RunSetupDialog(IDD_SMPTE_MODE, SmpteModeDlgProc, 0, generateDialog);
  if (result != 1) return;
  CopyStartTimeToSong();
  SetSongModified();
  SaveSettings();
}

// ---- Generate (1650) ----

void ShowTime(HWND dialog, int hour, int minute, int second, int frame, int subFrame) {
  SetDlgItemTextA(dialog, IDC_SMPTE_TIME, SmpteTimeText(hour, minute, second, frame, subFrame).c_str());
}

void ShowStartTime(HWND dialog) {
  const SmpteStartTime t = StartTimeOfSettings();
  ShowTime(dialog, t.hour, t.minute, t.second, t.frame, t.bit);
}

void ShowState(HWND dialog, bool generating) {
  SetDlgItemTextA(dialog, IDC_SMPTE_STARTSTOP, LoadAppString(generating ? IDS_SMPTE_STOP : IDS_SMPTE_START).c_str());
  SetDlgItemTextA(dialog, IDC_SMPTE_CAPTION, LoadAppString(generating ? IDS_SMPTE_RUNNING : IDS_SMPTE_READY).c_str());
}

void StartGenerating(HWND dialog) {
  SetGenerating(true);
  ShowState(dialog, true);
  const SmpteStartTime t = StartTimeOfSettings();
  if (g_smpu.startSMPTEGenerate) g_smpu.startSMPTEGenerate(t.mode, t.hour, t.minute, t.second, t.frame, t.bit);
  SetTimer(dialog, kTimeTimer, kTimeTimerMs, nullptr);
}

void StopGenerating(HWND dialog) {
  SetGenerating(false);
  ShowState(dialog, false);
  if (g_smpu.stopSMPTEGenerate) g_smpu.stopSMPTEGenerate();
  KillTimer(dialog, kTimeTimer);
}

LRESULT CALLBACK GenerateButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
  auto previous = reinterpret_cast<WNDPROC>(GetPropA(button, kPreviousProcProp));
  switch (message) {
    case WM_SYSKEYDOWN:
      if (wParam == VK_F10 && g_settings.f1f10) {
        HWND dialog = GetParent(button);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SMPTE_STARTSTOP, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_SMPTE_STARTSTOP)));
        return 0;
      }
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      RemovePropA(button, kPreviousProcProp);
      break;
  }
  return previous ? CallWindowProcA(previous, button, message, wParam, lParam)
                  : DefWindowProcA(button, message, wParam, lParam);
}

void SubclassButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  if (!button) return;
  SetPropA(button, kPreviousProcProp, reinterpret_cast<HANDLE>(GetWindowLongPtrA(button, GWLP_WNDPROC)));
  SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GenerateButtonProc));
}

BOOL OnGenerateInit(HWND dialog) {
  InitSetupDialog(dialog);
  HGDIOBJ fixedFont = GetStockObject(SYSTEM_FIXED_FONT);
  for (int id = IDC_SMPTE_MODE_BUTTON; id <= IDC_SMPTE_TIME; ++id)
    SendDlgItemMessageA(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(fixedFont), FALSE);
  ShowStartTime(dialog);
  SetGenerating(false);
  ShowState(dialog, false);
  for (int id : {IDCANCEL, IDC_SMPTE_STARTSTOP, IDC_SMPTE_MODE_BUTTON}) SubclassButton(dialog, id);
  return TRUE;
}

void OnGenerateTimer(HWND dialog) {
  if (!g_smpu.getSMPTETime) return;
  int hour = 0, minute = 0, second = 0, frame = 0, subFrame = 0;
  g_smpu.getSMPTETime(g_settings.smpteMode, &hour, &minute, &second, &frame, &subFrame);
  ShowTime(dialog, hour, minute, second, frame, subFrame);
}

BOOL OnGenerateCommand(HWND dialog, WPARAM wParam) {
  const int id = LOWORD(wParam);
  if (id != IDC_SMPTE_STARTSTOP && id != IDC_SMPTE_MODE_BUTTON && id != IDCANCEL) return FALSE;
  // Nothing here may touch the interface under a playing song.
  if (IsPlaying()) return TRUE;
  switch (id) {
    case IDC_SMPTE_STARTSTOP:
      if (g_generating) StopGenerating(dialog);
      else StartGenerating(dialog);
      break;
    case IDC_SMPTE_MODE_BUTTON:
      if (g_generating) StopGenerating(dialog);
      OpenModeDialog(dialog);
      ShowStartTime(dialog);
      break;
    case IDCANCEL:
      StopGenerating(dialog);
      EndDialog(dialog, 0);
      break;
  }
  return TRUE;
}

INT_PTR CALLBACK SmpteGenerateDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return OnGenerateInit(dialog);
    case WM_TIMER:
      if (wParam == kTimeTimer) OnGenerateTimer(dialog);
      return TRUE;
    case WM_COMMAND:
      return OnGenerateCommand(dialog, wParam);
  }
  return FALSE;
}

}  // namespace

int OpenTimeCodeDialog(HINSTANCE, HWND owner) {
  if (const int playing = IsPlaying()) return playing;
  RunSetupDialog(IDD_SMPTE_GENERATE, SmpteGenerateDlgProc, 0, owner);
  // However the dialog ended, the generator does not run on without it.
  if (g_generating) {
    SetGenerating(false);
    if (g_smpu.stopSMPTEGenerate) g_smpu.stopSMPTEGenerate();
  }
  return 0;
}
