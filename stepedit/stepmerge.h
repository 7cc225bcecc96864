// Merging two step-event streams by time into a track's events, and the
// mixed paste that merges a clipboard block into the events after the caret.
#pragma once
#include <cstdint>

#include "editmodel.h"
#include "zk/song.h"

// A gap marker carries ticks while streams are merged and never stays in a
// track: the merge's final pass absorbs it or turns it into a rest.
constexpr uint8_t kGapMarkerCode = 0x80;
inline constexpr StepEvent GapMarker(uint16_t step) { return StepEvent{kGapMarkerCode, 0, step, 0}; }

// Interleaves inserted into existing by step time and writes the result into
// destination from index on. existing is a copy of destination's events from
// index through its end event; inserted ends with a code of 0xFE or above.
// The inserted stream begins offset ticks after the event at index. On equal
// times existing events go first; the block's measure ends are dropped when
// the track has one within the block's length; the time before index is
// taken from the last timed event in front of it. Events after a stream has
// run out keep their times.
// Writes only destination[0, capacity). Returns the index of the end event
// written, or -1 when the result does not fit (destination then holds a
// partial merge: callers merge into a scratch copy).
int MergeStepStreams(uint32_t index, uint32_t offset, StepEvent* destination, int capacity,
                     const StepEvent* existing, const StepEvent* inserted);

// Mixes decoded clipboard events (up to the first end code among them) into
// the track by time from the caret line's event; their rests only give time.
// An open gap is closed first and then the undo copy is made. TrackFull,
// track unchanged, when used + n reaches 16,371 or the result does not fit.
// Count 0 mixes nothing (Ok, no state bits).
EditResult PasteMixSteps(StepEditModel& m, StepSongContext& ctx, const StepEvent* events, int n);
