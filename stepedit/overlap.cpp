#include "overlap.h"

#include "editorblocks.h"
#include "lineindex.h"

bool RecomputeOverlapBits(const StepEvent* events, int32_t end, StepPosition* positions, int32_t index) {
  if (!events || !positions || end < 0 || end >= kTrackSlots || index < 0 || index > end) return false;
  int32_t budget = kOverlapStepBudget;
  for (int32_t i = index; i >= 0; --i) {
    const StepEvent& e = events[i];
    positions[i].step &= ~kOverlapBit;
    if (e.vel != 0 && e.gate != 0 && IndexNoteOverlap(events, end + 1, i) != 0) positions[i].step |= kOverlapBit;
    if (e.code < 0xF0) {
      budget -= e.step;
      if (budget <= 0) break;
    }
  }
  return true;
}

bool RecomputeOverlapFlags(StepEditModel& m, int32_t index) {
  if (m.eventCount < 0 || index > m.eventCount) return false;
  const TrackBlock tb = ReadTrackBlock(m);
  ModelEvents block(m);
  Locked positions(tb.positions);
  if (!block.events() || m.eventCount >= block.slots() || block.events()[m.eventCount].code < kEndCode ||
      !positions.as<StepPosition>() || GlobalSize(tb.positions) < kPositionTableBytes)
    return false;
  return RecomputeOverlapBits(block.events(), m.eventCount, positions.as<StepPosition>(), index);
}
