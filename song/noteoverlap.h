// How far a note's gate reaches into the next note of the same key, as
// quantize, sort, shift and part conversion fit gates. A gate of 0 or 65535
// sets no limit here (the line index's overlap marks use their own test).
#pragma once
#include "zk/song.h"

// For the note at index (key below 128) whose gate is not 1: the step
// distance to the next note of the same key with nonzero gate and velocity,
// counting the note's own step and every later step of a code below 0xF0;
// 0 when the end event comes first or the distance reaches the gate. The
// gate is read as signed 16-bit and the limit is gate - 1 unsigned, so gates
// 0 and 65535 set none. count bounds the walk.
int FindNoteOverlap(const StepEvent* events, int count, int index);

// The same for any event below 0xFE (the same code counts as the same key)
// with an explicit gate; 0 for a gate below 1.
int FindNoteOverlapWithin(const StepEvent* events, int count, int index, int gate);
