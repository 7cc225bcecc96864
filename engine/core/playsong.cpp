#include "playsong.h"

#include <algorithm>
#include <cstring>

namespace {

// Locks a block and copies at most its size; false when there is none.
bool CopyBlock(HGLOBAL h, void* dest, size_t want, size_t* got) {
  *got = 0;
  if (!h) return false;
  SIZE_T size = GlobalSize(h);
  void* p = GlobalLock(h);
  if (!p) return false;
  *got = std::min<size_t>(size, want);
  std::memcpy(dest, p, *got);
  GlobalUnlock(h);
  return true;
}

void EnsureEnd(std::vector<StepEvent>& ev) {
  for (const auto& e : ev)
    if (e.code >= kEndCode) return;
  ev.push_back(EndEvent());
}

}  // namespace

bool CopyPlaySong(HGLOBAL handleTable, int trackCount, PlaySong& out) {
  out = PlaySong{};
  if (!handleTable) return false;
  SongHandleTable table{};
  size_t got = 0;
  // A table block shorter than the layout leaves the missing entries 0.
  CopyBlock(handleTable, &table, sizeof table, &got);
  if (got < sizeof(HGLOBAL)) return false;
  if (!CopyBlock(table.h[kHeaderEntry], &out.header, sizeof out.header, &got) ||
      got < offsetof(SongHeader, rhythm))
    return false;
  trackCount = std::clamp(trackCount, 0, kMaxTracks);
  out.trackCount = trackCount;
  out.tracks.assign(trackCount, TrackHeader{});
  out.events.assign(trackCount, {});
  for (int t = 1; t <= trackCount; ++t) {
    TrackHeader& th = out.tracks[t - 1];
    size_t n = 0;
    if (!CopyBlock(table.h[TrackHeaderEntry(t)], &th, sizeof th, &n)) {
      th = TrackHeader{};
      th.channel = 0xFF;  // no header: a silent track
    }
    HGLOBAL eh = table.h[TrackEventsEntry(t)];
    auto& ev = out.events[t - 1];
    if (eh) {
      SIZE_T size = GlobalSize(eh);
      const void* p = GlobalLock(eh);
      if (p) {
        size_t count = std::min<size_t>(size / sizeof(StepEvent), kTrackSlots);
        ev.resize(count);
        if (count) std::memcpy(ev.data(), p, count * sizeof(StepEvent));
        GlobalUnlock(eh);
      }
    }
    EnsureEnd(ev);
  }
  return true;
}

void MakePlaySong(const SongHeader& header, const std::vector<TrackHeader>& tracks,
                  const std::vector<std::vector<StepEvent>>& events, PlaySong& out) {
  out = PlaySong{};
  out.header = header;
  out.trackCount = static_cast<int>(std::min<size_t>(tracks.size(), kMaxTracks));
  out.tracks.assign(tracks.begin(), tracks.begin() + out.trackCount);
  out.events.assign(out.trackCount, {});
  for (int i = 0; i < out.trackCount; ++i) {
    if (i < static_cast<int>(events.size())) out.events[i] = events[i];
    EnsureEnd(out.events[i]);
  }
}
