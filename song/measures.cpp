#include "measures.h"

#include "zk/cmdcodes.h"

bool OpensMeasure(const StepEvent* events, int index) {
  if (index <= 0) return index == 0;
  const uint8_t previous = events[index - 1].code;
  if (previous == kCodeMeasureEnd || previous == kCodeSameMeasure) return true;
  // After a measure end's kin (0xFA and up) a reference stays in the measure.
  return events[index].code == kCodeSameMeasure && previous < 0xFA;
}

int MeasureEnd(const StepEvent* events, int count, int index) {
  if (index < 0 || index >= count || events[index].code >= kCodeEndOfTrack) return index;
  int next = index + 1;
  while (next < count && events[next].code < kCodeEndOfTrack && !OpensMeasure(events, next)) ++next;
  return next;
}

int MeasureOfEvent(const StepEvent* events, int count, int index) {
  int measure = 1;
  for (int i = 1; i <= index && i < count; ++i) {
    if (OpensMeasure(events, i)) ++measure;
  }
  return measure;
}

void MeasureSpan(const StepEvent* e, int n, int a, int b, int32_t* begin, int32_t* end) {
  int measure = 1, i = 0;
  while (i < n && measure < a) {
    i = MeasureEnd(e, n, i);
    ++measure;
  }
  *begin = i;
  while (i < n && measure <= b) {
    i = MeasureEnd(e, n, i);
    ++measure;
  }
  *end = i;
}

void RenumberSameMeasureRefs(StepEvent* events, int count) {
  if (!events || count <= 0) return;
  uint16_t table[kMeasureTableSize];
  for (uint16_t& t : table) t = kMeasureRefBias;
  int measures = 0;
  for (int i = 0; i < count && events[i].code < kCodeEndOfTrack;) {
    if (measures == kMeasureTableSize) break;
    table[measures++] = static_cast<uint16_t>(i + kMeasureRefBias);
    i = MeasureEnd(events, count, i);
  }
  for (int i = 0; i < count && events[i].code < kCodeEndOfTrack; ++i) {
    if (events[i].code != kCodeSameMeasure) continue;
    uint16_t m = events[i].step;
    // Beyond the table the old value stays; readers bound-check what they follow.
    if (m < kMeasureTableSize) events[i].gate = table[m];
  }
}
