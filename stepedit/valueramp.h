// The set commands for NOTE, ST, GT and VEL: one field of the notes of a
// selection rewritten so that the values run in a straight line from Top at
// the start of the range to End at its end, by elapsed step time.
#pragma once
#include <cstdint>

#include "editmodel.h"

constexpr int kRampSetNote = 2091;
constexpr int kRampSetStep = 2092;
constexpr int kRampSetGate = 2093;
constexpr int kRampSetVelocity = 2094;

// Over the selection (both ends included): T is the time from the first
// event to the last (steps of codes below 0xF0, external commands left
// out), H = T / 2, and T counts as 1 when below 2. A note changes (for ST
// when its step is nonzero, otherwise when gate and velocity are both
// nonzero) to Top +/- (|Top - End| x max(t, 1) + H) / T, t the time elapsed
// before it, rising when End is above Top: NOTE and VEL take the value AND
// 0x7F, ST and GT its low 16 bits. In the rhythm grid VEL changes only
// notes whose key is that of a rhythm row with its flag set in
// shared->rhythmRowFlags. Time runs on by the steps as they were; events of
// code 0xF0 and up and external commands (0x99) add none.
// Ok with state bits 0 and 1 (ST) or bit 0 (the others) and the index
// rebuilt when a field changed; Ok with no state bits when none did.
// Refused, track unchanged, for a command outside 2091-2094 or without a
// selection.
EditResult RampStepValues(StepEditModel& m, StepSongContext& ctx, int command, int32_t top, int32_t end);
