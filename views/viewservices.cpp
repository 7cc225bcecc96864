#include "viewservices.h"

#include <cstdio>

#include "shellutil.h"
#include "songmodel.h"
#include "tracktotal.h"
#include "viewglobals.h"
#include "viewwindows.h"
#include "zk/messages.h"

namespace {
constexpr int kTempoField = 2;
}

ViewGlobals g_views;

int32_t TrackStepTotal(HWND editor, int track, int32_t* eventCount) {
  if (eventCount) *eventCount = 0;
  if (track < 1 || track > kMaxTracks) return 0;
  HGLOBAL h = SongEntry(TrackEventsEntry(track));
  if (!h) return 0;
  auto* events = static_cast<const StepEvent*>(GlobalLock(h));
  if (!events) return 0;
  int limit = static_cast<int>(GlobalSize(h) / sizeof(StepEvent));
  if (limit > kMaxTrackEvents) limit = kMaxTrackEvents;
  int32_t total = CountTrackSteps(events, limit, eventCount);
  GlobalUnlock(h);
  return total;
}

void RefreshSongViews() {
  if (g_views.conductor) InvalidateRect(g_views.conductor, nullptr, TRUE);
  if (g_views.userExclusive) InvalidateRect(g_views.userExclusive, nullptr, TRUE);
}

void RepaintMarkerButtons() {
  if (g_views.playPalette) InvalidateRect(g_views.playPalette, nullptr, FALSE);
}

void InvalidateDisplayPanels() {
  // The piano palette draws only the keys that changed since its last record.
  ClearShownKeys();
  for (HWND panel : {g_views.playPalette, g_views.notePalette, g_views.pianoPalette, g_viewWindows.location})
    if (panel) InvalidateRect(panel, nullptr, TRUE);
}

void SetConductorTempoText(int tempoTimes10) {
  HWND field = ConductorField(kTempoField);
  if (!field) return;
  char text[16];
  std::snprintf(text, sizeof text, "%3d", (tempoTimes10 + 5) / 10);
  SetWindowTextA(field, text);
}

void ShowConductorTempo() {
  HGLOBAL h = SongEntry(kHeaderEntry);
  if (!h) return;
  auto* header = static_cast<const SongHeader*>(GlobalLock(h));
  if (!header) return;
  const int tempo = header->tempo;
  GlobalUnlock(h);
  SetConductorTempoText(tempo * 10);
}

void SyncTrackViews(HWND editor) {
  // The list draws its rows from the track headers whenever it paints.
  if (editor && g_viewWindows.trackWindow) InvalidateRect(g_viewWindows.trackWindow, nullptr, TRUE);
}

void RefreshScoreView() {
  HWND score = g_views.scoreView;
  if (!score) return;
  UpdateWindow(score);
  SendMessageA(score, WM_ZK_SCOREFOLLOW, 0, 0);
}
