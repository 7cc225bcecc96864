// Generating a controller curve: the shape tables, the value at a tick, the
// curve written over the range's events, and freehand drawing on it.
#pragma once
#include <array>
#include <cstdint>

#include "curves.h"

// floor(2^(i/32)) for i 1..254; entry 0 is 0 and entry 255 is 255.
const std::array<int32_t, 256>& CurveTable();
// 256 x sin(2 pi i / 256), rounded.
const std::array<int32_t, 256>& SineTable();

// The range copy and L from the track's events (end event at eventCount):
// events rangeStart..rangeEnd with those of the kind made placeholder
// rests (key 60, velocity 0, gate 0, same step), then an end event; L the
// steps of its events of codes below 0xF0.
void BuildCurveRangeCopy(CurveState& s, const StepEvent* events, int32_t eventCount);

// The curve's value at a tick, on the generation scale (0..127, tempo
// 0..255): Top before Delay or when L is below 3 or a period below 2
// ticks; End from Delay + Width on (Top for sine and random); lastValue at
// the start of each period; else the shape. Random values take the next
// number of the state's generator.
int32_t CurveValue(CurveState& s, int64_t tick, int32_t lastValue);

// Generates the curve from the range copy into the buffer: the value at
// tick 0 first, the range's events at their ticks (timed ones followed by
// their continuations) and, at every tick that is Delay plus a multiple of
// Step, an event of the kind where the value changes; the value at L last
// when it differs. The buffer is then compacted (notes without step and
// gate go). A curve that does not fit keeps what fits and sets overflow.
void GenerateCurve(CurveState& s);

// Freehand: every tick from the drag position to the point's step gets the
// point's value (events of the kind there replaced, the others kept at
// their ticks with step 0); the time up to the next event after the
// stroke becomes a placeholder rest. Then equal values of the kind in a row
// collapse into the timed event before them while its step stays below
// 9,999, and rests without a step go. The point becomes the drag position.
// False, nothing changed, before BeginCurve, for a buffer without time, or
// when the result would not fit the buffer.
bool DrawCurveFreehand(CurveState& s, const CurvePoint& p);
