// The step editor's editing state with no window in sight: the fields the
// edit algorithms read and write, the blocks they work on, the song around
// them, and what an edit tells its caller to do afterwards.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "stepshared.h"
#include "zk/song.h"

#pragma pack(push, 1)
// One display line of the step list: its first event and the key signature
// in force there.
struct LineEntry {
  uint32_t firstEvent;
  uint8_t key;           // KeyIndex in force (step list)
  uint8_t unused[3];     // 0xFF
};
static_assert(sizeof(LineEntry) == 8);

// Where an event stands: its measure as displayed and its step number.
struct StepPosition {
  uint16_t measure;      // 1-based
  uint16_t step;         // bits 0-14 step in measure (1-based); bit 15 overlap
};
static_assert(sizeof(StepPosition) == 4);
#pragma pack(pop)

constexpr size_t kLineTableBytes = kTrackSlots * sizeof(LineEntry);        // 130,984
constexpr size_t kPositionTableBytes = kTrackSlots * sizeof(StepPosition); // 65,492
constexpr int kNoteNameBytes = 11;                                         // 8 text, zero, spare
constexpr size_t kNoteNameTableBytes = 128 * kNoteNameBytes;               // 1,408
constexpr uint16_t kOverlapBit = 0x8000;
constexpr uint16_t kStepNumberMask = 0x7FFF;

// Local record of an editor window; slot 0 is unused.
struct TrackBlock {
  uintptr_t unused;
  HGLOBAL undo;          // undo copy, 0 none
  HGLOBAL events;        // the song's own event block of the track (not a copy)
  HGLOBAL positions;     // StepPosition[kTrackSlots]
  HGLOBAL noteNames;     // 128 note texts of kNoteNameBytes
};
static_assert(sizeof(TrackBlock) == 5 * sizeof(void*));  // 20 in the 32-bit build

constexpr int16_t kModeStepList = 0;
constexpr int16_t kModeRhythmGrid = 1;
constexpr int16_t kRhythmFirstColumn = 15;
constexpr int16_t kStepListColumn = 11;

// Pending commands that are not message numbers.
constexpr int32_t kPendingCut = 1;
constexpr int32_t kPendingTranspose = 2;
constexpr int32_t kPendingLineCut = 3;

// The editing fields of one step editor. The window record extends it.
struct StepEditModel {
  int16_t viewMode;          // 0 step list, 1 rhythm grid
  int16_t track;             // 1-based
  int32_t eventCount;        // index of the end event (front part while a gap is open)
  int32_t lineCount;         // lines of the line table
  HGLOBAL lineTable;         // LineEntry[kTrackSlots]
  HLOCAL trackBlock;         // TrackBlock
  int16_t caretColumn;       // rhythm grid: 15, then two characters per line
  int16_t caretRow;          // step list: 1-based row in the window
  int32_t topLine;
  int32_t anchorLine;        // topLine when the selection was anchored
  int32_t selFrom;           // first selected event, -1 none
  int32_t selTo;             // last selected event, -1 none
  int32_t indexCurrent;      // 1 = contiguous and indexed; 0 while a gap is open
  int32_t pendingCommand;    // range command waiting for Enter, 0 none
  int32_t gapTail;           // slot of the first event behind the gap
  int32_t rhythmKeyScroll;   // rhythm grid: vertical position over the keys
  int16_t noteNameKey;       // key the note names were built for, -1 none
  int32_t playEvent;         // measure-start event of the play position, 0 none
  int32_t playLine;          // display line of the play position, 0 none
};

// What the algorithms read of the settings, copied so tests set them.
struct StepEditSettings {
  int32_t progOffset = 0;       // [OTHER] ProgOffset: programs shown from 1
  int32_t dragDropEdit = 1;     // [DragDrop] DragDropEdit
  int32_t midiInVelocity = 1;   // [OTHER] MIDIinVelocity: entered notes take the played velocity
  int32_t midiInSkipEvent = 1;  // [OTHER] MIDIINSkipEvent: the caret moves on after a note
  int32_t maxTrack = 99;        // [OTHER] MaxTrack
  int32_t fkeyRest = 0;         // [KEY] FKEYREST: Shift+function key enters a rest
  int32_t escRet = 0;           // [KEY] ESCRET: Enter is OK and Esc Cancel in every field
  int32_t reverseUpDown = 0;    // [KEY] REVERSUPDOWN
  int32_t shiftUpDown = 0;      // [KEY] SHIFTUPDOWN
  int32_t fkeyStep[10] = {};    // [OneTouchSTGT] FKey%dST, ticks at time base 480
  int32_t fkeyGate[10] = {};    // [OneTouchSTGT] FKey%dGT
};


// The song around an editor: read by the algorithms, its tables written by
// those that reach other tracks.
struct StepSongContext {
  uint16_t timeBase = 480;
  uint8_t songKey = 0;                 // KeyIndex of the song header
  RhythmRecord rhythm[128] = {};
  int trackCount = 0;
  SongHandleTable* handles = nullptr;  // the song's blocks; null: only the editor's own
  TrackWindowTable* windows = nullptr; // state words and counts; may be null
  StepEditModel* editors[kMaxTracks] = {};  // open editors by track - 1
  StepEditModel* current = nullptr;    // the current step editor, null none
  StepSharedState* shared = nullptr;   // what the editors share (never null in use)
  bool playing = false;                // a song plays
  bool portsHeld = false;              // another program holds the MIDI ports
  StepEditSettings settings;
};

enum class EditStatus { Ok, TrackFull, Refused };

// What an edit asks of its caller. A refused or full edit leaves the track
// byte-identical.
struct EditResult {
  EditStatus status = EditStatus::Ok;
  UINT messageId = 0;              // message to show, 0 none
  UINT messageStyle = 0;           // its icon
  bool beep = false;
  uint32_t stateBits = 0;          // for SetTrackStateBits: 1 modified, 2 timing
  bool indexRebuilt = false;
  bool renumberRefs = false;       // same-measure references need renumbering
  bool scrollBars = false;         // scroll ranges changed
  bool lineDown = false;           // send WM_VSCROLL with the line-down code 2049
  bool rightArrow = false;         // rhythm grid: send a right-arrow key
  bool selectionChanged = false;
  std::vector<int> refreshTracks;  // other tracks whose editors must be redrawn
};

constexpr UINT kTrackFullMessageId = 1931;
constexpr uint32_t kStateModified = 1;
constexpr uint32_t kStateTiming = 2;

EditResult TrackFullResult();
EditResult RefusedResult(UINT messageId = 0, UINT style = 0, bool beep = false);
// Several edits made as one (the keys of one chord): the flags add up and
// the first refusal is kept.
void MergeEditResult(EditResult& into, const EditResult& r);

// The line the caret is on: step list topLine + caretRow - 1, rhythm grid
// topLine + (caretColumn - 15) / 2.
int32_t CaretLine(const StepEditModel& m);
// The first event of a line; the end event for a line past the last; -1
// without a line table.
int32_t LineEvent(const StepEditModel& m, int32_t line);
// The line that shows an event (the last line whose first event is at or
// before it), 0 for none.
int32_t LineOfEvent(const StepEditModel& m, int32_t event);

// After an edit over a range: when line lies at or after the anchor line,
// the view starts at the anchor and the caret points at line (step list row
// line - anchor + 1, rhythm column 15 + 2 x (line - anchor)); otherwise, or
// when the offset would not fit the caret field, the view stays.
void CaretToLineFromAnchor(StepEditModel& m, int32_t line);

// The selection ordered, from at least 0; false for none.
bool OrderedSelection(const StepEditModel& m, int32_t* from, int32_t* to);

// Used events of the editor's track as the limit checks count them; the
// algorithms that check it work on a contiguous track.
inline int32_t UsedEvents(const StepEditModel& m) { return m.eventCount; }
// Whether adding n events keeps the track under the limit (used + n must
// not reach 16,371, as every insertion counts it).
inline bool FitsTrack(const StepEditModel& m, int64_t n) {
  return static_cast<int64_t>(UsedEvents(m)) + n < kMaxTrackEvents;
}

// The song's event block of a track (1-based), or null.
HGLOBAL ContextTrackEvents(const StepSongContext& ctx, int track);
// ORs bits into a track's state word when the context has the table.
void ContextSetStateBits(StepSongContext& ctx, int track, uint32_t bits);

// Attaches the model to a track's event block (the song's own, from the
// context): allocates the track block, the line and position tables and the
// note names, sets the view mode from the track's rhythm flag, caret row 1,
// no selection, contiguous, builds the note names for the song key and the
// line index, and enters state word 2 in the context's table. Returns the
// line count, or -1 (model without tables) when the track has no block or
// memory ran out.
int32_t AttachModel(StepEditModel& m, StepSongContext& ctx, int track, bool rhythm);
// Frees the model's tables, its undo copy and the track block itself; the
// event block belongs to the song.
void FreeModelBuffers(StepEditModel& m);

// The model's event block and its slots, locked for the holder's life.
class ModelEvents {
 public:
  explicit ModelEvents(const StepEditModel& m);
  ~ModelEvents();
  ModelEvents(const ModelEvents&) = delete;
  ModelEvents& operator=(const ModelEvents&) = delete;
  StepEvent* events() const { return events_; }
  int slots() const { return slots_; }

 private:
  HGLOBAL block_;
  StepEvent* events_ = nullptr;
  int slots_ = 0;
};

// The selected events with the end event left out: the first one's index in
// *first and their number, 0 for none. Reads only within the block.
int32_t SelectedEvents(const StepEditModel& m, const ModelEvents& block, int32_t* first);

// Moves the events from `at` through the end event up by n and copies n
// events in at `at`, growing the block when it lacks room (keeping the
// song's handle table in step). Needs a contiguous, indexed track; does no
// limit check and does not rebuild the index. False, track unchanged, for a
// position outside 0..eventCount, n < 0 or no memory.
bool InsertEventsAt(StepEditModel& m, StepSongContext& ctx, int32_t at, const StepEvent* events, int32_t n);
// Removes events [from, to) and closes up through the end event. False,
// track unchanged, unless 0 <= from <= to <= eventCount.
bool RemoveEvents(StepEditModel& m, int32_t from, int32_t to);
