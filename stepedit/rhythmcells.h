// The rhythm grid's cells over the editor model: a cell is a grid column
// (one display line) crossed with an instrument row (a RhythmRecord giving
// the row's key K and gate G). What typed velocity classes, rest columns and
// Delete do to the caret cell, the row flags of the row erase, and the values
// and commits of the fields under the grid (edits A step, B gate, C velocity;
// statics D and E, the ticks before and after the column in its measure).
//
// The caret cell: column CaretLine(m), row (rhythmKeyScroll + caretRow - 1)
// AND 127. The caller applies stateBits, rebuilds nothing the result does not
// name, and keeps the undo copy.
#pragma once
#include <cstdint>
#include <string_view>

#include "editmodel.h"

// The RhythmRecord index of the caret row.
int RhythmCaretRecord(const StepEditModel& m);

// The events [*first, *end) of the grid column shown on a display line. The
// last line's column ends with the end event; a line past it is the end
// event alone. False (both the end event) without a usable line index.
bool RhythmColumn(const StepEditModel& m, int32_t line, int32_t* first, int32_t* end);

// The velocity of a typed class: "0"-"9" give 0, 8, 22, 36, 50, 64, 78, 92,
// 106, 120; anything else -1.
int RhythmVelocityClass(char typed);

// A velocity class ("0"-"9") or Space (velocity 0 with gate 0) typed on the
// caret cell.
// - Normal state, nonzero: every note of K in the column gets gate G and the
//   velocity (state bit 0); with none there a note of K, step 0, is put in
//   front of the column (InsertStepEvent; bits 0 and 1), except on a measure
//   end, same-measure reference, repeat start or end, or the end event.
// - Normal state, zero: every note of K leaves the column. One with a step
//   hands it to the nearest earlier event of the column that carries time
//   (code below 0xF0) while that stays within 9,999; without such an event it
//   stays as a rest (gate and velocity 0) so the column keeps its length.
//   Bits 0 and 1 when events went, bit 0 when only rests were made.
// - Gap state: a note of K with step time base / 4 is inserted at the caret
//   line (InsertStepEvent closes the gap first).
// Whatever changed, rightArrow asks the caller to move the caret one column
// right as the Right key does (the window knows whether the view must scroll
// instead). Refused with a beep, track unchanged, on a full track or a row
// key above 127 (it would be written as a command code).
EditResult TypeRhythmCell(StepEditModel& m, StepSongContext& ctx, char typed);

// "I": a rest column in front of the caret column: key K, step time base /
// 4, gate and velocity 0 (InsertStepEvent). Refused with a beep on a full
// track or a row key above 127.
EditResult InsertRhythmRest(StepEditModel& m, StepSongContext& ctx);

// Delete (normal state only): removes the caret column's first event, with
// the 0xF7 continuations of a comment, track exclusive or external command
// so that no text is left without its head; never the end event. Index
// rebuilt, bits 0 and 1. The caller passes Delete on to the step editor
// afterwards in every case.
EditResult DeleteRhythmColumnHead(StepEditModel& m, StepSongContext& ctx);

// Whether a key went no further (Taken) or goes on to the step editor.
enum class RhythmKeyFollow { Taken, PassOn };

// Sets all 128 row flags (entering the grid, "K" or "k").
void SetAllRhythmRowFlags(StepSharedState& shared);
// Home: with a selection toggles the row flags (not all set: all set; else
// only the caret row's) and is taken, the grid to be repainted; without one
// the flags stay and Home goes on.
RhythmKeyFollow RhythmHomeKey(const StepEditModel& m, StepSongContext& ctx);
// Typed characters: "K"/"k" set all row flags and are taken; "H", "V", "X",
// "Z" (either case) without a selection first leave only the caret row's
// flag set; those and every other character go on.
RhythmKeyFollow RhythmRowFlagChar(const StepEditModel& m, StepSongContext& ctx, char typed);

enum class RhythmField { Step, Gate, Velocity };  // edits A, B, C

// What a commit asks of the fields beyond the edit result.
struct RhythmCommit {
  EditResult edit;
  bool stored = false;          // a value was written
  int32_t shown = 0;            // the value as the field presents it
  char text[8] = "";            // follow-up 1: the field's new text, to select
  bool repaintGrid = false;     // follow-up 1 after C
  bool invalidateCell = false;  // follow-up 2
};

// Commits a field's text; follow-up 0, 1 or 2. Empty text or text starting
// with "-" does nothing. V = the text's digits.
// A: V within 1-9,999 (0-9,999 for a repeat end), stored less 1 in a
//    same-measure reference (which renumbers the references); into the step
//    of a column headed by a track exclusive, else of the column's last
//    event when that is a same-measure reference, a repeat end or a code
//    below 0xF0; bits 0 and 1, index rebuilt.
// B: every note of K in the column gets gate V, at most 9,999; bit 0.
// C: every note of K gets velocity V, at most 127; bit 0.
// Refused, track unchanged and no bits, when the column has nothing to take
// the value. A reference shows its stored value plus 1, as field A does, so
// committing the shown text again changes nothing.
RhythmCommit CommitRhythmField(StepEditModel& m, StepSongContext& ctx, RhythmField field, std::string_view text,
                               int followUp);

// What the fields show for the caret cell.
struct RhythmFields {
  int32_t step = 0;              // A
  bool hasNote = false;          // a note of K is in the column
  int32_t gate = 0;              // B (the last such note)
  int32_t velocity = 0;          // C
  int32_t fromMeasureStart = 0;  // D: steps from the measure start to the column
  int32_t toMeasureEnd = 0;      // E: steps from the column to 0xFC, 0xFD or the end
  char a[12] = "";
  char b[12] = "";               // " ---" without a note
  char c[12] = "";               // "---" without a note
  char d[12] = "";
  char e[12] = "";
};

// A by the column's first event: a track exclusive its own step; a
// same-measure reference its step plus 1; a measure end the steps (codes
// below 0xF0) of the measure it ends; otherwise the step of the column's
// last event when field A can write there (below 0xF0, repeat end,
// same-measure reference), else 0.
RhythmFields RhythmFieldsAtCaret(const StepEditModel& m, const StepSongContext& ctx);
