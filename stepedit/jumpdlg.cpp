#include "jumpdlg.h"

#include <algorithm>
#include <cstdio>

#include "appglobals.h"
#include "dlgedit.h"
#include "stepshared.h"
#include "songmodel.h"
#include "stepeditdata.h"
#include "stepwnd.h"
#include "windownav.h"

namespace {

constexpr int kTrackField = 112;
constexpr int kMeasureField = 100;
constexpr int kStepField = 102;

void SetNumber(HWND dialog, int id, uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  SetDlgItemTextA(dialog, id, text);
}

BOOL OnInit(HWND dialog) {
  const JumpTarget& at = g_stepShared.jumpPosition;
  for (int id : {kTrackField, kMeasureField, kStepField}) SubclassDlgEdit(dialog, id);
  SetNumber(dialog, kTrackField, at.track);
  SetNumber(dialog, kMeasureField, at.measure);
  SetNumber(dialog, kStepField, at.step);
  HWND focus = GetDlgItem(dialog, g_stepShared.askRangeFlag ? kTrackField : kMeasureField);
  SetFocus(focus);
  SendMessageA(focus, EM_SETSEL, 0, -1);
  return FALSE;
}

void OnOk(HWND dialog) {
  JumpTarget& at = g_stepShared.jumpPosition;
  at.track = GetDlgItemInt(dialog, kTrackField, nullptr, FALSE);
  at.measure = GetDlgItemInt(dialog, kMeasureField, nullptr, FALSE);
  at.step = GetDlgItemInt(dialog, kStepField, nullptr, FALSE);
  EndDialog(dialog, 1);
}

// The caret line's event and its measure and step.
bool CaretPosition(HWND window, uint32_t* measure, uint32_t* step) {
  const StepEditorData* ed = GetStepEditorData(window);
  if (!ed || !ed->lineTable || !ed->trackBlock) return false;
  int32_t line = ed->viewMode == kModeRhythmGrid ? ed->topLine + (ed->caretColumn - kRhythmFirstColumn) / 2
                                             : ed->topLine + ed->caretRow - 1;
  line = std::clamp(line, 0, std::max(0, (ed->lineCount - 1)));
  bool found = false;
  const auto* lines = static_cast<const LineEntry*>(GlobalLock(ed->lineTable));
  const auto* tb = static_cast<const TrackBlock*>(LocalLock(ed->trackBlock));
  if (lines && tb && tb->positions) {
    if (const auto* positions = static_cast<const StepPosition*>(GlobalLock(tb->positions))) {
      const uint32_t event = lines[line].firstEvent;
      if (event < static_cast<uint32_t>(kTrackSlots)) {
        *measure = positions[event].measure;
        *step = positions[event].step & ~kOverlapBit;
        found = true;
      }
      GlobalUnlock(tb->positions);
    }
  }
  if (tb) LocalUnlock(ed->trackBlock);
  if (lines) GlobalUnlock(ed->lineTable);
  return found;
}

uint32_t ClampTrack(uint32_t track) {
  return static_cast<uint32_t>(std::clamp<int64_t>(track, 1, std::max(1, g_song.trackCount)));
}

}  // namespace

INT_PTR CALLBACK JumpDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
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

int OpenJumpDlg(HWND window, int useCaret) {
  JumpTarget& at = g_stepShared.jumpPosition;
  if (useCaret) {
    at.track = ClampTrack(static_cast<uint32_t>(GetStepWindowTrack(window)));
    CaretPosition(window, &at.measure, &at.step);
    g_stepShared.askRangeFlag = 0;
  } else {
    g_stepShared.askRangeFlag = 1;
  }
  g_stepShared.currentDialogId = kJumpDialogId;
  const INT_PTR result = DialogBoxParamA(AppInstance(), MAKEINTRESOURCEA(kJumpDialogId), g_app.frame, JumpDlgProc, 0);
  g_stepShared.askRangeFlag = 0;
  if (result != 1) return 0;
  at.track = ClampTrack(at.track);
  OpenTrackEditor(window, static_cast<int>(at.track), static_cast<int>(at.measure), static_cast<int>(at.step));
  return 1;
}
