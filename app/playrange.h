// Where a point or measure play starts and which events a measure play
// hands to the engine, worked out from the step editor's line table and the
// track's event block. No windows, no engine.
#pragma once
#include <cstdint>
#include <vector>

#include "stepeditdata.h"
#include "zk/song.h"

constexpr int kNoPlayEvent = -1;

// Line under the caret: the rhythm grid counts two columns per line from
// its first column, the step list one row per line from row 1.
int32_t PlayCaretLine(const StepEditorData& ed);

// Event the caret line stands for. A caret on the end event falls back to
// the line before it (unless the event is the block's first); kNoPlayEvent
// when that is still an end event, or when the line lies outside
// lines[0..lineCount) or names an event outside events[0..count).
int PlayCaretEvent(const StepEvent* events, int count, const LineEntry* lines, int lineCount,
                   int32_t line);

// First and last event of the measure around index (within
// events[0..count)). On a measure end or reference the range takes the
// measure before it as well. last < first when there is nothing between
// the two marks.
struct PlayRange {
  int first;
  int last;
};
PlayRange MeasurePlayRange(const StepEvent* events, int count, int index);

// The contents of the measure play block for the caret event: the measure's
// events, a gate-0 copy of a note that ends it, then the end event. Empty
// when caretEvent lies outside the block.
std::vector<StepEvent> MeasurePlayBlockEvents(const StepEvent* events, int count, int caretEvent);

// Turns the same-measure references before the end event into measure ends,
// in place, so that a part previews without the measures they name.
void PreviewRefsToMeasureEnds(StepEvent* events, int count);
