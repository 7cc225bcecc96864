#include "tuning.h"

#include "appglobals.h"
#include "engine.h"
#include "midisend.h"
#include "resource.h"
#include "setupdlg.h"

namespace {

constexpr int kTuningKey = 69;        // A4
constexpr int kTuningVelocity = 64;
constexpr int kChannelSlots = 64;     // 16 channels on each of ports A-D
constexpr DWORD kToneMs = 501;

void SendToAllSlots(int velocity) {
  for (int slot = 0; slot < kChannelSlots; ++slot) SendMidiNow(0x90, slot, kTuningKey, velocity);
}

// The tick count moves in whole steps: one step more makes sure the full
// time has passed however late in its step the wait began.
void WaitTone() {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start <= kToneMs) Sleep(1);
}

BOOL OnCommand(HWND dialog, WPARAM wParam) {
  switch (LOWORD(wParam)) {
    case IDC_TUNING_AGAIN:
      SendTuningTone();
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, 0);
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK TuningDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      InitSetupDialog(dialog);
      // The first tone sounds as soon as the dialog shows.
      PostMessageA(dialog, WM_COMMAND, IDC_TUNING_AGAIN, 0);
      return TRUE;
    case WM_CHAR:
      if (wParam == ' ') SendTuningTone();
      return TRUE;
    case WM_COMMAND:
      return OnCommand(dialog, wParam);
  }
  return FALSE;
}

}  // namespace

void SendTuningTone() {
  // With the ports held elsewhere nothing would sound: no wait either.
  if (g_app.portsUnavailable) return;
  SendToAllSlots(kTuningVelocity);
  WaitTone();
  SendToAllSlots(0);
}

void OpenTuningDialog(HINSTANCE, HWND owner) { RunSetupDialog(IDD_TUNING, TuningDlgProc, 0, owner); }

void MidiResetWait(HWND) {
  HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  if (g_engine.midiReset) g_engine.midiReset();
  SetCursor(previous);
}
