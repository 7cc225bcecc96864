// What every field edit of a step editor shares: the typed field, the clamp
// of an edited event, the refresh after an edit, the nearest note above a
// line and the append of a note at the end line.
#pragma once
#include <cstdint>

#include "editmodel.h"

// The typed field is empty when it holds six blanks.
bool StepFieldChanged(const StepSharedState& shared);
void ClearStepFieldBuffer(StepSharedState& shared);

// Holds an event's fields within what its code can carry (comparisons on the
// signed 16-bit values).
void ClampStepEvent(StepEvent& e);

// After an event at index was edited: clamps it, renumbers the same-measure
// references when asked, rebuilds the line index when a step time changed
// (else recomputes the overlap marks up to it), clears the typed field and
// marks the track (1, or 3 with a step time), all noted in r.
void FinishFieldEdit(StepEditModel& m, StepSongContext& ctx, int32_t index, bool stepChanged, bool renumber,
                     EditResult& r);

// The values a new note copies: the nearest note above event index (code
// below 0x80), else key 60, step time base / 2, gate time base x 5 / 12 and
// velocity 64.
StepEvent PreviousNoteValues(const StepEditModel& m, const StepSongContext& ctx, int32_t index);
// The nearest note above index with a nonzero step, or -1.
int32_t PreviousTimedNote(const StepEditModel& m, int32_t index);

// Events the track holds: in the gap state the front part and the moved tail.
int32_t PresentEvents(const StepEditModel& m);

// When the caret line's event is the end event (of the track, or of the
// front part while a gap is open), writes a note there with the previous
// note's values and an end event after it, extending the position and line
// tables by one line. Refused with a beep when 16,371 events are present or
// the caret is not on the end line; the track is then unchanged.
EditResult RepeatPreviousLineInGap(StepEditModel& m, StepSongContext& ctx);
