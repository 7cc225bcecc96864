#include "playroutines.h"

#include <algorithm>
#include <cstring>

#include "appglobals.h"
#include "engine.h"
#include "errlog.h"
#include "frame.h"
#include "playstate.h"
#include "programstate.h"
#include "settings.h"
#include "songmodel.h"
#include "stepeditdata.h"
#include "stepwnd.h"
#include "toolpalette.h"
#include "viewglobals.h"
#include "viewservices.h"

namespace {

constexpr int kPlayButton = 7;
constexpr int kRecordButton = 8;
constexpr int kPlayTimeButtons[] = {0, 1, 2, 3, 4, 5, 11, 12};
constexpr int kFieldEditCount = 5;
constexpr char kSongClipboardMark[] = "ZKP";

int HandleArg(const void* handle) { return static_cast<int>(reinterpret_cast<intptr_t>(handle)); }

template <typename F>
void ForEachTrackWindow(F f) {
  for (int n = 1; n <= g_song.trackCount && n <= kMaxTracks; ++n)
    if (HWND window = StepEditorOfTrack(n)) f(window, n);
}

}  // namespace

void DisableTrackDrops() {
  ForEachTrackWindow([](HWND window, int) { DragAcceptFiles(window, FALSE); });
}

void EnableTrackDrops() {
  const BOOL accept = g_settings.dragDropEdit != 0;
  ForEachTrackWindow([accept](HWND window, int) { DragAcceptFiles(window, accept); });
}

void ShowStepFieldEdits(int showCommand) {
  ForEachTrackWindow([showCommand](HWND window, int) {
    const StepEditorData* ed = GetStepEditorData(window);
    if (!ed || ed->viewMode != kModeRhythmGrid || !ed->fieldEdits) return;
    const auto* fields = static_cast<const HWND*>(GlobalLock(ed->fieldEdits));
    if (!fields) return;
    const size_t count = std::min<size_t>(kFieldEditCount, GlobalSize(ed->fieldEdits) / sizeof(HWND));
    for (size_t i = 0; i < count; ++i)
      if (fields[i]) ShowWindow(fields[i], showCommand);
    GlobalUnlock(ed->fieldEdits);
  });
}

void BeginPlayControls(bool hide, bool recording) {
  if (hide) {
    if (g_views.notePalette) ShowWindow(g_views.notePalette, SW_HIDE);
    ClearErrLog();
  }
  DisableTrackDrops();
  ShowStepFieldEdits(SW_HIDE);
  for (int button : kPlayTimeButtons) SetToolButtonState(button, 1);
  SetToolButtonState(recording ? kRecordButton : kPlayButton, 1);
}

void EndPlayControls() {
  EnableTrackDrops();
  ShowStepFieldEdits(SW_SHOWNOACTIVATE);
  for (int button : kPlayTimeButtons) SetToolButtonState(button, 0);
  SetToolButtonState(kPlayButton, 0);
  SetToolButtonState(kRecordButton, 0);
}

void SetTrackStateBits(HWND trackWindow, uint32_t bits) {
  const int track = GetStepWindowTrack(trackWindow);
  if (track < 1 || track > kMaxTracks) return;
  SongDocument* doc = LockSongDocument(g_app.frame);
  if (!doc) return;
  uint32_t state = 0;
  if (auto* t = doc->trackWindows ? static_cast<TrackWindowTable*>(GlobalLock(doc->trackWindows)) : nullptr) {
    state = t->state[track - 1] |= bits;
    GlobalUnlock(doc->trackWindows);
  }
  UnlockSongDocument(g_app.frame);
  if (state & 2) SyncTrackViews(trackWindow);
}

void HoldPlay(HWND window) {
  if (g_play.busyFlag) return;
  if (g_engine.seqHold) g_engine.seqHold(HandleArg(window));
  InvalidateDisplayPanels();
}

void CopyPlayDatRecords(HGLOBAL block) {
  if (!block || !g_prog.playTrackData) return;
  auto* out = static_cast<PlayMonRecord*>(GlobalLock(block));
  if (!out) return;
  const size_t fits = GlobalSize(block) / sizeof(PlayMonRecord);
  const size_t tracks = static_cast<size_t>(std::clamp(g_song.trackCount, 0, kPlayTrackRecords));
  std::memcpy(out, g_prog.playTrackData, std::min(fits, tracks) * sizeof(PlayMonRecord));
  GlobalUnlock(block);
}

int IsSongClipboard() {
  if (!OpenClipboard(nullptr)) return 0;
  int result = 0;
  if (HANDLE data = GetClipboardData(CF_OEMTEXT)) {
    if (const auto* text = static_cast<const char*>(GlobalLock(data))) {
      const size_t size = GlobalSize(data);
      result = size >= 3 && std::memcmp(text, kSongClipboardMark, 3) == 0;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return result;
}

void LayoutMdiClient() {
  if (!g_app.frame) return;
  RECT r;
  GetClientRect(g_app.frame, &r);
  LayOutFrame(g_app.frame, r.right, r.bottom);
}
