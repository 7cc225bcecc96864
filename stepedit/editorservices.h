// The small services the step editors share, over the model and the song
// context: the used and free event counters, the record-track check, the
// play positions cleared after a play, and a line placed at the caret.
#pragma once
#include <windows.h>

#include <cstdint>

#include "editmodel.h"

struct EventCounters {
  int32_t used = 0;
  int32_t free = 0;
};

// With a current editor: its track's events (in the gap state the front
// part and the moved tail) and 16,371 less them. With none: the sum of every
// track's count kept in the track window table, and 16,371 per track less it.
EventCounters CountTrackEvents(const StepSongContext& ctx, const StepEditModel* current);

// Ok when a track of the song is set to record (mode bit 0x02 or 0x04);
// otherwise refused with message 1937 to show (exclamation).
constexpr UINT kNoRecordTrackMessage = 1937;
EditResult CheckRecordTrack(const StepSongContext& ctx);

// Every open editor loses its play position.
void ResetPlayCursors(StepSongContext& ctx);

// Scrolls so that the line stands at the caret position: the caret row
// (step list) or the caret column (rhythm grid, 15 + 2 per line). Near the
// top the list starts at line 0 and the caret goes to the line instead.
EditResult PlaceLineAtCaret(StepEditModel& m, int position, int32_t line);
