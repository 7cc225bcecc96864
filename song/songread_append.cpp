// Append mode: time-base conversion and appending a file track to a song track.
#include <cstdio>
#include <cstdint>

#include "msgbox.h"
#include "resource.h"
#include "songfile.h"
#include "songmodel.h"
#include "songread_internal.h"

namespace {

constexpr uint16_t kOverlapGate = 9999;

// Whether the note at index reaches, within its gate, a later note of the
// same key with a gate and a velocity.
bool GateReachesSameKey(const StepEvent* e, int slots, int index) {
  const StepEvent& note = e[index];
  if (note.code >= 0x80 || note.gate <= 1) return false;
  uint32_t distance = note.step;
  for (int j = index + 1; j < slots && e[j].code < 0xFE; ++j) {
    if (distance >= note.gate) return false;
    if (e[j].code == note.code && e[j].gate != 0 && e[j].vel != 0) return true;
    if (e[j].code < 0xF0) distance += e[j].step;
  }
  return false;
}

uint16_t Clamp16(uint64_t v) { return v > 0xFFFF ? 0xFFFF : static_cast<uint16_t>(v); }

}  // namespace

void RescaleTimeBase(StepEvent* events, int slots, int from, int to) {
  if (!events || from == to || from <= 0 || to <= 0) return;
  uint64_t remainder = 0;
  for (int i = 0; i < slots && events[i].code < 0xFE; ++i) {
    StepEvent& e = events[i];
    // Continuations and the other codes from 0xF0 carry data, not times.
    if (e.code >= 0xF0) continue;
    if (e.code < 0x80) {
      e.gate = GateReachesSameKey(events, slots, i)
                   ? kOverlapGate
                   : Clamp16(static_cast<uint64_t>(e.gate) * to / from);
    }
    uint64_t t = remainder + static_cast<uint64_t>(e.step) * to;
    uint64_t step = t / from;
    if (step > 0xFFFF) {
      e.step = 0xFFFF;
      remainder = 0;
    } else {
      e.step = static_cast<uint16_t>(step);
      remainder = t - step * from;
    }
  }
}

int AppendTrackEvents(int k, HGLOBAL songBlock, HGLOBAL fileBlock) {
  if (!songBlock || !fileBlock) return 1;
  int songSlots = static_cast<int>(GlobalSize(songBlock) / sizeof(StepEvent));
  int fileSlots = static_cast<int>(GlobalSize(fileBlock) / sizeof(StepEvent));
  if (songSlots > kTrackSlots) songSlots = kTrackSlots;
  if (songSlots < 1) return 1;
  auto* song = static_cast<StepEvent*>(GlobalLock(songBlock));
  auto* file = static_cast<const StepEvent*>(GlobalLock(fileBlock));
  // Keep one slot for the end event and never pass the track's limit.
  int limit = songSlots - 1 < kMaxTrackEvents ? songSlots - 1 : kMaxTrackEvents;
  int at = CountEvents(song, songSlots);
  if (at > limit) at = limit;
  int result = 1;
  int j = 0;
  for (;; ++j) {
    if (j >= fileSlots || file[j].code >= 0xFE) {
      song[at] = EndEvent();
      break;
    }
    if (at >= limit) {
      song[at] = EndEvent();
      result = 0;
      break;
    }
    song[at++] = file[j];
  }
  GlobalUnlock(fileBlock);
  GlobalUnlock(songBlock);
  if (!result) {
    char track[16];
    std::snprintf(track, sizeof track, "%d", k + 1);
    ShowMessageById(nullptr, MB_OK | MB_ICONEXCLAMATION, IDS_APPEND_TRACK_FULL, track);
  }
  return result;
}

// Grows a song track to a full block, appends the file track and shrinks
// it back to its events, the end event and one spare slot.
void AppendIntoSongTrack(SongHandleTable* table, int k, HGLOBAL fileEvents) {
  HGLOBAL& song = table->h[TrackEventsEntry(k)];
  HGLOBAL grown = song ? GlobalReAlloc(song, kFullBlockBytes, GMEM_MOVEABLE | GMEM_ZEROINIT)
                       : GlobalAlloc(kShareableZeroed, kFullBlockBytes);
  if (!grown) return;   // the track stays as it was
  if (!song) {
    *static_cast<StepEvent*>(GlobalLock(grown)) = EndEvent();
    GlobalUnlock(grown);
  }
  song = grown;
  AppendTrackEvents(k - 1, song, fileEvents);
  int count = CountEvents(static_cast<const StepEvent*>(GlobalLock(song)), kTrackSlots);
  GlobalUnlock(song);
  if (HGLOBAL shrunk = GlobalReAlloc(song, (count + 2) * sizeof(StepEvent), GMEM_MOVEABLE))
    song = shrunk;
}
