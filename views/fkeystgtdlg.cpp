#include "fkeystgtdlg.h"

#include <cstdio>

#include "dlgedit.h"
#include "stepshared.h"
#include "settings.h"
#include "songmodel.h"
#include "zk/song.h"

namespace {

constexpr int kDialogId = 840;
constexpr int kFirstStepField = 853;  // 853-862
constexpr int kFirstGateField = 863;  // 863-872
constexpr int kKeys = 10;


void ShowTime(HWND dialog, int id, int16_t stored, int timeBase) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", FKeyTimeShown(stored, timeBase));
  SetDlgItemTextA(dialog, id, text);
}

int16_t EnteredTime(HWND dialog, int id, int timeBase) {
  BOOL ok = FALSE;
  const UINT entered = GetDlgItemInt(dialog, id, &ok, FALSE);
  return FKeyTimeStored(ok ? entered : 0, timeBase);
}

BOOL OnInit(HWND dialog) {
  const int timeBase = OpenSongTimeBase();
  for (int k = 0; k < kKeys; ++k) {
    SubclassDlgEdit(dialog, kFirstStepField + k);
    SubclassDlgEdit(dialog, kFirstGateField + k);
    ShowTime(dialog, kFirstStepField + k, g_settings.fkeyStep[k], timeBase);
    ShowTime(dialog, kFirstGateField + k, g_settings.fkeyGate[k], timeBase);
  }
  return TRUE;
}

void OnOk(HWND dialog) {
  const int timeBase = OpenSongTimeBase();
  for (int k = 0; k < kKeys; ++k) {
    g_settings.fkeyStep[k] = EnteredTime(dialog, kFirstStepField + k, timeBase);
    g_settings.fkeyGate[k] = EnteredTime(dialog, kFirstGateField + k, timeBase);
  }
  EndDialog(dialog, 1);
}

INT_PTR CALLBACK FKeyStGtDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInit(dialog);
    case WM_NOTIFY:
      return ForwardSpinDelta(dialog, lParam);
    case WM_COMMAND:
      return StepDialogOkCancel(dialog, wParam, OnOk);
  }
  return FALSE;
}

}  // namespace

int FKeyTimeShown(int16_t stored, int timeBase) {
  if (timeBase == 0) timeBase = 480;
  return stored * timeBase / 480;
}

int16_t FKeyTimeStored(uint32_t entered, int timeBase) {
  if (timeBase <= 0) timeBase = 480;
  const uint64_t ticks = static_cast<uint64_t>(entered) * 480 / static_cast<uint64_t>(timeBase);
  return static_cast<int16_t>(ticks >= kFKeyTimeMax ? kFKeyTimeMax : ticks);
}

void OpenFKeyStGtDlg(HINSTANCE instance, HWND owner) {
  // The fields' navigation and limits go by the dialog being open.
  const uint32_t previous = g_stepShared.currentDialogId;
  g_stepShared.currentDialogId = kDialogId;
  DialogBoxParamA(instance, MAKEINTRESOURCEA(kDialogId), owner, FKeyStGtDlgProc, 0);
  g_stepShared.currentDialogId = previous;
}
