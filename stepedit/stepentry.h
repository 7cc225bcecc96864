// Quick note entry at the caret line: the previous note repeated, and the
// function keys F1-F10 with their one-touch step and gate times.
#pragma once
#include "editmodel.h"

// Step list, normal state: a note on the caret line takes values of the
// nearest note above (or key 60, step time base / 2, gate time base x 5 /
// 12, velocity 64) by the caret column: NOTE or K# the key, step, gate and
// velocity; ST the step, gate and velocity; GT the gate and velocity; VEL the
// velocity. In the gap state the end line gets a new note instead
// (RepeatPreviousLineInGap). Refused, track unchanged, on another line, in
// another column or in the rhythm grid.
EditResult RepeatPreviousLine(StepEditModel& m, StepSongContext& ctx);

// Step and gate of function key n (1-10): the [OneTouchSTGT] ticks scaled
// from time base 480 to the song's (truncated). Gate 0 (a rest) with Shift
// under [KEY] FKEYREST or with the note palette's rest toggle; otherwise
// Shift makes F1, F3, F5, F7, F9 and F10 two thirds long and F2, F4, F6 and F8
// (2v + v/3) / 2. Both end within 0-9,999, the fields' range.
struct OneTouchTimes {
  int step = 0;
  int gate = 0;
};
OneTouchTimes OneTouchStepGate(const StepSongContext& ctx, int n, bool shiftHeld);

// Function key n at the editor's caret. Refused while a song plays or for n
// outside 1-10.
// - MIDI(fkey) input mode: the held keys go in at the caret in ascending
//   order (SetNoteAtCaret), the gate on each, the step on the last only, the
//   played velocity with [OTHER] MIDIinVelocity; with none held a rest of
//   key 60 and the step. The caret moves as SetNoteAtCaret moves it.
// - Gap state: refused with a beep at 16,371 events. The rhythm grid appends
//   a column at the end line: the caret row's rhythm key with the step, the
//   gate and velocity 64 (state bits 3, or 1 for step 0), then rightArrow.
//   The step list appends at the end line when the caret is there, takes a
//   typed NOTE or K# as the key and sets the gate (notes) and the step, then
//   lineDown.
// - Normal state, caret on a note (else only the typed field is cleared,
//   Refused): a typed NOTE or K# becomes its key; then from the caret event
//   on, events whose step is not a time to set (step 0, or a code of 0xF0 or
//   above) are passed, notes among them taking the gate; the first event with
//   a step (below the end event) takes the step, and in the step list the
//   gate when it is a note. The step list scrolls down over the events passed
//   (topLine, the caret keeping its row) and then asks for lineDown; the
//   rhythm grid stays in its column and asks for rightArrow.
// A typed key outside 0-127 refuses the entry with a beep, track unchanged.
EditResult OneTouchStepEntry(StepEditModel& m, StepSongContext& ctx, int n, bool shiftHeld);
