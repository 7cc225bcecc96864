// Sort and stroke: the selected notes reordered by key, gate or velocity
// (or at random) with every position keeping its step time, and the
// selected events of a chord spread over a start offset and a width.
#pragma once
#include <cstdint>
#include <functional>

#include "editmodel.h"

// Sort commands of the step editor's menu.
constexpr int kCmdSortNoteUp = 2273;
constexpr int kCmdSortNoteDown = 2274;
constexpr int kCmdSortGateUp = 2275;
constexpr int kCmdSortGateDown = 2276;
constexpr int kCmdSortVelUp = 2277;
constexpr int kCmdSortVelDown = 2278;
constexpr int kCmdSortRandom = 2279;

// The next pseudo-random number of the random order; an odd one exchanges.
using SortRandom = std::function<uint32_t()>;

// The C runtime's generator: state x 214013 + 2531011, bits 16-30. Handed
// over as it is (or through std::ref, to go on from where the sort left
// it), the sort draws its numbers without a call for each.
struct CrtSortRandom {
  uint32_t state = 1;
  uint32_t operator()() {
    state = state * 214013u + 2531011u;
    return (state >> 16) & 0x7FFFu;
  }
};
inline SortRandom SeededSortRandom(uint32_t seed) { return CrtSortRandom{seed}; }

// Sorts the selection (the end event never) by the command's field: for
// each position and each later one, notes are exchanged when the later one
// is smaller (ascending), larger (descending), or the next random number is
// odd; key, velocity and gate move, every position keeps its step, and
// commands (0x80 and above) stay where they are and draw no number. Then
// gates are fitted over the range: where the position table marks an
// overlap, a next note of the same key within 9998 ticks gives its distance
// + 1; elsewhere a note running into the next note of the same key ends
// where it begins. Rests are not fitted. State bit 0, index rebuilt.
// Refused, track unchanged, without selected events, for another command,
// or for the random order without a generator.
EditResult SortStepSelection(StepEditModel& m, StepSongContext& ctx, int command, SortRandom random);

// What the stroke dialog keeps between uses.
struct StrokeSettings {
  int32_t start = 0;         // ticks before the first event
  int32_t width = 0;         // ticks the events are spread over
  bool widthAsStep = false;  // the width is each event's step
};

// Sum of the steps of the selected events that carry time (not 0x98, 0x99
// or codes from 0xF0), stored as ctx.shared->strokeTotal: the bound of the
// dialog's fields. 0 without selected events.
int32_t StepStrokeTotal(StepEditModel& m, StepSongContext& ctx);

// The values the dialog opens with: start at most total, width at most
// total - start, neither below 0.
StrokeSettings StrokeDialogValues(const StrokeSettings& last, int32_t total);
// The values OK keeps: the same bounds; the switch as given.
StrokeSettings StrokeValuesOnOk(int32_t start, int32_t width, bool widthAsStep, int32_t total);

// Spreads the selected events: a leading rest (key 60, velocity 0, gate 0)
// of start ticks when start is nonzero, then the events in order, those
// that carry time with new steps - with widthAsStep each takes
// min(remaining, width), else the i-th of k takes (i + 1) x width / k -
// i x width / k - and the last timed one the rest of the total, which stays
// what it was. Start and width are bounded as the dialog bounds them. A step
// beyond 65,535 ticks is continued by rests. The selection is cut and the
// result put in its place (state bits 0 and 1, index rebuilt, selection
// cleared). Full (message 1931, exclamation icon), track unchanged, when
// the track would pass 16,371 events; refused without selected events;
// Ok without change when none of them carries time.
EditResult StrokeStepSelection(StepEditModel& m, StepSongContext& ctx, int32_t start, int32_t width,
                               bool widthAsStep);
