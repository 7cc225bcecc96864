// Replicate: a run of measures copied a number of times before the caret,
// from one track into the editor's track or, over every track, each
// track's own measures into itself.
#pragma once
#include <windows.h>

#include <cstdint>

#include "editmodel.h"

// What the replicate dialog hands over. Measures count from 1; a start
// after the end is swapped, 0 counts as 1.
struct ReplicateSettings {
  uint32_t startMeasure = 1;
  uint32_t endMeasure = 1;
  int32_t sourceTrack = 1;  // below 1 is 1, beyond the song's tracks its last
  uint32_t times = 1;       // 0 inserts nothing
  int32_t bias = 0;         // added to copied notes and rests, folded by octaves
};

// Grows a track's event block to bytes, keeping its contents; null when it
// cannot (the block is then untouched).
using ReplicateGrowFn = HGLOBAL (*)(HGLOBAL block, SIZE_T bytes);

// With ctx.shared->allTracksFlag set: ReplicateAllTracks, and the flag is
// cleared. Otherwise the run of the source track's measures start..end
// (read before anything moves, so the editor's own track may be the
// source) is inserted times times before the caret line's event, notes and
// rests transposed by bias. Full (message 1931, stop icon), track
// unchanged, when the track would reach 16,371 events. The selection is
// cleared and the index rebuilt, same-measure references renumbered when
// events went in; state bits 0 and 1 even when nothing was inserted.
EditResult ReplicateStepRange(StepEditModel& m, StepSongContext& ctx, const ReplicateSettings& s);

// Every track gets times copies of its own measures start..end before the
// first event of the measure the caret's event is in (at its end when it
// has fewer measures); a rhythm track's copies keep their keys. Full
// (message 1931, stop icon) with no track changed when any track would
// reach 16,371 events, and equally when a block cannot be grown: every
// block is grown before the first track changes. Each track gets state bits
// 0 and 1; its editor loses its selection and has its index rebuilt; the
// other tracks' editors are listed in refreshTracks. grow is for tests;
// null reallocates.
EditResult ReplicateAllTracks(StepEditModel& m, StepSongContext& ctx, const ReplicateSettings& s,
                              ReplicateGrowFn grow = nullptr);
