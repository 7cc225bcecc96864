#include "valueramp.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "lineindex.h"
#include "zk/cmdcodes.h"

namespace {

constexpr uint8_t kFirstMark = 0xF0;  // codes from here on carry no step time

bool IsNote(const StepEvent& e) { return e.code < 0x80; }

// The keys of the rhythm rows whose flags are set.
void FlaggedRhythmKeys(const StepSongContext& ctx, bool keys[128]) {
  std::fill(keys, keys + 128, false);
  if (!ctx.shared) return;
  for (int row = 0; row < 128; ++row) {
    const uint8_t key = ctx.rhythm[row].key;
    if (ctx.shared->rhythmRowFlags[row] && key < 128) keys[key] = true;
  }
}

}  // namespace

EditResult RampStepValues(StepEditModel& m, StepSongContext& ctx, int command, int32_t top, int32_t end) {
  if (command < kRampSetNote || command > kRampSetVelocity) return RefusedResult();
  if (!MakeContiguous(m, ctx)) return RefusedResult();
  int32_t from, to;
  if (!OrderedSelection(m, &from, &to)) return RefusedResult();
  const bool ramp = command == kRampSetStep;
  bool changed = false;
  {
    ModelEvents block(m);
    StepEvent* e = block.events();
    if (!e || m.eventCount >= block.slots()) return RefusedResult();
    from = std::min(from, m.eventCount);
    to = std::min(to, m.eventCount);

    uint64_t span = 0;
    for (int32_t i = from; i < to; ++i) {
      if (e[i].code < kFirstMark && e[i].code != kCodeExternal) span += e[i].step;
    }
    const uint64_t half = span / 2;
    if (span < 2) span = 1;
    // 64 bits: a few hundred measures of time values times a difference of
    // thousands of ticks does not fit 32.
    const uint64_t distance = static_cast<uint64_t>(std::abs(static_cast<int64_t>(top) - end));
    const bool rising = end > top;

    bool rhythmKeys[128];
    const bool byRow = command == kRampSetVelocity && m.viewMode == kModeRhythmGrid;
    if (byRow) FlaggedRhythmKeys(ctx, rhythmKeys);

    uint64_t elapsed = 0;
    for (int32_t i = from; i <= to; ++i) {
      StepEvent& ev = e[i];
      if (ev.code >= kFirstMark) continue;
      const uint16_t oldStep = ev.step;
      const bool changes = IsNote(ev) && (ramp ? ev.step != 0 : ev.gate != 0 && ev.vel != 0);
      if (!changes) {
        if (ev.code != kCodeExternal) elapsed += oldStep;
        continue;
      }
      const uint64_t q = (distance * std::max<uint64_t>(elapsed, 1) + half) / span;
      const int64_t value = rising ? top + static_cast<int64_t>(q) : top - static_cast<int64_t>(q);
      const StepEvent before = ev;
      switch (command) {
        case kRampSetNote: ev.code = static_cast<uint8_t>(value & 0x7F); break;
        case kRampSetStep: ev.step = static_cast<uint16_t>(value); break;
        case kRampSetGate: ev.gate = static_cast<uint16_t>(value); break;
        default:
          if (!byRow || rhythmKeys[ev.code]) ev.vel = static_cast<uint8_t>(value & 0x7F);
          break;
      }
      changed |= std::memcmp(&before, &ev, sizeof ev) != 0;
      elapsed += oldStep;
    }
  }
  EditResult r;
  if (!changed) return r;
  r.stateBits = ramp ? kStateModified | kStateTiming : kStateModified;
  BuildTrackLineIndex(m, ctx);
  r.indexRebuilt = true;
  return r;
}
