// Step totals of a track, counted over its measures with repeats unrolled.
#pragma once
#include <cstdint>

#include "zk/song.h"

// While the event at index is a same-measure reference, moves to the measure
// it names (at most 9 links). Returns the given index when a link points
// below 0 or past limit.
int FollowSameMeasure(const StepEvent* events, int index, int limit);
// Index of the next measure's first event (the end event's own index at the
// end); never past count.
int NextMeasureStart(const StepEvent* events, int count, int index);
// Total steps of an event block, looking at no more than limit events, with
// repeats counted as they play (a count of 0 as 65,536); wraps at 32 bits.
// *endIndex receives the index of the end event.
int32_t CountTrackSteps(const StepEvent* events, int limit, int32_t* endIndex);
