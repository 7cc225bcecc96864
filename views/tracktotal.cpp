#include "tracktotal.h"

#include "measures.h"
#include "repeatsum.h"
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
  // One sum over the whole track: a repeat may span measures.
  RepeatSum steps;
  int index = 0;
  while (index < limit && events[index].code < kCodeEndOfTrack) {
    for (int at = FollowSameMeasure(events, index, limit); at < limit && events[at].code < kCodeSameMeasure; ++at)
      steps.Add(events[at]);
    int next = NextMeasureStart(events, limit, index);
    if (next <= index) break;
    index = next;
  }
  if (endIndex) *endIndex = index;
  return static_cast<int32_t>(steps.Total());
}
