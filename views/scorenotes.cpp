#include "scorenotes.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "editorblocks.h"
#include "scorebeams.h"

namespace {

constexpr int32_t kStemOffset = 6;  // stem x from the chord's x

uint16_t ClampU16(int64_t v) { return static_cast<uint16_t>(std::clamp<int64_t>(v, 0, 0xFFFF)); }

int32_t ClampI32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

bool IsBarCode(uint8_t code) { return code == 0xFC || code == 0xFD; }

// Fills the record of the chord closed at state.x.
void FillRecord(ScoreWalkState& state, ScoreNote& r, ScoreStemInfo& stem) {
  const ScoreLayout& layout = state.layout;
  const ScoreChord& chord = state.chord;
  const int32_t s = layout.geometry.staffSpacing;
  const int32_t centre = layout.staffCentreY;
  const bool notes = chord.count > 0;
  const NoteValueResult value = ClassifyNoteLength(chord.length, layout.timeBase);

  int top = 0, lowest = 0;
  bool second = false;
  for (int32_t i = 0; i < chord.count; ++i) {
    const int p = StaffPositionOf(state.staff, chord.keys[i]);
    if (i == 0) {
      top = lowest = p;
    } else {
      second = second || p - StaffPositionOf(state.staff, chord.keys[i - 1]) == 1;
      top = std::max(top, p);
      lowest = std::min(lowest, p);
    }
  }

  r.length = ClampU16(chord.length);
  const bool beams = (layout.displaySwitch & kScoreBeams) != 0;
  if (beams) {
    r.beamFlags = notes ? (chord.length == 0 ? kBeamChord | kBeamSkip : kBeamChord) : 0;
    r.flagCount = static_cast<int16_t>(notes ? value.flagCount : 0);
    stem.flagCount = r.flagCount;
  }
  const bool hooks = (layout.displaySwitch & kScoreNoteHeads) && (layout.displaySwitch & kScoreNoteHooks);
  if (hooks && notes && value.noteValue >= 1) {
    r.hookX = state.x + layout.geometry.noteHeadWidth;
    r.hookY = centre - ((top - 29) * s) / 2;  // three and a half spacings above the top note
    r.noteValue = static_cast<uint16_t>(value.noteValue);
    r.mark = static_cast<uint16_t>(value.mark);
  }
  if (beams && notes) {
    // A second puts heads on both sides of the stem: the stem starts half a
    // spacing higher.
    const int32_t shift = second ? s / 2 : 0;
    r.stemX1 = r.stemX2 = state.x + kStemOffset;
    r.stemY2 = centre - (top - 29) * (s / 2) - shift;
    r.stemY1 = centre - ((lowest - 36) * s) / 2 - shift - 1;
    stem.x = r.stemX2;
    stem.topY = r.stemY2;
  }
}

// Closes the chord at state.x: its record, the sink, x moved to nextX.
// Sets state.full, and records nothing, when the record block cannot grow.
bool CloseChord(ScoreWalkState& state, ScoreWalkSink& sink, int32_t nextX, int32_t carry) {
  ScoreNote* r = state.records.Append();
  if (!r) {
    state.full = true;
    return false;
  }
  const int32_t index = state.records.count() - 1;
  FillRecord(state, *r, state.records.stems()[index]);
  sink.OnChord(state, index, state.x);
  state.x = nextX;
  state.carry = carry;
  state.droppedNotes += state.chord.dropped;
  ClearChord(state.chord);
  return true;
}

// The records of a measure are complete: lay them out and hand them on.
void FinishMeasure(ScoreWalkState& state, ScoreWalkSink& sink) {
  const int32_t sw = state.layout.displaySwitch;
  ScoreNote* notes = state.records.notes();
  const int32_t count = state.records.count();
  if (sw & kScoreBeams) {
    if (sw & kScoreQuantize6) QuantizeScoreLengths(notes, count, state.gridTicks);
    state.groups += BeamScoreNotes(notes, count, state.beams.beamLength);
    SetBeamStems(notes, count);
  }
  sink.OnRecords(state);
  state.records.Clear();
}

}  // namespace

ScoreNoteBlock::~ScoreNoteBlock() { Free(); }

void ScoreNoteBlock::Free() {
  for (HGLOBAL* h : {&noteBlock_, &stemBlock_}) {
    if (*h) {
      GlobalUnlock(*h);
      GlobalFree(*h);
      *h = nullptr;
    }
  }
  notes_ = nullptr;
  stems_ = nullptr;
  count_ = capacity_ = 0;
}

bool ScoreNoteBlock::Allocate(int32_t maxRecords) {
  Free();
  maxRecords_ = std::clamp(maxRecords / kScoreNoteGrowth * kScoreNoteGrowth, kScoreNoteGrowth, kScoreNoteLimit);
  noteBlock_ = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kScoreNoteGrowth * sizeof(ScoreNote));
  stemBlock_ = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kScoreNoteGrowth * sizeof(ScoreStemInfo));
  notes_ = noteBlock_ ? static_cast<ScoreNote*>(GlobalLock(noteBlock_)) : nullptr;
  stems_ = stemBlock_ ? static_cast<ScoreStemInfo*>(GlobalLock(stemBlock_)) : nullptr;
  if (!notes_ || !stems_) {
    Free();
    return false;
  }
  capacity_ = kScoreNoteGrowth;
  return true;
}

namespace {

// Regrows one locked block to bytes, keeping it locked; false (block as it
// was) without memory.
template <typename T>
bool RegrowLocked(HGLOBAL& block, T*& data, size_t oldBytes, size_t bytes) {
  GlobalUnlock(block);
  HGLOBAL grown = GlobalReAlloc(block, bytes, GMEM_MOVEABLE | GMEM_ZEROINIT);
  if (grown) block = grown;
  data = static_cast<T*>(GlobalLock(block));
  if (!grown || !data) return false;
  std::memset(reinterpret_cast<char*>(data) + oldBytes, 0, bytes - oldBytes);
  return true;
}

}  // namespace

bool ScoreNoteBlock::Grow() {
  if (!notes_ || capacity_ + kScoreNoteGrowth > maxRecords_) return false;
  const int32_t grown = capacity_ + kScoreNoteGrowth;
  if (!RegrowLocked(noteBlock_, notes_, capacity_ * sizeof(ScoreNote), grown * sizeof(ScoreNote))) return false;
  if (!RegrowLocked(stemBlock_, stems_, capacity_ * sizeof(ScoreStemInfo), grown * sizeof(ScoreStemInfo))) {
    return false;  // the note block is larger; the capacity stays what both hold
  }
  capacity_ = grown;
  return true;
}

ScoreNote* ScoreNoteBlock::Append() {
  if (!notes_ || !stems_) return nullptr;
  if (count_ >= capacity_ && !Grow()) return nullptr;
  notes_[count_] = ScoreNote{};
  stems_[count_] = ScoreStemInfo{};
  return &notes_[count_++];
}

void ScoreNoteBlock::Clear() {
  count_ = 0;
  if (notes_) notes_[0].hookX = 0;
}

bool AddChordNote(ScoreChord& chord, uint8_t key, uint16_t gate, uint16_t tie) {
  if (chord.count >= kChordNotes) {
    ++chord.dropped;
    return false;
  }
  int32_t at = chord.count;
  while (at > 0 && chord.keys[at - 1] > key) --at;
  const int32_t tail = chord.count - at;
  std::memmove(chord.keys + at + 1, chord.keys + at, tail * sizeof chord.keys[0]);
  std::memmove(chord.gates + at + 1, chord.gates + at, tail * sizeof chord.gates[0]);
  std::memmove(chord.ties + at + 1, chord.ties + at, tail * sizeof chord.ties[0]);
  chord.keys[at] = key;
  chord.gates[at] = gate;
  chord.ties[at] = tie;
  ++chord.count;
  chord.hasNotes = true;
  return true;
}

void ClearChord(ScoreChord& chord) {
  chord.count = 0;
  chord.length = 0;
  chord.hasNotes = false;
  chord.dropped = 0;
}

bool BeginScoreWalk(ScoreWalkState& state, const ScoreLayout& layout, uint32_t keySignature,
                    int32_t beatNumerator, int32_t beatDenominator, int32_t maxRecords) {
  state.layout = layout;
  state.layout.timeBase = ScoreTimeBase(layout.timeBase);
  state.layout.timeScaleX = TimeScaleX(layout.displaySwitch);
  BuildStaffTables(state.staff, keySignature);
  state.beams = ComputeBeamLength(beatNumerator, beatDenominator, state.layout.timeBase);
  state.gridTicks = ScoreGridTicks(state.layout.timeBase, (layout.displaySwitch & kScoreQuantize6) != 0);
  ClearChord(state.chord);
  state.x = layout.geometry.leftX;
  state.carry = 0;
  state.lastLine = -1;
  state.full = false;
  state.droppedNotes = 0;
  state.groups = 0;
  return state.records.Allocate(maxRecords);
}

int32_t ScoreChordAdvance(const ScoreLayout& layout, int32_t length, bool bar, int32_t* carry) {
  int64_t advance = ScoreTickPixels(length, layout.timeBase, layout.timeScaleX, carry);
  if (bar) advance += layout.geometry.noteHeadWidth + static_cast<int64_t>(layout.geometry.barGap) * layout.timeScaleX;
  return ClampI32(advance);
}

int32_t WalkScoreSteps(const StepEditModel& editor, const ScoreLayout& layout, int32_t startLine, int32_t width,
                       ScoreXCursor& cursor, const ScoreStepVisitor& visit) {
  const ModelEvents block(editor);
  Locked lineLock(editor.lineTable);
  const StepEvent* events = block.events();
  const LineEntry* lines = lineLock.as<LineEntry>();
  if (!events || !lines || editor.lineCount <= 0 || editor.eventCount < 0) return -1;

  // The entry after the last line is no line.
  const int32_t lastReal = std::min<int32_t>(editor.lineCount, kTrackSlots) - 1;
  const int32_t eventLimit = std::min<int32_t>(editor.eventCount, block.slots() - 1);
  // First event of a line, -1 past the lines or the events.
  auto eventOf = [&](int32_t line) -> int32_t {
    if (line > lastReal) return -1;
    const uint32_t index = lines[line].firstEvent;
    return index <= static_cast<uint32_t>(eventLimit) ? static_cast<int32_t>(index) : -1;
  };
  auto isJoining = [&](int32_t e) { return e >= 0 && events[e].code >= 0x80 && events[e].code <= 0xFB; };
  const int32_t grid = ScoreGridTicks(ScoreTimeBase(layout.timeBase), (layout.displaySwitch & kScoreQuantize6) != 0);

  int32_t lastLine = -1;
  for (int32_t line = std::max(startLine, 0); line <= lastReal && cursor.x < width; ++line) {
    const int32_t index = eventOf(line);
    if (index < 0) break;
    const StepEvent& e = events[index];
    ScoreStep step{};
    step.line = line;
    step.event = index;
    int64_t length = cursor.length;
    if (e.code < 0xF0) {
      length += e.step;
      // Commands right behind belong to the same step.
      while (isJoining(eventOf(line + 1))) {
        ++line;
        const StepEvent& joined = events[eventOf(line)];
        if (joined.code < 0xF0) length += joined.step;
      }
    } else if (e.code <= 0xFB) {
      length = 0;
    }
    step.lastLine = line;
    const int32_t next = eventOf(line + 1);
    step.lastEvent = next > 0 ? next - 1 : eventLimit;
    step.bar = IsBarCode(e.code);
    step.length = ClampI32(length);
    step.closes = step.bar || step.length >= grid;
    step.x = cursor.x;
    int32_t carry = cursor.carry;
    step.nextX = step.closes
                     ? ClampI32(static_cast<int64_t>(cursor.x) + ScoreChordAdvance(layout, step.length, step.bar, &carry))
                     : cursor.x;
    step.nextCarry = carry;
    if (visit && !visit(step)) break;
    lastLine = line;
    cursor.length = step.closes ? 0 : step.length;
    if (step.closes) {
      cursor.x = step.nextX;
      cursor.carry = carry;
    }
  }
  return lastLine;
}

int32_t WalkScoreLines(ScoreWalkState& state, const StepEditModel& editor, int32_t startLine, int32_t width,
                       ScoreWalkSink* sinkIn) {
  ScoreWalkSink none;
  ScoreWalkSink& sink = sinkIn ? *sinkIn : none;
  state.lastLine = -1;
  if (!state.records.notes()) return -1;

  const ModelEvents block(editor);
  Locked lineLock(editor.lineTable), positionLock(ReadTrackBlock(editor).positions);
  const StepEvent* events = block.events();
  const LineEntry* lines = lineLock.as<LineEntry>();
  const StepPosition* positions = positionLock.as<StepPosition>();
  if (!events || !lines || editor.lineCount <= 0 || editor.eventCount < 0) return -1;
  const int32_t eventLimit = std::min<int32_t>(editor.eventCount, block.slots() - 1);

  ScoreXCursor cursor;
  cursor.x = state.x;
  cursor.carry = state.carry;
  cursor.length = state.chord.length;
  WalkScoreSteps(editor, state.layout, startLine, width, cursor, [&](const ScoreStep& step) {
    for (int32_t line = step.line; line <= step.lastLine; ++line) {
      state.lastLine = line;
      const uint32_t key = lines[line].key & 15u;
      if (key != state.staff.currentStaffKey) BuildStaffTables(state.staff, key);
    }
    const StepEvent& e = events[step.event];
    if (e.code < 0x80 && e.gate != 0 && e.vel != 0) {
      const bool overlaps = positions && (positions[step.event].step & kOverlapBit) != 0;
      const int32_t tie = overlaps ? FindTieDistance(events, eventLimit + 1, step.event, state.layout) : 0;
      AddChordNote(state.chord, e.code, e.gate, ClampU16(tie));
    }
    state.chord.length = step.length;
    if (step.bar) {
      FinishMeasure(state, sink);
      sink.OnBar(state, state.x, e.code);
      ResetBarStaffTable(state.staff);
    }
    return !step.closes || CloseChord(state, sink, step.nextX, step.nextCarry);
  });
  FinishMeasure(state, sink);
  return state.lastLine;
}

int32_t FindTieDistance(const StepEvent* events, int32_t count, int32_t index, const ScoreLayout& layout) {
  if (!events || index < 0 || index >= count) return 0;
  const StepEvent& note = events[index];
  if (note.code >= 0x80 || note.gate == 1) return 0;
  // A bar line between the two notes widens the tie by the bar's width.
  const int64_t bar = TimeBaseTicks((layout.geometry.barGap + layout.geometry.noteHeadWidth) * 10, layout.timeBase);
  int64_t elapsed = note.step;
  int64_t limit = static_cast<int64_t>(note.gate) - 1;
  for (int32_t j = index + 1; j < count; ++j) {
    if (elapsed > limit) return 0;
    const StepEvent& e = events[j];
    if (e.code >= kEndCode) return 0;
    if (e.code == note.code && e.gate != 0 && e.vel != 0) return ClampI32(elapsed);
    if (IsBarCode(e.code)) {
      elapsed += bar;
      limit += bar;
    } else if (e.code < 0xF0) {
      elapsed += e.step;
    }
  }
  return 0;
}

int32_t FindStepLine(const StepEditModel& editor, int32_t eventIndex) {
  if (eventIndex > editor.eventCount) return -1;
  const uint32_t target = static_cast<uint32_t>(std::max(eventIndex, 0));
  Locked lineLock(editor.lineTable);
  const LineEntry* lines = lineLock.as<LineEntry>();
  if (!lines || editor.lineCount <= 0) return -1;
  // Bisection over lines 0..lineCount: the last line starting at or before
  // the event.
  int32_t low = 0, high = std::min<int32_t>(editor.lineCount, kTrackSlots - 1);
  while (low < high) {
    const int32_t mid = low + (high - low + 1) / 2;
    if (lines[mid].firstEvent <= target) low = mid;
    else high = mid - 1;
  }
  return low;
}

int32_t FindMeasureLine(const StepEditModel& editor, const ScoreViewSpan& view, int32_t line) {
  const int32_t lastReal = std::min<int32_t>(editor.lineCount, kTrackSlots) - 1;
  // A line below the last stands for the end event's line.
  line = std::min(line, lastReal);
  if (line <= 0) return 0;
  if (view.startLine >= 0 && view.startLine <= line && line <= view.lastLine) return view.startLine;
  const ModelEvents block(editor);
  Locked lineLock(editor.lineTable);
  const LineEntry* lines = lineLock.as<LineEntry>();
  const StepEvent* events = block.events();
  if (!lines || !events || editor.eventCount < 0) return 0;
  const uint32_t eventLimit = static_cast<uint32_t>(std::min<int32_t>(editor.eventCount, block.slots() - 1));
  for (int32_t at = line; at > 0; --at) {
    const uint32_t before = std::min(lines[at - 1].firstEvent, eventLimit);
    if (IsBarCode(events[before].code)) return at;
  }
  return 0;
}
