#include "shiftvalues.h"

#include <algorithm>
#include <climits>

#include "lineindex.h"
#include "noteoverlap.h"
#include "zk/cmdcodes.h"

namespace {

constexpr int64_t kMaxTime = 9999;
constexpr int64_t kMaxBend = 16383;
constexpr int64_t kBendCentre = 8192;
constexpr int64_t kVelocityCentre = 64;
constexpr int64_t kMaxTempo = 255;
constexpr uint16_t kControllerVolume = 7;
constexpr uint16_t kControllerModulation = 1;
constexpr uint16_t kControllerExpression = 11;

bool IsSoundingNote(const StepEvent& e) { return e.code < 0x80 && e.gate != 0 && e.vel != 0; }

// Whether the kind writes this event back at all.
bool Writes(uint32_t kind, const StepEvent& e) {
  switch (kind) {
    case kShiftKindNote: return e.code == kCodeAfterK || IsSoundingNote(e);
    case kShiftKindStep: return e.code < 0xF0;
    case kShiftKindGate:
    case kShiftKindVelocity: return IsSoundingNote(e);
    case kShiftKindControl: return e.code == kCodeControl;
    case kShiftKindVolume: return e.code == kCodeControl && e.gate == kControllerVolume;
    case kShiftKindModulation: return e.code == kCodeControl && e.gate == kControllerModulation;
    case kShiftKindExpression: return e.code == kCodeControl && e.gate == kControllerExpression;
    case kShiftKindBend: return e.code == kCodePitch;
    case kShiftKindAftertouch: return e.code == kCodeAfterC;
    case kShiftKindTempo: return e.code == kCodeTempo;
    default: return false;
  }
}

int64_t Read(uint32_t kind, const StepEvent& e) {
  switch (kind) {
    case kShiftKindNote: return e.code == kCodeAfterK ? e.gate : e.code;
    case kShiftKindStep: return e.step;
    case kShiftKindGate:
    case kShiftKindAftertouch:
    case kShiftKindTempo: return e.gate;
    case kShiftKindBend: return (e.vel & 127) * 128 + (e.gate & 127);
    default: return e.vel;
  }
}

void Write(uint32_t kind, StepEvent& e, int64_t v) {
  switch (kind) {
    case kShiftKindNote:
      if (e.code == kCodeAfterK) e.gate = static_cast<uint16_t>(v);
      else e.code = static_cast<uint8_t>(v);
      break;
    case kShiftKindStep: e.step = static_cast<uint16_t>(v); break;
    case kShiftKindGate:
    case kShiftKindAftertouch:
    case kShiftKindTempo: e.gate = static_cast<uint16_t>(v); break;
    case kShiftKindBend:
      e.vel = static_cast<uint8_t>(v / 128);
      e.gate = static_cast<uint16_t>(v & 127);
      break;
    default: e.vel = static_cast<uint8_t>(v); break;
  }
}

// A gate kept short of the next note of the same key, then clamped.
int64_t FitGate(const StepEvent* e, int count, int index, int64_t g, int64_t low) {
  const int within = static_cast<int>(std::min<int64_t>(g, INT_MAX));
  if (const int distance = FindNoteOverlapWithin(e, count, index, within)) g = distance;
  return std::clamp<int64_t>(g, low, kMaxTime);
}

// The new value of an event the kind writes; -1 to leave the event as it is.
int64_t NewValue(uint32_t kind, bool scale, int64_t b, const int16_t* pitchBias, const StepEvent* e, int count,
                 int index) {
  const int64_t v = Read(kind, e[index]);
  const int64_t f = 100 + b;  // divisions truncate toward zero
  switch (kind) {
    case kShiftKindNote:
      return FoldKeyIntoRange(scale ? v * f / 100 : v + pitchBias[v % kPitchClasses]);
    case kShiftKindStep:
      return std::clamp<int64_t>(scale ? v * f / 100 : v + b, 0, kMaxTime);
    case kShiftKindGate:
      // A note already running into the next one of its key is left alone.
      if (FindNoteOverlap(e, count, index) != 0) return -1;
      if (scale) return v > 0 ? FitGate(e, count, index, v * f / 100, 1) : v;
      return FitGate(e, count, index, v != 0 ? v + b : b, v != 0 ? 1 : 0);
    case kShiftKindVelocity:
      if (scale) return std::clamp<int64_t>(kVelocityCentre + (v - kVelocityCentre) * f / 100, 1, 127);
      return v != 0 ? std::clamp<int64_t>(v + b, 1, 127) : std::clamp<int64_t>(b, 0, 127);
    case kShiftKindBend:
      return std::clamp<int64_t>(scale ? kBendCentre + (v - kBendCentre) * f / 100 : v + b, 0, kMaxBend);
    case kShiftKindTempo:
      return std::clamp<int64_t>(scale ? v * f / 100 : v + b, 0, kMaxTempo);
    default:
      return std::clamp<int64_t>(scale ? v * f / 100 : v + b, 0, 127);
  }
}

}  // namespace

int FoldKeyIntoRange(int64_t key) {
  if (key > 127) key -= 12 * ((key - 127 + 11) / 12);
  else if (key < 0) key += 12 * ((-key + 11) / 12);
  return static_cast<int>(key);
}

CommandCaption SetCommandCaption(int command) {
  CommandCaption c;
  if (command == kCommandReplicate) {
    c.captionId = 50;
  } else if (command >= kCommandTranspose && command <= 2063) {
    c.captionId = static_cast<uint32_t>(51 + command - kCommandTranspose);
    c.kind = static_cast<uint32_t>(kShiftKindNote + command - kCommandTranspose);
    c.mode = kShiftModeAdd;
  } else if (command >= kCommandExCompNote && command <= 2090) {
    c.captionId = static_cast<uint32_t>(62 + command - kCommandExCompNote);
    c.kind = static_cast<uint32_t>(kShiftKindNote + command - kCommandExCompNote);
    c.mode = kShiftModeScale;
  } else if (command >= kCommandSetNote && command <= kCommandSetTempo) {
    c.captionId = static_cast<uint32_t>(1909 + command - kCommandSetNote);
  }
  return c;
}

EditResult ShiftStepRange(StepEditModel& m, StepSongContext& ctx, uint32_t kind, uint32_t mode, int32_t bias,
                          const int16_t pitchBias[kPitchClasses]) {
  if (kind < kShiftKindNote || kind > kShiftKindTempo) return RefusedResult();
  if (mode != kShiftModeAdd && mode != kShiftModeScale) return RefusedResult();
  if (kind == kShiftKindNote && mode == kShiftModeAdd && !pitchBias) return RefusedResult();
  if (!MakeContiguous(m, ctx)) return RefusedResult();

  // On the grid only the marked rows' keys change, except under ST.
  bool keys[256] = {};
  const bool byRow = m.viewMode == kModeRhythmGrid && kind != kShiftKindStep;
  if (byRow && ctx.shared) {
    for (int row = 0; row < 128; ++row) {
      if (ctx.shared->rhythmRowFlags[row]) keys[ctx.rhythm[row].key] = true;
    }
  }
  {
    ModelEvents block(m);
    StepEvent* e = block.events();
    if (!e || m.eventCount >= block.slots()) return RefusedResult();
    int32_t first;
    const int32_t n = SelectedEvents(m, block, &first);
    if (n == 0) return RefusedResult();
    const int count = m.eventCount + 1;
    const bool scale = mode == kShiftModeScale;
    for (int32_t i = first; i < first + n; ++i) {
      if (!Writes(kind, e[i]) || (byRow && !keys[e[i].code])) continue;
      const int64_t v = NewValue(kind, scale, bias, pitchBias, e, count, i);
      if (v >= 0) Write(kind, e[i], v);
    }
  }
  BuildTrackLineIndex(m, ctx);
  EditResult r;
  r.stateBits = kind == kShiftKindStep ? kStateModified | kStateTiming : kStateModified;
  r.indexRebuilt = true;
  return r;
}
