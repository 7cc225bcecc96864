#include "measures.h"

#include "zk/cmdcodes.h"

int MeasureEnd(const StepEvent* events, int count, int index) {
  if (index >= count || events[index].code >= kCodeEndOfTrack) return index;
  if (events[index].code == kCodeSameMeasure) return index + 1;
  while (index < count) {
    uint8_t code = events[index].code;
    if (code >= kCodeEndOfTrack || code == kCodeSameMeasure) return index;
    ++index;
    if (code == kCodeMeasureEnd) return index;
  }
  return count;
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
