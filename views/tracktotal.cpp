#include "tracktotal.h"

#include "measures.h"
#include "zk/cmdcodes.h"

int FollowSameMeasure(const StepEvent* events, int index, int limit) {
  int at = index;
  for (int links = 0; links < 9 && at >= 0 && at < limit && events[at].code == kCodeSameMeasure;
       ++links) {
    int target = static_cast<int>(events[at].gate) - kMeasureRefBias;
    if (target < 0 || target >= limit) return index;
    at = target;
  }
  return at;
}

int NextMeasureStart(const StepEvent* events, int count, int index) {
  return MeasureEnd(events, count, index);
}

int32_t CountTrackSteps(const StepEvent* events, int limit, int32_t* endIndex) {
  constexpr int kMaxDepth = 5;
  // Arithmetic wraps like the 32-bit counters it stands for.
  uint32_t saved[kMaxDepth];
  int depth = 0;
  uint32_t sum = 0;
  int index = 0;
  while (index < limit && events[index].code < kCodeEndOfTrack) {
    int at = FollowSameMeasure(events, index, limit);
    for (; at < limit && events[at].code < kCodeSameMeasure; ++at) {
      const StepEvent& e = events[at];
      if (e.code < 0xF0) {
        sum += static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(e.step)));
      } else if (e.code == kCodeRepeatStart) {
        if (depth < kMaxDepth) {
          saved[depth++] = sum;
          sum = 0;
        }
      } else if (e.code == kCodeRepeatEnd && depth > 0) {
        int32_t count = static_cast<int16_t>(e.step);
        uint32_t times = count == 0 ? 65537u : static_cast<uint32_t>(count);
        sum = saved[--depth] + sum * times;
      }
    }
    int next = NextMeasureStart(events, limit, index);
    if (next <= index) break;
    index = next;
  }
  while (depth > 0) sum += saved[--depth];
  if (endIndex) *endIndex = index;
  return static_cast<int32_t>(sum);
}
