// The step clipboard block and pasting events into a track: "ZKP", a zero
// byte, the u32 event count, the 6-byte events and one zero byte, little-
// endian on every target.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "editmodel.h"
#include "zk/song.h"

constexpr size_t kStepClipHeadBytes = 8;

// One event as its six stored bytes (code, velocity, step, gate; LE) and back.
void PutStepEventBytes(uint8_t* p, const StepEvent& e);
StepEvent StepEventFromBytes(const uint8_t* p);

// The block for n events (n x 6 + 9 bytes); n below 0 counts as 0.
std::vector<uint8_t> EncodeStepClipboard(const StepEvent* events, int n);
// The events of a step clipboard block. False, events emptied, for anything
// else: another signature, a count above 16,371 or a block too short for its
// count (clipboard blocks may be longer than they need).
bool DecodeStepClipboard(const uint8_t* data, size_t size, std::vector<StepEvent>* events);

// The selection as a clipboard block: events from..to, the end event left
// out. Empty when nothing is selected.
std::vector<uint8_t> CopySelectionBlock(const StepEditModel& m);

// Shared tail of the block insertions on a contiguous track: the events up
// to the first end code among them go in before event `at`, unless used +
// that count + spare reaches 16,371 (TrackFull, track unchanged). Rebuilds
// the index; state bits 1 and 2 when something was inserted.
EditResult InsertStepsAt(StepEditModel& m, StepSongContext& ctx, int32_t at, const StepEvent* events,
                         int32_t n, int32_t spare);

// Pastes decoded events before the caret line's event. An open gap is
// closed first and then the undo copy is made. Count 0 inserts nothing (Ok,
// no state bits).
EditResult PasteSteps(StepEditModel& m, StepSongContext& ctx, const StepEvent* events, int n);
