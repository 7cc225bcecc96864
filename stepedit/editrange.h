// The range a command works on, handed between an editor's selection and
// the measure fields of its dialog (shared->editRange).
#pragma once
#include <cstdint>

#include "editmodel.h"

// An event's measure and step number from the editor's position table (the
// overlap flag masked off). False when the event lies outside the table or
// beyond the end event.
bool EventPosition(const StepEditModel& m, int32_t event, int* measure, int* step);

// Fills shared->editRange from the selection: from the position of its
// first event to the end (step 9999) of the measure of its last. Without a
// selection the caret line's event becomes both ends; with askRangeFlag the
// end moves to the track's last line. The selection is stored back as
// taken. False, nothing changed, when the track holds no events.
bool SelectionToRange(StepEditModel& m, StepSharedState& shared);

// Puts the edit range in order (pairs swapped when backwards, every value
// at least 1) and, unless it equals the old values, selects from the first
// line at the from position (or in a later measure) to the last line not
// beyond the to position. True when the selection was set.
bool RangeToSelection(StepEditModel& m, StepSharedState& shared, uint32_t oldFromMeasure, uint32_t oldFromStep,
                      uint32_t oldToMeasure, uint32_t oldToStep);
