#include "pointedit.h"

#include <cstdio>

#include "appglobals.h"
#include "dlgedit.h"
#include "playcontrol.h"
#include "playroutines.h"
#include "playstate.h"
#include "programstate.h"
#include "stepshared.h"
#include "resource.h"
#include "songmodel.h"
#include "stepservices.h"
#include "stepwnd.h"
#include "windownav.h"
#include "zk/playdata.h"

namespace {

unsigned g_lastTrack = 1;

int AskTrack(HWND frame) {
  g_stepShared.currentDialogId = IDD_POINTEDIT;
  const INT_PTR ok =
      DialogBoxParamA(AppInstance(), MAKEINTRESOURCEA(IDD_POINTEDIT), frame, PointEditDlgProc, 0);
  return ok == 1 ? static_cast<int>(g_lastTrack) : 0;
}

BOOL OnInit(HWND dialog) {
  SubclassDlgEdit(dialog, IDC_FIELD_TRACK);
  char text[16];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(g_lastTrack));
  SetDlgItemTextA(dialog, IDC_FIELD_TRACK, text);
  HWND field = GetDlgItem(dialog, IDC_FIELD_TRACK);
  SetFocus(field);
  SendMessageA(field, EM_SETSEL, 0, -1);
  return FALSE;
}

void OnOk(HWND dialog) {
  g_lastTrack = GetDlgItemInt(dialog, IDC_FIELD_TRACK, nullptr, FALSE);
  EndDialog(dialog, 1);
}

}  // namespace

INT_PTR CALLBACK PointEditDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
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

unsigned PointEditLastTrack() { return g_lastTrack; }

void PointEdit(HWND frame) {
  // A stop outside a play would run the end-of-play commands for nothing.
  if (IsPlaying()) HaltPlay(true);
  const int tracks = g_song.trackCount;
  HGLOBAL records = tracks > 0 ? GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT,
                                             static_cast<SIZE_T>(tracks) * sizeof(PlayMonRecord))
                               : nullptr;
  CopyPlayDatRecords(records);
  int track = TrackOfStepEditor(g_prog.currentStep);
  if (track == 0) track = AskTrack(frame);
  int measure = 0, event = 0;
  const bool open = track >= 1 && track <= tracks && records;
  if (open) {
    if (const auto* r = static_cast<const PlayMonRecord*>(GlobalLock(records))) {
      measure = r[track - 1].measure + 1;
      event = r[track - 1].stepInMeasure;
      GlobalUnlock(records);
    }
  }
  if (records) GlobalFree(records);
  ResetPlayPositionWords();
  ResetPlayCursors();
  if (open) OpenTrackEditor(nullptr, track, measure, event);
}
