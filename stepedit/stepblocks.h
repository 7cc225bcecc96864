// Block edits of a step editor's track: cutting the selection into a block
// and putting a block back, single events and event groups at the caret,
// deleting the selection (in this track or over its measures in every
// track), the caret-line cut and the undo copy's release.
//
// Every edit closes an open insertion gap first, keeps the end event last
// and never removes it, and leaves the track byte-identical when it is
// refused or the track is full.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "editmodel.h"

// A memo is one 0xF6 event and four 0xF7 events, five text bytes each.
constexpr int kMemoEvents = 5;
constexpr int kMemoTextBytes = 25;

// Packs the first 25 bytes of text (blanks beyond its end) into a memo:
// byte 1 = text[0], step = text[1] | text[2] << 8, gate = text[3] | text[4] << 8,
// and the same for each continuation.
void PackMemoEvents(std::string_view text, StepEvent out[kMemoEvents]);

// Copies the selection (ordered, from at least 0, the end event left out)
// into *block followed by an end event, and removes it from the track. The
// model's eventCount follows the block; the line index is left to the
// caller, and so is the selection. Refused, with *block the end event alone,
// when nothing is selected.
EditResult CutStepBlock(StepEditModel& m, StepSongContext& ctx, std::vector<StepEvent>* block);

// Inserts the events of block up to its end event (all of it when it has
// none) at the selection start (0 without a selection), rebuilds the index
// and clears the selection. The callers check the limit; a block the track
// cannot hold is refused as full, track unchanged.
EditResult InsertStepBlock(StepEditModel& m, StepSongContext& ctx, const std::vector<StepEvent>& block);

// Inserts one event before the caret line's event. Silently refused once the
// track holds 16,371 events. A same-measure event renumbers the track's
// same-measure references and still sets renumberRefs for the caller. The
// caret column follows the new event's kind; state bits 0 and 1,
// as the event count changed.
EditResult InsertStepEvent(StepEditModel& m, StepSongContext& ctx, StepEvent event);

// Inserts a group of events at the event of caretRow (topLine + caretRow - 1):
// the memo when given, a rest of restStep (key 60, velocity 0, gate 0) when
// restStep is nonzero, then the count events. A chord stands in for the note
// it was built on: when the track was contiguous and the caret event is a
// note, that note is replaced; any other caret event (and the line of an
// open gap) stays behind the group. Full when count + rest + memo would
// bring the track to 16,371 events.
EditResult InsertEventsAtCaret(StepEditModel& m, StepSongContext& ctx, int caretRow, const StepEvent* events,
                               int count, std::optional<std::string_view> memo, uint16_t restStep);

// Deletes the selection (the end event never) and puts the caret on the
// line where it began. With ctx.shared->allTracksFlag the measures of the selection
// go from every other track (DeleteRangeAllTracks) and from this one as whole
// measures; the flag is cleared.
EditResult DeleteStepSelection(StepEditModel& m, StepSongContext& ctx);

// Removes the measures of the selection's two ends from every other track of
// the context that has them: state bits 0 and 1, and an open editor goes to
// the first line of the range with the caret on row 1 (rhythm grid column
// 15), no selection, its index rebuilt; those tracks go into refreshTracks.
EditResult DeleteRangeAllTracks(StepEditModel& m, StepSongContext& ctx);

// Selects the events of the caret line. False, selection unchanged, on the
// end event's line or without an index.
bool SelectStepCaretLine(StepEditModel& m);

// The line cut: selects the caret line and deletes it from this track only,
// with pendingCommand 3 while it runs and 0 after it. *cut receives the
// line's events (no end event) for the clipboard. The undo copy is the
// caller's, as for every range command.
EditResult CutCaretLine(StepEditModel& m, StepSongContext& ctx, std::vector<StepEvent>* cut);

// Frees the undo copy and clears its handle.
void FreeStepUndo(StepEditModel& m);
