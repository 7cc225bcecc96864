#include "noteoverlap.h"

#include <algorithm>
#include <cstdint>

namespace {

int Distance(const StepEvent* events, int count, int index, uint32_t limit) {
  const StepEvent& note = events[index];
  uint64_t distance = note.step;
  for (int j = index + 1; j < count; ++j) {
    if (distance > limit) return 0;
    const StepEvent& e = events[j];
    if (e.code >= kEndCode) return 0;
    if (e.code == note.code && e.gate != 0 && e.vel != 0)
      return static_cast<int>(std::min<uint64_t>(distance, INT32_MAX));
    if (e.code < 0xF0) distance += e.step;
  }
  return 0;
}

}  // namespace

int FindNoteOverlap(const StepEvent* events, int count, int index) {
  if (!events || index < 0 || index >= count) return 0;
  const StepEvent& note = events[index];
  if (note.code >= 0x80 || note.gate == 1) return 0;
  const int32_t gate = static_cast<int16_t>(note.gate);
  return Distance(events, count, index, static_cast<uint32_t>(gate - 1));
}

int FindNoteOverlapWithin(const StepEvent* events, int count, int index, int gate) {
  if (!events || index < 0 || index >= count || gate < 1) return 0;
  if (events[index].code >= kEndCode) return 0;
  return Distance(events, count, index, static_cast<uint32_t>(gate - 1));
}
