#include "trackattach.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "appglobals.h"
#include "lineindex.h"
#include "songmodel.h"
#include "zk/messages.h"
#include "songcontext.h"

namespace {

// Editor windows of tracks 1 to count, as the song's table has them.
std::vector<HWND> EditorWindows(HWND frame, int count) {
  std::vector<HWND> windows(static_cast<size_t>(std::clamp(count, 0, kMaxTracks)), nullptr);
  SongDocument* doc = LockSongDocument(frame);
  if (!doc) return windows;
  if (auto* t = doc->trackWindows ? static_cast<TrackWindowTable*>(GlobalLock(doc->trackWindows)) : nullptr) {
    for (size_t i = 0; i < windows.size(); ++i) windows[i] = t->editor[i];
    GlobalUnlock(doc->trackWindows);
  }
  UnlockSongDocument(frame);
  return windows;
}

void SetEditorEntry(HWND frame, int n, HWND window, bool setState) {
  if (n < 1 || n > kMaxTracks) return;
  SongDocument* doc = LockSongDocument(frame);
  if (!doc) return;
  if (auto* t = doc->trackWindows ? static_cast<TrackWindowTable*>(GlobalLock(doc->trackWindows)) : nullptr) {
    t->editor[n - 1] = window;
    if (setState) t->state[n - 1] = 2;
    GlobalUnlock(doc->trackWindows);
  }
  UnlockSongDocument(frame);
}

}  // namespace

std::string FormatTrackCaption(int n, const char comment[36]) {
  char number[16];
  std::snprintf(number, sizeof number, "Tr.%2d   ", n);
  return std::string(number) + std::string(comment, 36);
}

void FreeTrackViewBuffers(StepEditorData* ed) { FreeModelBuffers(*ed); }

int32_t AttachTrackToEditor(StepEditorData* ed, HWND window, int n) {
  if (n < 1 || n > g_song.trackCount || n > kMaxTracks) return -1;
  HGLOBAL header = SongEntry(TrackHeaderEntry(n));
  if (!header) return -1;
  auto* th = static_cast<TrackHeader*>(GlobalLock(header));
  if (!th) return -1;
  const std::string caption = FormatTrackCaption(n, th->comment);
  const bool rhythm = (th->rhythm & 0x80) != 0;
  GlobalUnlock(header);

  int32_t lines;
  {
    OpenSongContext ctx;
    lines = AttachModel(*ed, ctx.get(), n, rhythm);
  }
  if (lines < 0) return -1;
  if (window) SetWindowTextA(window, caption.c_str());
  SetEditorEntry(g_app.frame, n, window, true);
  return ed->lineCount - 1;
}

void ApplyEditorScrollBars(HWND window, const StepEditorData& ed) {
  const int32_t r = EditorScrollLimit(ed);
  const int bar = ed.viewMode == kModeRhythmGrid ? SB_HORZ : SB_VERT;
  if (r <= 0) {
    EnableScrollBar(window, bar, ESB_DISABLE_BOTH);
  } else {
    EnableScrollBar(window, bar, ESB_ENABLE_BOTH);
    SetScrollRange(window, bar, 0, r, FALSE);
    SetScrollPos(window, bar, ed.topLine, FALSE);
  }
  if (ed.viewMode == kModeRhythmGrid) {
    SetScrollRange(window, SB_VERT, 0, 127, FALSE);
    SetScrollPos(window, SB_VERT, ed.rhythmKeyScroll, FALSE);
  }
  InvalidateRect(window, nullptr, TRUE);
}

int32_t EditorScrollLimit(const StepEditorData& ed) {
  if (ed.viewMode == kModeRhythmGrid) return (ed.lineCount - 1) - (ed.caretColumn - kRhythmFirstColumn) / 2;
  return (ed.lineCount - 1) - ed.caretRow + 1;
}

void RefreshTrackEditors(HWND frame) {
  const std::vector<HWND> windows = EditorWindows(frame, g_song.trackCount);
  for (size_t i = 0; i < windows.size(); ++i) {
    if (!windows[i]) continue;
    StepEditorData* ed = GetStepEditorData(windows[i]);
    if (!ed) {
      // A window that is gone must not stay in the table.
      if (!IsWindow(windows[i])) SetEditorEntry(frame, static_cast<int>(i) + 1, nullptr, false);
      continue;
    }
    ed->topLine = 0;
    ed->indexCurrent = 1;
    AttachTrackToEditor(ed, windows[i], static_cast<int>(i) + 1);
    ApplyEditorScrollBars(windows[i], *ed);
  }
  if (!g_app.mdiClient) return;
  for (const char* cls : {"TrkView", "TrkSet"}) {
    if (HWND list = FindWindowExA(g_app.mdiClient, nullptr, cls, nullptr)) {
      SendMessageA(list, WM_ZK_TRACKSCHANGED, 0, 0);
      InvalidateRect(list, nullptr, TRUE);
    }
  }
}

void CloseSongWindows(HWND frame) {
  const int trackCount = g_song.trackCount;
  const std::vector<HWND> windows = EditorWindows(frame, trackCount);
  for (HWND w : windows) {
    if (StepEditorData* ed = GetStepEditorData(w)) FreeTrackViewBuffers(ed);
  }
  FreeSong(frame);
  const int keep = std::min(g_song.orgTrack, g_song.maxTrack);
  for (int n = keep + 1; n <= static_cast<int>(windows.size()); ++n) {
    HWND w = windows[n - 1];
    if (!w) continue;
    if (IsWindow(w)) {
      ShowWindow(w, SW_HIDE);
      if (g_app.mdiClient) {
        SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(w), 0);
      } else {
        DestroyWindow(w);
      }
    }
    SetEditorEntry(frame, n, nullptr, false);
  }
}
