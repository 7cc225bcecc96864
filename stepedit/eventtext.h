// The text of a step event as the step list and the logs show it: note names
// spelled for a key signature, command and controller names, and the
// numeric columns. Plain functions over event blocks.
#pragma once
#include <cstdint>
#include <string>

#include "zk/song.h"

// "C 4  60 ": letter, accidental, octave in two columns, key number in
// three, one blank (8 characters), spelled by the key signature's row
// (KeyIndex bits 0-3).
std::string NoteNameText(int key, int keyIndex);

// The length in steps of the measure that the measure end at `index` closes
// (repeats unrolled, 5 deep, a count of 0 plays 65,536 times).
uint64_t MeasureEndLength(const StepEvent* events, int count, int index);

// What the event text needs beyond the events.
struct EventTextOptions {
  int keyIndex = 0;        // key signature in force: spells the notes
  bool overlap = false;    // the overlap mark "*" in the last column
  bool progOffset = false; // [OTHER] ProgOffset: programs shown from 1
  bool externalColumns = true;  // numeric columns on an external command line
};

// The 22-character event text of events[index], then for codes below 0xF0
// the 14 numeric columns. Continuation events after a comment, a track
// exclusive or an external command are read as their text; nothing is read
// outside the block. Empty for an index outside it.
std::string StepEventText(const StepEvent* events, int count, int index, const EventTextOptions& options);
