#include "viewservices.h"

#include "songmodel.h"
#include "tracktotal.h"
#include "viewglobals.h"

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
