// Merging of two event sources into one track by time: recorded events into a
// track (record merge) and one track into another (track mix). Loops and
// same-measure references of both sources are unrolled on the way, so the
// result is a plain list of measures.
#pragma once
#include <windows.h>
#include <cstdint>
#include <vector>

#include "zk/song.h"

constexpr int kMergeLoopDepth = 5;        // open repeat starts per source
constexpr int kMergeRefLinks = 10;        // reference links followed at a measure start
constexpr uint8_t kRestKey = 60;          // rest marker: key 60, velocity 0, gate 0
constexpr int kMaxRestSteps = 9999;       // most steps one rest of a replace window covers
constexpr int kRecordMergeSlots = kTrackSlots;       // 16,373
constexpr int kTrackMixSlots = kTrackSlots - 1;      // 16,372

inline constexpr StepEvent RestMarker(uint16_t step) { return StepEvent{kRestKey, 0, step, 0}; }

struct MergeOptions {
  // Replace mode: base notes and commands from windowStart up to windowEnd
  // (song steps) give way to the other source's events; after windowEnd only
  // the base goes on. Otherwise both are mixed from step 0.
  bool replace = false;
  int64_t windowStart = 0;
  int64_t windowEnd = 0;
  int outputSlots = kRecordMergeSlots;
};

struct MergeResult {
  bool overflow = false;            // more than 16,371 events; events is then empty
  std::vector<StepEvent> events;    // ends with the end event
};

// Merges source (the recorded block or the added track) into base (the
// track's own events). Both are read up to their end event or their size and
// never changed; same-measure references must be numbered already.
MergeResult MergeEventBlocks(const StepEvent* source, int sourceCount, const StepEvent* base,
                             int baseCount, const MergeOptions& options);

// Where a measure that starts at index really reads from: follows same-measure
// references (field at offset 4 = first event index + 48) at most 10 links.
// A link out of the block, onto its end event, or a chain that never leaves
// references gives index back.
int ResolveSameMeasureRef(const StepEvent* events, int count, int index);

// Copies source events from sourceIndex through the end event (written too)
// to destination from destinationIndex, leaving out notes whose step and gate
// are both 0; a note with step 0 and a gate that is followed by a note with
// gate 0 takes over that note's step, and that note goes. One block with both
// indexes 0 compacts it in place. Reads and writes stay within the slot
// counts. Returns the destination index of the end event; -1 when the source
// has no end event (nothing written), the destination has no room (written
// only within it) or the destination would overwrite source events not yet
// read.
int CopyEventRange(const StepEvent* source, int sourceSlots, StepEvent* destination, int destinationSlots,
                   int sourceIndex, int destinationIndex);

// CopyEventRange twice in place, so a chord before two rests also takes the
// second rest's time.
void CompactMergedEvents(std::vector<StepEvent>& events);

// The events up to and including the given number of measure boundaries, with
// the end event after them (the whole block when it has fewer).
std::vector<StepEvent> CutAfterMeasures(const StepEvent* events, int count, int measures);

// Sum of the step times of the notes and commands before the end event.
int64_t PlainStepTotal(const StepEvent* events, int count);

// Operations on the open song.
constexpr int kMergeOk = 0;
constexpr int kMergeOverflow = 1;      // shown to the user; the track is unchanged
constexpr int kMergeDeclined = 2;      // track mix not confirmed
constexpr int kMergeBadInput = -1;     // a track outside the song, or no block
constexpr int kMergeNoMemory = -2;

constexpr int kRecordMixFlag = 0x02;   // record flags: mix instead of replace

// Merges a recorded block into track. Replace mode (flags without 0x02)
// replaces the track's events from start to end, both in song steps from the
// song's start; with measureLimit > 0 the take is first cut after that many
// measures and the window ends where the cut take ends.
int RecordMerge(const StepEvent* recorded, int recordedCount, int track, int32_t start,
                int32_t end, int flags, int measureLimit);

// Asks first; then mixes trackB's events into trackA's and stores the result
// as destination.
int TrackMix(int trackA, int trackB, int destination);

// The step editor installs this: it points an open editor of the track at the
// track's new block, rebuilds its line index, goes to its top and repaints.
using TrackEditorRefresh = void (*)(HWND editor, int track);
void SetTrackEditorRefresh(TrackEditorRefresh refresh);
