// Slide: the selected events of chosen classes move earlier or later by a
// number of ticks against the other events of the track.
#pragma once
#include <windows.h>

#include <cstdint>

#include "editmodel.h"
#include "eventfilter.h"

// Messages of a slide that would cross a repeat mark or same-measure event.
constexpr UINT kSlideRepeatStartMessage = 6250;
constexpr UINT kSlideRepeatEndMessage = 6251;
constexpr UINT kSlideSameMeasureMessage = 6252;

// Adds ticks (when positive) to the step of the nearest event before index
// whose code is below 0xF0 and not 0x99, keeping the step within 16 bits.
// True when there is such an event.
bool AddStepBefore(StepEvent* events, int32_t index, int32_t ticks);

// Moves the selected events that match the filter (codes below 0xF0, memos
// and track exclusives, each with its 0xF7 continuations) by bias ticks;
// every other event keeps its time. The selection is widened over the
// continuations of its last event.
// - The |bias| ticks next to the selection (from its first event on for a
//   later slide, before it for an earlier one) must not hold a repeat
//   start, repeat end or same-measure event: refused with 6250, 6251 or
//   6252 (question icon), track unchanged.
// - An event moved onto the tick of another is written after it; events
//   moved before the track's start gather at tick 0; events moved past the
//   last event keep their steps and the end follows them.
// - The time a moved event leaves goes to the event before it while the
//   step stays below 9999, else becomes a rest (key 60, velocity 0).
// For an earlier slide the selection starts where the walked ticks ended.
// State bit 0 (and 1 when the event count or the track's length changed),
// index rebuilt. Full (message 1931), track unchanged, when the result
// would pass 16,371 events. Bias 0, or nothing that matches, does nothing.
EditResult SlideStepRange(StepEditModel& m, StepSongContext& ctx, int32_t bias, const EventFilter& filter);
