// Quantize: the events of a selection move toward a time grid by a rate,
// the classes chosen in a filter staying where they are; then the step times
// are rebuilt from the new times, empty rests go and note gates are fitted
// so that a note does not run into the next note of the same key.
#pragma once
#include <cstdint>
#include <vector>

#include "editmodel.h"
#include "eventfilter.h"

// Resolution and rate in units of time base / 48 (48 units are a quarter).
constexpr uint32_t kQuantizeResetUnits = 6;
constexpr uint32_t kQuantizeMinUnits = 4;
constexpr uint32_t kQuantizeMaxUnits = 48;
constexpr uint32_t kQuantizeMinRate = 50;
constexpr uint32_t kQuantizeMaxRate = 100;
// Events further apart than this keep their order when times are sorted.
constexpr int64_t kQuantizeReorderWindow = 9999;

// What the quantize dialog keeps between uses: the resolution in ticks
// (reset each time the dialog opens) and the rate in percent (kept).
struct QuantizeSettings {
  uint32_t resolution = 60;
  uint32_t rate = 100;
};

// Time base / 48, at least 1.
uint32_t QuantizeUnit(uint16_t timeBase);
// The resolution the dialog opens with: 6 units.
void ResetQuantizeResolution(QuantizeSettings& s, uint16_t timeBase);
// The dialog's values after OK: resolution 4..48 units, rate 50..100.
void ClampQuantizeSettings(QuantizeSettings& s, uint16_t timeBase);

// Quantizes the selection (the end event never) to a grid of `resolution`
// ticks by `rate` percent:
// - every event that carries time (code below 0xF0) and is not matched by
//   the filter moves from t to t + (g - t) x rate / 100, g the nearest grid
//   point (halves go up); in the rhythm grid every such event moves;
// - 0xF7 continuations go with the event they belong to;
// - events are put back in time order by exchanges between events less than
//   9999 ticks apart (further apart they keep their order), and each takes
//   the time to the next as its step; an event of code above 0xF0 keeps its
//   fields and is followed by a rest (key 0) of that time instead;
// - notes of step 0 and gate 0 go, a note of step 0 takes the step of a
//   rest (gate 0) right after it;
// - a note that overlapped the next note of the same key before keeps a
//   one-tick overlap with it; any other note's gate ends where that next
//   note begins when it reached further.
// Then the caret goes to the line of the former selection start when that
// lies at or after the anchor line; state bits 0 and 1, index rebuilt,
// selection cleared.
// Refused, track unchanged, without a selection of events, for a resolution
// of 0 or a rate above 100. Full (message 1931, stop icon), track unchanged,
// when the rests would overrun the cut block (16,372 slots) or bring the
// track to 16,371 events.
EditResult QuantizeStepRange(StepEditModel& m, StepSongContext& ctx, uint32_t resolution, uint32_t rate,
                             const EventFilter& filter);

// The reorder: for each position i in turn, a scan of the later positions
// exchanges i with every one whose time is below the time now at i and stops
// at the first whose time reaches 9999 ticks beyond it. times and order are
// permuted together (order may be anything the caller tracks).
void ExchangeOrderByTime(std::vector<int64_t>& times, std::vector<int32_t>& order);
