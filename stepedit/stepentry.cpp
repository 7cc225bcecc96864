#include "stepentry.h"

#include <algorithm>

#include "editorblocks.h"
#include "fieldcommit.h"
#include "fieldedit.h"
#include "lineindex.h"
#include "notecaret.h"
#include "stepinputmodes.h"

namespace {

constexpr int kSettingsTimeBase = 480;
constexpr int kTimeFieldMax = 9999;
constexpr int kFunctionKeys = 10;
constexpr uint8_t kRestKey = 60;
constexpr uint8_t kGridVelocity = 64;
constexpr uint8_t kFirstUntimedCode = 0xF0;

bool IsNote(const StepEvent& e) { return e.code < 0x80; }
// From 0xF0 up the step field holds no time (a key, a measure number, text).
bool StepIsTime(const StepEvent& e) { return e.code < kFirstUntimedCode; }
bool HasStep(const StepEvent& e) { return StepIsTime(e) && e.step != 0; }

enum class Typed { None, Key, Invalid };

// A key typed into the NOTE or K# field of the step list.
Typed TypedKey(const StepEditModel& m, const StepSongContext& ctx, int* key) {
  if (m.viewMode != kModeStepList || !ctx.shared || !StepFieldChanged(*ctx.shared)) return Typed::None;
  if (m.caretColumn != kFieldNote && m.caretColumn != kFieldKey) return Typed::None;
  const char* text = ctx.shared->fieldBuffer;
  // A note name without its octave digit takes the octave of the note above.
  const int k = m.caretColumn == kFieldNote
                    ? ParseNoteNameKey(text, PreviousNoteValues(m, ctx, LineEvent(m, CaretLine(m))).code / 12)
                    : ParseFieldNumber(text);
  if (k < 0 || k > 127) return Typed::Invalid;
  *key = k;
  return Typed::Key;
}

EditResult RefuseTyped(StepSongContext& ctx) {
  if (ctx.shared) ClearStepFieldBuffer(*ctx.shared);
  return RefusedResult(0, 0, true);
}

// MIDI(fkey): the held keys are the chord; none held enters a rest.
EditResult EnterHeldKeys(StepEditModel& m, StepSongContext& ctx, const OneTouchTimes& t) {
  const uint8_t* held = ctx.shared->heldKeys;
  int last = -1;
  for (int k = 0; k < kHeldKeyCount; ++k) {
    if (held[k]) last = k;
  }
  if (last < 0) return SetNoteAtCaret(m, ctx, kRestKey, t.step, 0, kKeepValue);
  EditResult r;
  for (int k = 0; k <= last; ++k) {
    if (!held[k]) continue;
    // 255 (and anything above a velocity) marks a key whose velocity is not used.
    const int velocity = ctx.settings.midiInVelocity && held[k] <= 127 ? held[k] : kKeepValue;
    MergeEditResult(r, SetNoteAtCaret(m, ctx, k, k == last ? t.step : 0, t.gate, velocity));
  }
  return r;
}

// Rhythm grid with the gap open: a new column of the caret row's key.
EditResult AppendGridColumn(StepEditModel& m, StepSongContext& ctx, const OneTouchTimes& t) {
  const uint8_t key = ctx.rhythm[(m.rhythmKeyScroll + m.caretRow - 1) & 127].key;
  // A rhythm key of 128 or more would be written as a command code.
  if (key >= 0x80) return RefusedResult(0, 0, true);
  // The append keeps the gap open, so the next key adds the next column.
  EditResult r = RepeatPreviousLineInGap(m, ctx);
  if (r.status != EditStatus::Ok) return r;
  const int32_t at = m.eventCount - 1;
  {
    ModelEvents block(m);
    if (block.events() && at >= 0 && at < block.slots())
      block.events()[at] = StepEvent{key, kGridVelocity, static_cast<uint16_t>(t.step), static_cast<uint16_t>(t.gate)};
  }
  BuildTrackLineIndex(m, ctx);
  r.indexRebuilt = true;
  r.stateBits = t.step != 0 ? kStateModified | kStateTiming : kStateModified;
  r.rightArrow = true;
  return r;
}

// Step list with the gap open: the end line becomes a note first.
EditResult EnterInGapLine(StepEditModel& m, StepSongContext& ctx, const OneTouchTimes& t) {
  int key = -1;
  const Typed typed = TypedKey(m, ctx, &key);
  if (typed == Typed::Invalid) return RefuseTyped(ctx);
  const int32_t index = LineEvent(m, CaretLine(m));
  if (index < 0 || index > m.eventCount) return RefusedResult();
  EditResult r;
  bool stepChanged = false;
  if (index == m.eventCount) {
    r = RepeatPreviousLineInGap(m, ctx);  // clears the typed field: the key was read first
    if (r.status != EditStatus::Ok) return r;
    stepChanged = true;
  }
  {
    ModelEvents block(m);
    StepEvent* e = block.events();
    if (!e || index >= block.slots() || index >= m.eventCount) return RefusedResult();
    StepEvent& ev = e[index];
    if (IsNote(ev)) {
      if (typed == Typed::Key) ev.code = static_cast<uint8_t>(key);
      ev.gate = static_cast<uint16_t>(t.gate);
    }
    if (StepIsTime(ev)) {
      stepChanged |= ev.step != t.step;
      ev.step = static_cast<uint16_t>(t.step);
    }
  }
  FinishFieldEdit(m, ctx, index, stepChanged, false, r);
  r.lineDown = true;
  return r;
}

// Normal state: the note at the caret and the events sounding with it.
EditResult EnterAtNote(StepEditModel& m, StepSongContext& ctx, const OneTouchTimes& t) {
  const int32_t caretLine = CaretLine(m);
  const int32_t index = LineEvent(m, caretLine);
  {
    ModelEvents block(m);
    const StepEvent* e = block.events();
    if (!e || index < 0 || index >= std::min(m.eventCount, block.slots()) || !IsNote(e[index])) {
      if (ctx.shared) ClearStepFieldBuffer(*ctx.shared);
      return RefusedResult();
    }
  }
  int key = -1;
  const Typed typed = TypedKey(m, ctx, &key);
  if (typed == Typed::Invalid) return RefuseTyped(ctx);
  int32_t stop = -1, last = index;
  bool stepChanged = false;
  {
    ModelEvents block(m);
    StepEvent* e = block.events();
    const int32_t end = std::min(m.eventCount, block.slots());
    if (!e || index >= end) return RefusedResult();
    if (typed == Typed::Key) e[index].code = static_cast<uint8_t>(key);
    // Events without a step sound with the note: notes among them take the
    // gate; the first event with a step takes the new step.
    int32_t i = index;
    for (; i < end && !HasStep(e[i]); ++i) {
      if (IsNote(e[i])) e[i].gate = static_cast<uint16_t>(t.gate);
      last = i;
    }
    stop = i;
    if (i < end) {
      stepChanged = e[i].step != t.step;
      e[i].step = static_cast<uint16_t>(t.step);
      if (IsNote(e[i]) && m.viewMode == kModeStepList) e[i].gate = static_cast<uint16_t>(t.gate);
      last = i;
    }
  }
  EditResult r;
  FinishFieldEdit(m, ctx, last, stepChanged, false, r);
  // The caret follows the walk, keeping its row (or grid column).
  const int32_t passed = LineOfEvent(m, std::min(stop, m.eventCount)) - caretLine;
  if (passed > 0) {
    m.topLine += passed;
    r.scrollBars = true;
  }
  if (m.viewMode == kModeRhythmGrid) r.rightArrow = true;
  else r.lineDown = true;
  return r;
}

}  // namespace

EditResult RepeatPreviousLine(StepEditModel& m, StepSongContext& ctx) {
  if (m.viewMode != kModeStepList) return RefusedResult();
  if (m.indexCurrent == 0) return RepeatPreviousLineInGap(m, ctx);
  const int32_t index = LineEvent(m, CaretLine(m));
  if (index < 0 || index >= m.eventCount) return RefusedResult();
  const StepEvent from = PreviousNoteValues(m, ctx, index);
  bool stepChanged = false;
  {
    ModelEvents block(m);
    StepEvent* e = block.events();
    if (!e || index >= block.slots() || !IsNote(e[index])) return RefusedResult();
    StepEvent& note = e[index];
    const uint16_t oldStep = note.step;
    switch (m.caretColumn) {
      case kFieldNote:
      case kFieldKey:
        note.code = from.code;
        [[fallthrough]];
      case kFieldStep:
        note.step = from.step;
        [[fallthrough]];
      case kFieldGate:
        note.gate = from.gate;
        [[fallthrough]];
      case kFieldVel:
        note.vel = from.vel;
        break;
      default:
        return RefusedResult();
    }
    stepChanged = note.step != oldStep;
  }
  EditResult r;
  FinishFieldEdit(m, ctx, index, stepChanged, false, r);
  r.scrollBars = true;
  return r;
}

OneTouchTimes OneTouchStepGate(const StepSongContext& ctx, int n, bool shiftHeld) {
  OneTouchTimes t;
  if (n < 1 || n > kFunctionKeys) return t;
  const int64_t base = ctx.timeBase ? ctx.timeBase : kSettingsTimeBase;
  int64_t step = static_cast<int64_t>(ctx.settings.fkeyStep[n - 1]) * base / kSettingsTimeBase;
  int64_t gate = static_cast<int64_t>(ctx.settings.fkeyGate[n - 1]) * base / kSettingsTimeBase;
  const bool rest = (shiftHeld && ctx.settings.fkeyRest) || (ctx.shared && ctx.shared->paletteRest);
  if (rest) {
    gate = 0;
  } else if (shiftHeld) {
    // F2, F4, F6 and F8 hold dotted values and gain a second dot; the
    // others become triplets.
    const bool evenBelowTen = n % 2 == 0 && n != kFunctionKeys;
    if (evenBelowTen) {
      step = (2 * step + step / 3) / 2;
      gate = (2 * gate + gate / 3) / 2;
    } else {
      step = 2 * step / 3;
      gate = 2 * gate / 3;
    }
  }
  // The settings file can hold any 16-bit value; the fields take 0-9,999.
  t.step = static_cast<int>(std::clamp<int64_t>(step, 0, kTimeFieldMax));
  t.gate = static_cast<int>(std::clamp<int64_t>(gate, 0, kTimeFieldMax));
  return t;
}

EditResult OneTouchStepEntry(StepEditModel& m, StepSongContext& ctx, int n, bool shiftHeld) {
  if (ctx.playing || n < 1 || n > kFunctionKeys) return RefusedResult();
  const OneTouchTimes t = OneTouchStepGate(ctx, n, shiftHeld);
  if (ctx.shared && StepInputModeOf(*ctx.shared) == kStepModeFKey) return EnterHeldKeys(m, ctx, t);
  if (m.indexCurrent == 0) {
    if (PresentEvents(m) >= kMaxTrackEvents) return RefusedResult(0, 0, true);
    return m.viewMode == kModeRhythmGrid ? AppendGridColumn(m, ctx, t) : EnterInGapLine(m, ctx, t);
  }
  return EnterAtNote(m, ctx, t);
}
