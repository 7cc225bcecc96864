#include "stepservices.h"

#include "appglobals.h"
#include "measures.h"
#include "songmodel.h"

void RenumberAllSameMeasureRefs() {
  for (int n = 1; n <= g_song.trackCount && n <= kMaxTracks; ++n) {
    HGLOBAL h = SongEntry(TrackEventsEntry(n));
    if (!h) continue;
    auto* events = static_cast<StepEvent*>(GlobalLock(h));
    if (!events) continue;
    RenumberSameMeasureRefs(events, static_cast<int>(GlobalSize(h) / sizeof(StepEvent)));
    GlobalUnlock(h);
  }
}

void SetSongModified() {
  SongDocument* doc = LockSongDocument(g_app.frame);
  if (!doc) return;
  if (doc->trackWindows) {
    static_cast<TrackWindowTable*>(GlobalLock(doc->trackWindows))->state[0] |= 1;
    GlobalUnlock(doc->trackWindows);
  }
  UnlockSongDocument(g_app.frame);
}
