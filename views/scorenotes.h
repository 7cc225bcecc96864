// The score's note model: what one paint of a score pane gathers from the
// followed step editor's lines. Notes that start together become a chord;
// every closed chord (or empty stretch) becomes one ScoreNote record at its
// x; at each bar line the records of the measure are laid out for beams and
// handed on, then emptied. Nothing here draws; a sink receives the chords,
// the records and the bar lines in walk order.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>

#include "editmodel.h"
#include "scorelength.h"
#include "scorestaff.h"
#include "zk/song.h"

// beamFlags of a record.
constexpr uint16_t kBeamChord = 0x02;       // a chord with notes
constexpr uint16_t kBeamSkip = 0x01;        // length 0: left out of beam grouping
constexpr uint16_t kBeamFirst = 0x04;       // first member of a group
constexpr uint16_t kBeamInner = 0x08;
constexpr uint16_t kBeamLast = 0x10;
constexpr uint16_t kBeamMemberMask = 0x1C;

// One chord or empty stretch of the score.
struct ScoreNote {
  uint16_t beamFlags;      // 0 no notes; 2 chord; 3 chord of length 0; + group bits
  int32_t stemX1;          // x of the stem (chord x + 6)
  int32_t stemY1;          // y of the stem's head end
  int32_t stemX2;          // x of the stem's far end (= stemX1)
  int32_t stemY2;          // y of the stem's far end; the beam moves it
  uint16_t length;         // chord length in time-base ticks
  int16_t flagCount;       // 0-4; 0 takes no part in beams
  int16_t groupMinFlags;   // first member of a group: the group's fewest flags
  int32_t hookX;           // x of the flag glyph; 0 none
  int32_t hookY;           // y of the flag glyph (top of the stem)
  uint16_t mark;           // 0 plain, 1 triplet, 2 dotted, 3 double-dotted
  uint16_t noteValue;      // 0 none, 1 whole ... 64 sixty-fourth
};

struct ScoreStemInfo {
  int32_t x;
  int32_t topY;
  int32_t flagCount;
};

constexpr int32_t kScoreNoteGrowth = 64;
// ScoreNoteCount is a 16-bit count: the block never holds more records.
constexpr int32_t kScoreNoteLimit = 65535 / kScoreNoteGrowth * kScoreNoteGrowth;

// The records of one measure and their stem infos: two zero-filled blocks of
// 64 records that grow by 64 when full.
class ScoreNoteBlock {
 public:
  ScoreNoteBlock() = default;
  ~ScoreNoteBlock();
  ScoreNoteBlock(const ScoreNoteBlock&) = delete;
  ScoreNoteBlock& operator=(const ScoreNoteBlock&) = delete;

  // Fresh blocks of 64 records (count 0); false without memory. The
  // capacity never passes maxRecords (rounded down to whole steps of 64,
  // at least 64; at most kScoreNoteLimit).
  bool Allocate(int32_t maxRecords = kScoreNoteLimit);
  void Free();
  // A zeroed record at count, growing the blocks when they are full; null
  // (nothing changed) when they cannot grow.
  ScoreNote* Append();
  // Empties the array (after each drawing).
  void Clear();

  ScoreNote* notes() const { return notes_; }
  ScoreStemInfo* stems() const { return stems_; }
  int32_t count() const { return count_; }
  int32_t capacity() const { return capacity_; }

 private:
  bool Grow();

  HGLOBAL noteBlock_ = nullptr;
  HGLOBAL stemBlock_ = nullptr;
  ScoreNote* notes_ = nullptr;
  ScoreStemInfo* stems_ = nullptr;
  int32_t count_ = 0;
  int32_t capacity_ = 0;
  int32_t maxRecords_ = kScoreNoteLimit;
};

// The chord being gathered: keys ascending (equal keys in arrival order),
// each with its gate and tie distance (0 no tie).
constexpr int kChordNotes = 160;
struct ScoreChord {
  int32_t count = 0;
  uint8_t keys[kChordNotes] = {};
  uint16_t gates[kChordNotes] = {};
  uint16_t ties[kChordNotes] = {};
  int32_t length = 0;       // time-base ticks so far
  bool hasNotes = false;
  int32_t dropped = 0;      // notes that found the buffer full
};

// Adds a note before the first greater key. A note that finds all 160
// places taken is left out (counted in dropped); false then.
bool AddChordNote(ScoreChord& chord, uint8_t key, uint16_t gate, uint16_t tie);
void ClearChord(ScoreChord& chord);

// Beat and beam length of a paint (ComputeBeamLength, scorebeams.h).
struct ScoreBeamLength {
  int32_t beatNumerator = 4;
  int32_t beatDenominator = 4;
  int32_t beatUnit = 480;        // ticks of the denominator's note
  int32_t beamLength = 480;      // ticks per beam group, at least 1
  int32_t noteLengths[7] = {};   // whole note, then halved six times
};

// What one walk over the lines owns, from the start of a paint to its end.
struct ScoreWalkState {
  ScoreLayout layout;
  StaffTables staff;
  ScoreBeamLength beams;
  int32_t gridTicks = 1;    // a chord closes at this length
  ScoreChord chord;
  ScoreNoteBlock records;
  int32_t x = 0;            // x of the next chord
  int32_t carry = 0;        // remainder of the x reckoning (ScoreChordAdvance)
  int32_t lastLine = -1;    // last line walked
  bool full = false;        // the record block could not grow: the walk stopped
  int32_t droppedNotes = 0; // notes the chord buffer had no room for
  int32_t groups = 0;       // beam groups formed
};

// Receives the walk as it goes. The default does nothing.
class ScoreWalkSink {
 public:
  virtual ~ScoreWalkSink() = default;
  // A chord (or empty stretch) closed at x and recorded as
  // state.records.notes()[index]; state.chord still holds its notes.
  virtual void OnChord(ScoreWalkState& state, int32_t index, int32_t x) {}
  // The records gathered since the last bar line, on the quantize grid
  // when that switch is on, and with their beam groups and stems when the
  // beams switch is on. They are emptied after the call.
  virtual void OnRecords(ScoreWalkState& state) {}
  // A measure end or same-measure event; the bar line stands at
  // x + NoteHeadWidth. The bar's accidentals are reset after the call.
  virtual void OnBar(ScoreWalkState& state, int32_t x, uint8_t code) {}
};

// ---- The x reckoning every part of the score shares

// Pixels a closed chord of length time-base ticks moves x on, plus the bar's
// width (NoteHeadWidth + BarGap x timeScaleX) when it closes at a bar. The
// division's remainder is carried in *carry from chord to chord, so the
// chords of a walk sum exactly at any time base; a walk's carry starts at 0
// on its start line.
int32_t ScoreChordAdvance(const ScoreLayout& layout, int32_t length, bool bar, int32_t* carry);

// One step of a walk over the lines: a line and the lines that join its
// step (events 0x80-0xFB right behind an event below 0xF0).
struct ScoreStep {
  int32_t line;       // first line of the step
  int32_t lastLine;   // last line taken into it
  int32_t event;      // line's event
  int32_t lastEvent;  // last event shown on lastLine (continuations included)
  bool bar;           // a measure end or same-measure event
  bool closes;        // the chord closes after this step
  int32_t length;     // chord length in time-base ticks after this step
  int32_t x;          // x of the chord the step belongs to
  int32_t nextX;      // x of the next chord once this one closes (x when it does not)
  int32_t nextCarry;  // the reckoning's carry that goes with nextX
};

// Where a walk stands; a fresh one starts at ScoreLeftX.
struct ScoreXCursor {
  int32_t x = 0;
  int32_t carry = 0;
  int32_t length = 0;  // the open chord's length so far
};

// The walk all score x positions come from: from startLine while cursor.x
// is below width, over the real lines only (the end event's line is the
// last). A line whose event is below 0xF0 adds its step and takes the
// directly following lines 0x80-0xFB (0x98 and 0x99 included) into the
// step, adding the steps of those below 0xF0; a line 0xF0-0xFB alone starts
// the chord's length afresh; the chord closes at the quantize grid
// (ScoreGridTicks) or at a bar, and x moves on by ScoreChordAdvance. visit
// sees each step before the cursor moves on; returning false stops the walk
// there, the cursor left at the step's x. Returns the last line walked, -1
// for none.
using ScoreStepVisitor = std::function<bool(const ScoreStep&)>;
int32_t WalkScoreSteps(const StepEditModel& editor, const ScoreLayout& layout, int32_t startLine, int32_t width,
                       ScoreXCursor& cursor, const ScoreStepVisitor& visit);

// Sets a state up for a paint: the layout, staff tables for keySignature,
// the chord grid, the beam length of the song's beat, x at the left edge,
// and fresh record blocks that never pass maxRecords. False without memory.
bool BeginScoreWalk(ScoreWalkState& state, const ScoreLayout& layout, uint32_t keySignature,
                    int32_t beatNumerator, int32_t beatDenominator,
                    int32_t maxRecords = kScoreNoteLimit);

// Walks the editor's lines from startLine through WalkScoreSteps (x is
// state.x with state.carry, moved on only as records are made): gathers
// chords, fills a record for each closed chord, lays out each measure's records at its bar line and
// after the walk, and tells the sink. Stops early when the record block
// cannot grow (state.full), keeping what it has. Returns the last line
// walked (-1 for none: no line table, no events).
int32_t WalkScoreLines(ScoreWalkState& state, const StepEditModel& editor, int32_t startLine,
                       int32_t width, ScoreWalkSink* sink = nullptr);

// Tie length in time-base ticks of the note at index (0 for none): the
// distance to the next note of the same key that starts before this one's
// gate has run out; a bar line between them counts its width in ticks.
// Never reads past count or the end event.
int32_t FindTieDistance(const StepEvent* events, int32_t count, int32_t index, const ScoreLayout& layout);

// The line of a step editor that shows an event: the line whose first event
// is eventIndex, else the last one that starts before it. A negative index
// counts as 0; one above the editor's eventCount, or no line table, gives -1.
int32_t FindStepLine(const StepEditModel& editor, int32_t eventIndex);

// The lines a score view drew in its latest paint.
struct ScoreViewSpan {
  int32_t startLine = 0;
  int32_t lastLine = -1;
};
// The line at which the score should start so that line is shown: 0 for
// line 0; the view's start line while line lies within what it drew; else
// the first line of line's measure (the line after a measure end or
// same-measure event), or 0. A line past the last counts as the end event's
// line; nothing past the last real line is read.
int32_t FindMeasureLine(const StepEditModel& editor, const ScoreViewSpan& view, int32_t line);
