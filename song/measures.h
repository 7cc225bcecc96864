// Measure walking over step-event blocks: same-measure reference numbering.
#pragma once
#include <cstdint>

#include "zk/song.h"

constexpr int kMeasureTableSize = 1024;
constexpr int kMeasureRefBias = 48;   // references store index + 48

// Measures as the step editors number them from 1: a measure end (0xFD)
// closes its measure; a same-measure reference (0xFC) is a measure of its
// own, the current one when it comes first or after a code of 0xFA and up,
// else the next; the event after a reference begins a new measure.

// Whether events[index] begins a measure (index 0 always does).
bool OpensMeasure(const StepEvent* events, int index);

// Index after the measure that starts at index: the next event that begins
// a measure, or the end event. Never returns more than count.
int MeasureEnd(const StepEvent* events, int count, int index);

// The measure (1-based) of events[index]; the end event counts too.
int MeasureOfEvent(const StepEvent* events, int count, int index);

// Events [*begin, *end) of measures a..b (1-based, as the step editors
// number them) of the n events before a track's end event; an empty run at
// the track's end when it has fewer measures.
void MeasureSpan(const StepEvent* events, int n, int a, int b, int32_t* begin, int32_t* end);

// Points every same-measure reference (0xFC) of the block at the first event
// of the measure its number names (offset 4 := table[offset 2]); a measure
// the block does not have gives index 0. Numbers of 1,024 and more are left
// as they are.
void RenumberSameMeasureRefs(StepEvent* events, int count);
