#include "fieldcommit.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "fieldedit.h"
#include "lineindex.h"
#include "zk/cmdcodes.h"

namespace {

constexpr int kMaxKey = 127;
constexpr int32_t kMaxStep = 9999;
constexpr int32_t kMaxGate = 9999;
constexpr int32_t kMaxSameMeasure = 999;
constexpr int32_t kMaxTempoValue = 255;
constexpr int32_t kMaxVelocity = 127;
constexpr int32_t kMaxProgram = 127;
constexpr int32_t kBendLow = -8192;
constexpr int32_t kBendHigh = 8191;
constexpr int32_t kBendCentre = 8192;
// More digits than a field holds; keeps the sum from overflowing.
constexpr int32_t kNumberCeiling = 99999999;

enum class Outcome { Silent, Refused, Changed, StoredLimited };

struct FieldEntry {
  Outcome outcome = Outcome::Silent;
  bool stepChanged = false;
  bool renumber = false;
};

bool IsNote(uint8_t code) { return code < 0x80; }

// Lines whose step, gate and velocity are not numbers one may type over.
bool HoldsNoValues(uint8_t code) { return code == kCodeExternal || code == kCodeComment || code >= kEndCode; }

int32_t Limit(int32_t v, int32_t low, int32_t high) { return std::clamp(v, low, high); }

// Puts the typed text into e as the column's entry.
FieldEntry ApplyTypedField(StepEvent& e, int16_t column, const char* text, bool gap, int octaveAbove,
                           int32_t progOffset) {
  FieldEntry out;
  const int32_t v = ParseFieldNumber(text);
  const bool tempo = e.code == kCodeTempo;
  // In the gap state the event is the note just appended.
  const bool noteLine = gap || IsNote(e.code);
  switch (column) {
    case kFieldNote: {
      if (!noteLine) return out;
      // A key below 0 would land as an end code (0xFF) and cut the track.
      const int key = ParseNoteNameKey(text, octaveAbove);
      if (key < 0 || key > kMaxKey) {
        out.outcome = Outcome::Refused;
        return out;
      }
      e.code = static_cast<uint8_t>(key);
      break;
    }
    case kFieldKey:
      if (!noteLine || v < 0 || v > kMaxKey) {
        out.outcome = Outcome::Refused;
        return out;
      }
      e.code = static_cast<uint8_t>(v);
      break;
    case kFieldStep:
      if (HoldsNoValues(e.code)) {
        out.outcome = Outcome::Refused;
        return out;
      }
      if (e.code == kCodeSameMeasure) {
        e.step = static_cast<uint16_t>(Limit(v - 1, 0, kMaxSameMeasure));
        out.renumber = true;
      } else {
        e.step = static_cast<uint16_t>(Limit(v, 0, kMaxStep));
      }
      out.stepChanged = true;
      break;
    case kFieldGate:
      if (HoldsNoValues(e.code)) {
        out.outcome = Outcome::Refused;
        return out;
      }
      if (e.code == kCodeProgram) {
        const int32_t program = v - (progOffset ? 1 : 0);
        const int32_t kept = Limit(program, 0, kMaxProgram);
        e.gate = static_cast<uint16_t>(kept);
        out.outcome = kept != program ? Outcome::StoredLimited : Outcome::Changed;
        return out;
      }
      e.gate = static_cast<uint16_t>(Limit(v, 0, tempo ? kMaxTempoValue : kMaxGate));
      break;
    case kFieldVel:
      if (HoldsNoValues(e.code)) {
        out.outcome = Outcome::Refused;
        return out;
      }
      if (e.code == kCodePitch) {
        // Held to the bend's range before it is split: beyond it the MSB
        // leaves 0..127 and the clamp would turn a low bend into a high one.
        const int32_t bend = Limit(ParseSignedBend(text), kBendLow, kBendHigh);
        e.vel = static_cast<uint8_t>((bend + kBendCentre) / 128);
        e.gate = static_cast<uint16_t>(bend & 127);
      } else {
        e.vel = static_cast<uint8_t>(Limit(v, 0, tempo ? kMaxTempoValue : kMaxVelocity));
      }
      break;
    default:
      return out;
  }
  out.outcome = Outcome::Changed;
  return out;
}

// Octave of a note name typed without a digit: that of the nearest note
// above, or of key 60.
int OctaveAbove(const StepEditModel& m, const StepSongContext& ctx, int32_t index) {
  return PreviousNoteValues(m, ctx, index).code / 12;
}

int32_t CaretEvent(const StepEditModel& m, int32_t lineOffset) { return LineEvent(m, InsertionLine(m, lineOffset)); }

bool ReadEvent(const StepEditModel& m, int32_t index, StepEvent* out) {
  ModelEvents block(m);
  if (!block.events() || index < 0 || index >= block.slots()) return false;
  *out = block.events()[index];
  return true;
}

void WriteEvent(const StepEditModel& m, int32_t index, const StepEvent& e) {
  ModelEvents block(m);
  if (block.events() && index >= 0 && index < block.slots()) block.events()[index] = e;
}

// The end of a commit: a silent or refused entry only clears the field;
// otherwise the event is written and refreshed.
EditResult Settle(StepEditModel& m, StepSongContext& ctx, int32_t index, const FieldEntry& entry,
                  const StepEvent& edited, EditResult r) {
  if (entry.outcome == Outcome::Silent || entry.outcome == Outcome::Refused) {
    ClearStepFieldBuffer(*ctx.shared);
    return RefusedResult(0, 0, entry.outcome == Outcome::Refused);
  }
  WriteEvent(m, index, edited);
  FinishFieldEdit(m, ctx, index, entry.stepChanged, entry.renumber, r);
  if (m.indexCurrent != 0) r.scrollBars = true;
  if (entry.outcome == Outcome::StoredLimited) r.beep = true;
  return r;
}

// The append at the end line reads the caret line from topLine.
EditResult AppendAtLine(StepEditModel& m, StepSongContext& ctx, int32_t lineOffset) {
  const int32_t top = m.topLine;
  m.topLine = lineOffset;
  EditResult r = RepeatPreviousLineInGap(m, ctx);
  m.topLine = top;
  return r;
}

// Gap state: the typed field goes into a note appended at the end line. The
// entry is checked on the note to be appended first, so that a refused one
// appends nothing.
EditResult CommitIntoNewNote(StepEditModel& m, StepSongContext& ctx, int32_t lineOffset, const char* text) {
  const int32_t at = m.eventCount;
  if (PresentEvents(m) >= kMaxTrackEvents || CaretEvent(m, lineOffset) != at) {
    ClearStepFieldBuffer(*ctx.shared);
    return RefusedResult(0, 0, true);
  }
  StepEvent note = PreviousNoteValues(m, ctx, at);
  const FieldEntry entry =
      ApplyTypedField(note, m.caretColumn, text, true, note.code / 12, ctx.settings.progOffset);
  if (entry.outcome == Outcome::Silent || entry.outcome == Outcome::Refused)
    return Settle(m, ctx, at, entry, note, EditResult{});
  EditResult r = AppendAtLine(m, ctx, lineOffset);
  if (r.status != EditStatus::Ok) {
    ClearStepFieldBuffer(*ctx.shared);
    return r;
  }
  return Settle(m, ctx, at, entry, note, r);
}

EditResult CommitIntoEvent(StepEditModel& m, StepSongContext& ctx, int32_t lineOffset, const char* text) {
  const int32_t index = CaretEvent(m, lineOffset);
  StepEvent e;
  if (!ReadEvent(m, index, &e)) {
    ClearStepFieldBuffer(*ctx.shared);
    return RefusedResult();
  }
  const FieldEntry entry =
      ApplyTypedField(e, m.caretColumn, text, false, OctaveAbove(m, ctx, index), ctx.settings.progOffset);
  return Settle(m, ctx, index, entry, e, EditResult{});
}

// The typed field, cut to its six characters.
void CopyField(const StepSharedState& shared, char (&text)[kFieldChars + 1]) {
  std::memcpy(text, shared.fieldBuffer, kFieldChars);
  text[kFieldChars] = '\0';
}

struct StepOutcome {
  int32_t applied = 0;
  bool stepChanged = false;
  bool renumber = false;
};

bool LeftAloneByStepping(uint8_t code, int16_t column) {
  if (code == kCodeSameMeasure) return column != kFieldStep;
  return code == kCodeExternal || code == kCodeComment || code == kCodeContinue || code >= kCodeRepeatStart;
}

// value + delta, the delta cut so that the value does not pass low or high.
int32_t MovedWithin(int32_t value, int32_t delta, int32_t low, int32_t high) {
  if (delta > 0) return value + std::max<int32_t>(0, std::min(delta, high - value));
  return value + std::min<int32_t>(0, std::max(delta, low - value));
}

// The stepped field's value as shown.
int32_t ShownField(const StepEvent& e, int16_t column) {
  switch (column) {
    case kFieldNote:
    case kFieldKey:
      return e.code;
    case kFieldStep:
      return static_cast<int16_t>(e.step);
    case kFieldGate:
      return static_cast<int16_t>(e.gate);
    case kFieldVel:
      return e.vel;
    default:
      return 0;
  }
}

StepOutcome StepEventField(StepEvent& e, int16_t column, int32_t delta) {
  StepOutcome out;
  if (LeftAloneByStepping(e.code, column)) return out;
  const StepEvent before = e;
  const bool tempo = e.code == kCodeTempo;
  switch (column) {
    case kFieldNote:
    case kFieldKey:
      if (!IsNote(e.code)) return out;
      e.code = static_cast<uint8_t>(MovedWithin(e.code, delta, 0, kMaxKey));
      break;
    case kFieldStep:
      if (e.code == kCodeSameMeasure) {
        e.step = static_cast<uint16_t>(MovedWithin(static_cast<int16_t>(e.step), delta, 0, kMaxSameMeasure));
        out.renumber = true;
      } else {
        e.step = static_cast<uint16_t>(MovedWithin(static_cast<int16_t>(e.step), delta, 0, kMaxStep));
      }
      out.stepChanged = true;
      break;
    case kFieldGate:
      e.gate = static_cast<uint16_t>(
          MovedWithin(static_cast<int16_t>(e.gate), delta, 0, tempo ? kMaxTempoValue : kMaxGate));
      break;
    case kFieldVel:
      e.vel = static_cast<uint8_t>(MovedWithin(e.vel, delta, 0, tempo ? kMaxTempoValue : kMaxVelocity));
      break;
    default:
      return out;
  }
  // What the code can carry bounds the step too (a controller's gate).
  ClampStepEvent(e);
  out.applied = std::abs(ShownField(e, column) - ShownField(before, column));
  return out;
}

EditResult StepCaretField(StepEditModel& m, StepSongContext& ctx, int32_t lineOffset, int32_t delta,
                          int32_t* applied) {
  if (applied) *applied = 0;
  if (m.viewMode != kModeStepList) return RefusedResult();
  const bool gap = m.indexCurrent == 0;
  const int32_t index = CaretEvent(m, lineOffset);
  StepEvent e{};
  const bool found = ReadEvent(m, index, &e);
  const StepOutcome step = found ? StepEventField(e, m.caretColumn, delta) : StepOutcome{};
  if (step.applied == 0) {
    // The gap state refreshes all the same; nothing of the track changes.
    if (gap && ctx.shared) ClearStepFieldBuffer(*ctx.shared);
    return RefusedResult();
  }
  WriteEvent(m, index, e);
  EditResult r;
  FinishFieldEdit(m, ctx, index, step.stepChanged, step.renumber, r);
  if (!gap) r.scrollBars = true;
  if (applied) *applied = step.applied;
  return r;
}

}  // namespace

int32_t ParseFieldNumber(const char* text) {
  if (!text) return 0;
  while (*text == ' ') ++text;
  bool negative = false;
  if (*text == '-' || *text == '+') negative = *text++ == '-';
  int32_t v = 0;
  for (; *text >= '0' && *text <= '9'; ++text) v = std::min(v * 10 + (*text - '0'), kNumberCeiling);
  return negative ? -v : v;
}

int ParseNoteNameKey(const char* text, int octaveAbove) {
  if (!text) return -1;
  static constexpr int kLetterPitch[7] = {9, 11, 0, 2, 4, 5, 7};  // A-G
  const char letter = text[0];
  int pitch = letter >= 'A' && letter <= 'G' ? kLetterPitch[letter - 'A'] : 0;
  if (letter == '\0') return octaveAbove * 12;
  if (text[1] == '#') ++pitch;
  else if (text[1] == 'b') --pitch;
  if (text[1] == '\0' || text[2] == '\0' || text[2] == ' ') return octaveAbove * 12 + pitch;
  if (text[2] < '0' || text[2] > '9') return -1;
  return (text[2] - '0' + 1) * 12 + pitch;
}

int32_t ParseSignedBend(const char* text) {
  if (!text || *text == '\0') return 0;
  if (*text == ' ') return ParseFieldNumber(text);
  char joined[kFieldChars + 2] = {};
  joined[0] = text[0];
  const char* rest = text + 1;
  while (*rest == ' ') ++rest;
  // Longer texts than a field holds are cut.
  for (size_t n = 1; n + 1 < sizeof joined && *rest; ++n) joined[n] = *rest++;
  return ParseFieldNumber(joined);
}

EditResult CommitStepField(StepEditModel& m, StepSongContext& ctx, int32_t lineOffset) {
  if (!ctx.shared || !StepFieldChanged(*ctx.shared)) return RefusedResult();
  char text[kFieldChars + 1];
  CopyField(*ctx.shared, text);
  if (m.viewMode != kModeStepList) {
    ClearStepFieldBuffer(*ctx.shared);
    return RefusedResult();
  }
  if (m.indexCurrent == 0) return CommitIntoNewNote(m, ctx, lineOffset, text);
  return CommitIntoEvent(m, ctx, lineOffset, text);
}

EditResult CommitFieldEdit(StepEditModel& m, StepSongContext& ctx, int32_t lineOffset) {
  if (!ctx.shared || !StepFieldChanged(*ctx.shared)) return RefusedResult();
  char text[kFieldChars + 1];
  CopyField(*ctx.shared, text);
  if (m.indexCurrent == 0) {
    ClearStepFieldBuffer(*ctx.shared);
    return RefusedResult(0, 0, PresentEvents(m) >= kMaxTrackEvents);
  }
  // A note name is committed only by the step list's own commit; in the
  // rhythm grid the caret column is a grid column, not a field.
  if (m.viewMode != kModeStepList || m.caretColumn == kFieldNote) {
    ClearStepFieldBuffer(*ctx.shared);
    return RefusedResult();
  }
  return CommitIntoEvent(m, ctx, lineOffset, text);
}

EditResult StepFieldUp(StepEditModel& m, StepSongContext& ctx, int32_t lineOffset, int32_t amount,
                       int32_t* applied) {
  return StepCaretField(m, ctx, lineOffset, std::max(amount, 0), applied);
}

EditResult StepFieldDown(StepEditModel& m, StepSongContext& ctx, int32_t lineOffset, int32_t amount,
                         int32_t* applied) {
  return StepCaretField(m, ctx, lineOffset, -std::max(amount, 0), applied);
}

int GetCaretEventCode(const StepEditModel& m) {
  StepEvent e;
  if (!ReadEvent(m, LineEvent(m, CaretLine(m)), &e)) return -1;
  return e.code;
}

int32_t GetCaretFieldValue(const StepEditModel& m) {
  StepEvent e;
  if (!ReadEvent(m, LineEvent(m, CaretLine(m)), &e)) return 0;
  if ((m.caretColumn == kFieldStep || m.caretColumn == kFieldGate) && e.code >= 0xF0) return 0;
  return ShownField(e, m.caretColumn);
}
