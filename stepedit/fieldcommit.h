// The caret field of the step list: committing what was typed into it,
// stepping it up or down, and reading the caret line's code and value.
#pragma once
#include <cstdint>

#include "editmodel.h"

// Character columns of the step list's fields.
constexpr int16_t kFieldNote = kStepListColumn;  // 11 note name
constexpr int16_t kFieldKey = 17;                // key number
constexpr int16_t kFieldStep = 22;
constexpr int16_t kFieldGate = 27;
constexpr int16_t kFieldVel = 31;

// A typed number: leading blanks skipped, an optional sign, then digits up
// to the first other character; 0 when there are none.
int32_t ParseFieldNumber(const char* text);

// The key of a typed note name: letter (upper case A-G; any other counts as
// C), accidental ("#" up, "b" down) and an octave digit, key = (digit + 1) x
// 12 + pitch. Without the digit (blank or absent) the octave is
// octaveAbove, key = octaveAbove x 12 + pitch. The result may fall outside
// 0..127 ("Cb" in octave 0 gives -1); a third character that is neither a
// digit nor blank gives -1.
int ParseNoteNameKey(const char* text, int octaveAbove);

// A typed pitch-bend value: a text starting with a blank is a plain number;
// otherwise its first character (the sign) stays and the blanks after it
// are dropped: "-   1" gives -1. Not limited here.
int32_t ParseSignedBend(const char* text);

// Commits the typed field (ctx.shared->fieldBuffer) into the event of the
// caret line counted from lineOffset (step list only). An unchanged field
// does nothing at all. In the gap state a note is appended at the end line
// first (copying the note above) and the field goes into it; a full track
// or an entry that would be refused leaves the track as it was. Refused
// entries beep and change nothing; the field is cleared all the same. A
// program number the limit had to change is stored and beeps (status Ok).
EditResult CommitStepField(StepEditModel& m, StepSongContext& ctx, int32_t lineOffset);

// The commit of a mode switch, a click or a scroll: in the normal state the
// same for the key, step, gate and velocity fields (not the note name); in
// the gap state nothing is committed, the field is only cleared (beeping
// when the track is full). In the rhythm grid the field is only cleared.
EditResult CommitFieldEdit(StepEditModel& m, StepSongContext& ctx, int32_t lineOffset);

// Steps the caret field of the caret line's event by amount, cut so the
// field stays within its limit (key 0-127 on notes only; step 0-9,999,
// same-measure reference 0-999; gate 0-9,999, tempo 0-255; velocity 0-127,
// tempo 0-255) and within what the event's code carries. Comments,
// continuations, external commands and codes 0xF9 and above are left alone,
// except a same-measure reference's step. *applied (when given) gets how
// far the field moved. Nothing applied changes nothing; in the normal state
// it refreshes nothing either, in the gap state the typed field is cleared
// (both Refused without a beep).
EditResult StepFieldUp(StepEditModel& m, StepSongContext& ctx, int32_t lineOffset, int32_t amount,
                       int32_t* applied = nullptr);
EditResult StepFieldDown(StepEditModel& m, StepSongContext& ctx, int32_t lineOffset, int32_t amount,
                         int32_t* applied = nullptr);

// The code of the caret line's event, -1 without one.
int GetCaretEventCode(const StepEditModel& m);
// The value the caret field starts from: the code at the note and key
// fields, the step or gate (signed; 0 for codes 0xF0 and above), the
// velocity byte; 0 elsewhere or without an event.
int32_t GetCaretFieldValue(const StepEditModel& m);
