// Checking a song file's stored tracks before anything is loaded from it.
#include <cstring>

#include "songfile.h"

bool FindStoredTracks(const uint8_t* file, size_t size, int count, StoredTrack* tracks) {
  size_t at = sizeof(SongHeader);
  if (size < at) return false;
  for (int i = 0; i < count; ++i) {
    if (size - at < kTrackHeaderFileSize) return false;
    uint32_t stored;
    std::memcpy(&stored, file + at, sizeof stored);
    if (stored < kTrackHeaderFileSize + sizeof(StepEvent)) return false;
    uint32_t eventBytes = stored - static_cast<uint32_t>(kTrackHeaderFileSize);
    if (eventBytes % sizeof(StepEvent) != 0) return false;
    // Events and the end event; the block read needs one slot more.
    uint32_t slots = eventBytes / sizeof(StepEvent);
    if (slots > static_cast<uint32_t>(kMaxTrackEvents) + 1) return false;
    if (size - at - kTrackHeaderFileSize < eventBytes) return false;
    const uint8_t* events = file + at + kTrackHeaderFileSize;
    // The end event closes the track, and nothing before it ends it early.
    for (uint32_t s = 0; s + 1 < slots; ++s) {
      if (events[s * sizeof(StepEvent)] >= 0xFE) return false;
    }
    if (events[(slots - 1) * sizeof(StepEvent)] != kEndCode) return false;
    tracks[i].offset = at;
    tracks[i].eventBytes = eventBytes;
    at += kTrackHeaderFileSize + eventBytes;
  }
  return true;
}
