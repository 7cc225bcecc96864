// Search and erase over a step editor's track: the next or previous event of
// the classes of a filter (every hit into the search log when the log is
// on), the single-class search and erase commands, and the erase of the
// matching events of the selection, leaving rests or folding their step
// times into the events before them (ST compression).
//
// The dialogs are the caller's: the filters they keep between uses are
// passed in and written back through references; the log window and the
// progress bar are reached through callables.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>

#include "editmarks.h"
#include "editmodel.h"
#include "eventfilter.h"

// Message shown when the search log ran out of room (stop icon).
constexpr UINT kSearchLogFullMessageId = 1944;
// Text of the progress dialog while a logged search runs.
constexpr UINT kSearchRunningTextId = 1945;

// Key dialog 145's captions for the note classes.
constexpr UINT kSearchKeysCaptionId = 74;
constexpr UINT kEraseKeysCaptionId = 45;
// Caption of the erase settings dialog (and of the range dialog for erases
// that have no class of their own).
constexpr UINT kEraseCaptionId = 46;

// Step times of 9,999 and above are not made by folding.
constexpr int kMaxFoldedStep = 9999;

// One entry of the search log: track - 1, measure - 1, the step word of the
// position table (overlap flag in bit 15) and the event index.
struct SearchHit {
  int track;
  int measure;
  uint16_t stepWord;
  int32_t event;
};

// Where a logged search reports. add takes each hit and answers false once
// the log text is full (that hit is not in it). progress, when set, gets the
// hit's index and the event count: the bar is filled to width x index / count.
struct SearchLogSink {
  std::function<bool(const SearchHit&)> add;
  std::function<void(int32_t index, int32_t eventCount)> progress;
};

// The next event after the caret line that matches filter. Without a log
// (null, or no add) the first hit's line becomes the top line with the caret
// on row 1 (rhythm grid column 15); no hit puts the end line there. With a
// log every hit from there to the end goes into it and the caret stays; a
// full log stops the walk and asks for message 1944 with a stop icon (status
// Ok: the hits so far stay logged). The track is never changed.
EditResult SearchStepForward(StepEditModel& m, StepSongContext& ctx, const EventFilter& filter,
                             const SearchLogSink* log = nullptr);

// The nearest matching event before the caret line's event (that event
// itself on the first line); none found puts event 0's line on top. Caret on
// row 1 (rhythm grid column 15). No log.
EditResult SearchStepBackward(StepEditModel& m, StepSongContext& ctx, const EventFilter& filter);

// The class bit of a single-class search command 2126-2145 (2127 none), 0 for
// any other command.
uint32_t SearchCommandClass(int command);

// The note keys chosen in key dialog 145.
struct KeyRange {
  int low = 0;
  int high = 127;
};

// Sets the search filter to the command's one class and searches forward.
// The note command 2126 needs the keys of key dialog 145 (caption 74, opened
// with the filter's current keys): they are stored into the filter (held to
// 0-127); without them the filter keeps its keys. A Cancel there is the
// caller's: it does not call. Refused, filter unchanged, for a command
// outside the table.
EditResult SearchStepByClass(StepEditModel& m, StepSongContext& ctx, int command, EventFilter& search,
                             const KeyRange* keys = nullptr, const SearchLogSink* log = nullptr);

// Erase commands: 2104-2123 one class each (2105 none), 2067 with the erase
// settings dialog, 2068 with the stored settings.
constexpr int kEraseWithSettingsCommand = 2067;
constexpr int kEraseStoredCommand = 2068;
uint32_t EraseCommandClass(int command);

// What the caller does around an erase command, after loading the stored
// settings into the working filter and calling PrepareEraseFilter:
// - settingsDialog: dialog 350 (caption 46) on the working filter; on OK the
//   working filter becomes the stored one, Cancel ends the command.
// - askRange: the caption captionId into the range dialog's caption,
//   SelectionToRange (a track without events erases at once, no dialog),
//   dialog 140, RangeToSelection with the values from before it; Cancel ends.
// - askKeys: key dialog 145 (caption keysCaptionId) on the working filter's
//   keys, then ApplyEraseKeys; Cancel ends.
// then EraseStepRange.
struct ErasePlan {
  bool go = false;            // false: not an erase command, nothing set
  bool settingsDialog = false;
  bool askRange = false;
  UINT captionId = 0;         // for askRange
  bool askKeys = false;
  UINT keysCaptionId = 0;
};

// Sets the working filter's mask for the command: its one class, or for
// 2067 and 2068 the settings as they stand. Keys and ST compression stay.
// The range caption is "イレース NOTE" (75) for 2104, 75 + (command - 2104)
// for the other classes, 46 for 2067 and 2068.
ErasePlan PrepareEraseFilter(int command, bool askRangeFlag, EraseFilter& working);

// Key dialog 145's result: the keys (held to 0-127) and the note class.
void ApplyEraseKeys(EraseFilter& working, const KeyRange& keys);

// Erases the events of the selection (ordered, the end event never) that
// match the working filter, compacting in place. ctrl turns ST compression
// off and shift on (in that order) in the working filter, where the choice
// stays.
// - Without ST compression a matching event below 0xF0 becomes a rest of its
//   step (key 60, velocity and gate 0); one of 0xF0 and above goes without a
//   rest; continuation events (0xF7) go with the event they continue, also
//   those that run on past the selection's end.
// - With ST compression a note's step, and a command's own step (code below
//   0xF0; an external command's is dropped), is added to the event before the
//   write position when that one is below 0xF0 and the sum stays below 9,999;
//   else it stays as a rest of key 60, velocity 64, gate 0. Notes of step 0
//   go; continuations go with their command.
// The events behind move down. State bit 0 when something changed, and bit 1
// too when events went. The caret goes to the line where the selection
// started, counted from the anchor line (CaretToLineFromAnchor); index
// rebuilt. The selection keeps to what is left of the range: its end moves
// back by the events that went (to the end event when it held it), and with
// nothing left there is no selection, so that a second erase over it cannot
// reach the events behind. Refused, track unchanged, without a selection or
// with nothing but the end event in it.
EditResult EraseStepRange(StepEditModel& m, StepSongContext& ctx, EraseFilter& working, bool ctrl, bool shift);
