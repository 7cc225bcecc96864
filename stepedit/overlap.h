// Overlap marks of an editor's notes: bit 15 of each event's position word,
// set on a note that a later note of the same key starts under.
#pragma once
#include <cstdint>

#include "editmodel.h"

constexpr int32_t kOverlapStepBudget = 32767;

// Recomputes the marks of events[index] and of the events before it, going
// back until the steps passed (codes below 0xF0) use up 32,767 or index 0 is
// done: earlier notes no longer reach a change at index. events[0..end] with
// the end event at end; false (nothing written) for an index outside it.
bool RecomputeOverlapBits(const StepEvent* events, int32_t end, StepPosition* positions, int32_t index);

// The same over the editor's events and position table, after a note's
// key, step or gate changed at index.
bool RecomputeOverlapFlags(StepEditModel& m, int32_t index);
