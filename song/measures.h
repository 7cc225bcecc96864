// Measure walking over step-event blocks: same-measure reference numbering.
#pragma once
#include <cstdint>

#include "zk/song.h"

constexpr int kMeasureTableSize = 1024;
constexpr int kMeasureRefBias = 48;   // references store index + 48

// Index after the measure that starts at index: after a measure end (0xFD),
// before the next same-measure reference, or at the end event. A reference
// alone is a measure. Never returns more than count.
int MeasureEnd(const StepEvent* events, int count, int index);

// Events [*begin, *end) of measures a..b (1-based, as the step editors
// number them) of the n events before a track's end event; an empty run at
// the track's end when it has fewer measures.
void MeasureSpan(const StepEvent* events, int n, int a, int b, int32_t* begin, int32_t* end);

// Points every same-measure reference (0xFC) of the block at the first event
// of the measure its number names (offset 4 := table[offset 2]); a measure
// the block does not have gives index 0. Numbers of 1,024 and more are left
// as they are.
void RenumberSameMeasureRefs(StepEvent* events, int count);
