// The rhythm grid's instrument rows: erasing the notes of the flagged rows
// from the selection, moving a row's record by dragging it, and storing the
// rows of the key assignment dialog into its working copy.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string_view>

#include "editmarks.h"
#include "editmodel.h"
#include "rhythm.h"
#include "rhythmassign.h"
#include "searcherase.h"
#include "zk/song.h"

// Caption of the range dialog the row erase opens when asked for a range.
constexpr UINT kRhythmEraseCaptionId = kEraseCaptionId;

// The row erase. For each row whose flag is set in ctx.shared->rhythmRowFlags,
// in row order, the working filter becomes the notes of the row's key only
// (mask 512, low = high = the key) and EraseStepRange runs over the
// selection; ctrl and shift are as there (the working switch keeps the
// choice). Each row's erase shortens the selection by the events it took, so
// no row reaches past the chosen range; once nothing of it is left the rows
// stop. Rows whose key is above 127 are passed over. The caller opens the
// range dialog first when askRangeFlag is set. Refused, track unchanged,
// without a selection or a flagged row.
EditResult EraseRhythmRows(StepEditModel& m, StepSongContext& ctx, EraseFilter& working, bool ctrl, bool shift);

// Takes record dragged out of records (the ones after it close up), opens a
// place at target (the ones from there move down one) and puts it there.
// False, records unchanged, when both are the same or either lies outside
// 0-127.
bool MoveRhythmRecord(RhythmRecord (&records)[kRhythmEntries], int dragged, int target);

// A dragged instrument row dropped on shown row targetRow (1-based) of the
// grid, whose record is (rhythmKeyScroll + targetRow - 1) AND 127: the
// record moves there in records (the song header's) and the caret row
// becomes targetRow. Ok when it moved (the caller marks the song modified
// and repaints the grid); Refused, nothing changed, on the dragged record's
// own row or a row above the first.
EditResult DropRhythmRow(StepEditModel& m, RhythmRecord (&records)[kRhythmEntries], int draggedRecord,
                         int targetRow);

// The texts of one row of the key assignment dialog.
struct RhythmRowText {
  std::string_view key;
  std::string_view gate;
  std::string_view name;
};

// One row as it is stored: the name cut or padded with blanks to 14 bytes
// (a double-byte character that would be cut in half becomes a blank); K#
// held to 0-127, since a larger key would be taken for a command code; GT
// above 255 stored as 255; text that is not an unsigned number stores 0.
RhythmRecord RhythmRecordFromRow(const RhythmRowText& row);

// Stores the rows shown from top (held to 0-120) into the dialog's working
// copy: records top to top + 7.
void StoreRhythmAssignRows(RhythmRecord (&working)[kRhythmEntries], int top,
                           const RhythmRowText (&rows)[kRhythmRows]);
