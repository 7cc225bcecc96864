// Line index of a step editor: which event starts each line and where each
// event lies in measure and step; the insertion gap; the undo copy; growth
// and shrinking of the track's event block around edits.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>

#include "editmodel.h"
#include "zk/song.h"

// Index of the first end code (0xFE or above) among events[0..count), or -1.
int FindEndEvent(const StepEvent* events, int count);

// For the note at index: the step distance to the next note of the same key
// (nonzero gate and velocity) that starts before the note's gate ends; 0 when
// there is none, the event is not a note, or its gate is 1 or less. Gates
// 0 and 65535 are taken as they stand (no overlap, a long gate), unlike the
// gate fitting of song/noteoverlap.h. Never reads past count or the end
// event.
int IndexNoteOverlap(const StepEvent* events, int count, int index);

// Rebuilds lines (kTrackSlots entries) and measures (kTrackSlots entries) from
// events[0..slots). False, with both outputs -1, for a mode other than 0 or 1
// or a block without an end event.
bool BuildLineIndex(const StepEvent* events, int slots, int mode, uint8_t key, LineEntry* lines,
                    StepPosition* measures, int32_t* lastEvent, int32_t* lastLine);

// Moves events p to the end event (at lastEvent) to the top of a full block
// so that the end event lands in the last slot, and writes an end event at p.
// Returns the slot the event p now sits in, or -1 (block untouched) when the
// block is not full-size, p or eventCount lie outside it, eventCount does not
// hold an end event or the block has more than kMaxTrackEvents events.
int OpenGapInBlock(StepEvent* events, int slots, int lastEvent, int p);

// Joins the tail at gapTail back behind the inserted part (which ends at the
// first end code, looked for no further than gapTail). Returns the new index
// of the end event, or -1 (block untouched) for a tail slot outside the block.
int CloseGapInBlock(StepEvent* events, int slots, int gapTail);

// Bytes of the undo copy of a track whose end event is at eventCount.
inline size_t UndoCopyBytes(int lastEvent) {
  return (static_cast<size_t>(lastEvent) + 2) * sizeof(StepEvent);
}
// Fills an undo copy: slot 0 holds top line, cursor and event count (end
// event included); the events follow. False when eventCount is outside the
// block or not an end event, or dest is too small.
bool FillUndoCopy(void* dest, size_t destBytes, const StepEvent* events, int slots, int lastEvent,
                  uint16_t top, uint16_t cursor);

// Grows an event block to kTrackSlots slots (new slots zeroed) or shrinks it
// to its events, the end event and one spare slot. Return the block's handle
// (it may change), or null with the block unchanged on failure; a block with
// no end event is never shrunk.
HGLOBAL GrowEventBlock(HGLOBAL block);
HGLOBAL ShrinkEventBlock(HGLOBAL block);

// The same on an editor, keeping the song's handle table in step.
bool GrowEditorBlock(StepEditModel& m, StepSongContext& ctx);
bool ShrinkEditorBlock(StepEditModel& m, StepSongContext& ctx);

// Points the editor at a new event block of its track (a track mix put it in
// the song), grown to full size when the editor is the current one, and
// rebuilds the line index from the top. False (editor unchanged) when the
// block cannot be grown.
bool PointEditorAtBlock(StepEditModel& m, StepSongContext& ctx, HGLOBAL block, bool current);

// Model operations; the model's track block must be attached.
bool BuildTrackLineIndex(StepEditModel& m, const StepSongContext& ctx);
// The line the caret is on, counted from top.
int32_t InsertionLine(const StepEditModel& m, int32_t top);
bool OpenInsertGap(StepEditModel& m, const StepSongContext& ctx, int32_t top);
bool CloseInsertGap(StepEditModel& m, const StepSongContext& ctx);
bool SaveUndoCopy(StepEditModel& m);
// Edits need contiguous events: closes an open gap. False when the track
// has no indexed events.
bool MakeContiguous(StepEditModel& m, const StepSongContext& ctx);
// A paste first closes an open gap and then keeps the events as they were
// for undo. True when a gap was open.
bool CloseGapForPaste(StepEditModel& m, const StepSongContext& ctx);
