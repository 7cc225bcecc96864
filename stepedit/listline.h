// One row of the step list: the position prefix and the event text, built
// row by row down one paint.
#pragma once
#include <cstdint>
#include <string>

#include "editmodel.h"

constexpr int kListLineChars = 32;
constexpr int kListPrefixChars = 10;   // "MEAS STEP:"; the event text follows

// What the row above showed, carried from row to row of one paint; starts
// at 0.
struct ListLineMemory {
  int32_t measure = 0;
  int32_t step = 0;
};

// The 32 characters of the row that shows the line starting at `event`:
// measure "%4d " and step number "%4d:", each blanked (to "     " and
// "    :") when the row above showed the same, then the 22-character event
// text with the overlap mark (no numeric columns on an external command).
// The caret row forgets the row above first; a measure end or same-measure
// line makes the next row show its step number. Rows at or past the end
// event or at 16,371 and beyond are blank, but the end event on the caret
// row shows its measure and step number. A key-signature line rebuilds the
// note names for the rows below it.
std::string StepListLine(StepEditModel& m, const StepSongContext& ctx, int32_t event, bool caretRow,
                         ListLineMemory& memory);
