// Undo of a step editor: the events swapped with the undo copy, so that a
// second undo brings the edit back.
#pragma once
#include "editmodel.h"

// Whether the undo copy holds events that can be put back.
bool CanRestoreStepUndo(const StepEditModel& m);

// Exchanges the track's events with the undo copy (the copy made by
// SaveUndoCopy: top line, caret column or row, event count with the end
// event, then the events). An open gap is closed first so that the whole
// track goes into the new copy. The top line and caret come back from the
// copy, the index is rebuilt and the track marked 3. A copy without events
// is freed and nothing else happens (Refused); one whose count does not fit
// its block or the track, or that does not end in an end event, is freed
// too and refused with a beep; the track is then byte-identical.
EditResult RestoreStepUndo(StepEditModel& m, StepSongContext& ctx);
