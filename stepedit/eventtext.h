// The text of a step event as the step list and the logs show it: command
// and controller names, the numeric columns, comments and external
// commands with their continuation events, measure lengths.
#pragma once
#include <cstdint>
#include <string>

#include "editmodel.h"
#include "notenames.h"
#include "zk/song.h"

// The length in steps of the measure that the measure end at `index`
// closes: from after the previous measure end, same-measure reference or
// end code (or from index 0), repeats counted as they play (5 deep, a count
// of 0 as 65,536), 32-bit wrapping as the list prints it.
uint32_t MeasureEndLength(const StepEvent* events, int count, int index);

// What the event text needs beyond the events.
struct EventTextOptions {
  int keyIndex = 0;        // key signature in force: spells the notes
  bool overlap = false;    // the overlap mark "*" in the last column
  bool progOffset = false; // [OTHER] ProgOffset: programs shown from 1
  bool externalColumns = true;  // numeric columns on an external command line
};

// The 22-character event text of events[index], then for codes below 0xF0
// the 14 numeric columns. Continuation events after a comment or an
// external command are read as their text, up to the first other event;
// nothing is read outside the block. Empty for an index outside it.
std::string StepEventText(const StepEvent* events, int count, int index, const EventTextOptions& options);

// The same for an editor's event, notes named from its note-name table as
// last built, nothing read past its end event; programs shown from 1 as the
// context's settings say. externalColumns false gives the step list's
// external-command line (22 characters). Empty for an index outside
// 0..eventCount.
std::string FormatStepEventText(const StepEditModel& m, const StepSongContext& ctx, int32_t index, bool overlapMark,
                                bool externalColumns = true);
