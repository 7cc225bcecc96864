// Shift, ex/comp and replicate on a full track.
#include <algorithm>

#include "lineindex.h"
#include "replicate.h"
#include "shiftvalues.h"
#include "stepbench.h"

namespace stepbench {

namespace {

// Measures 1-4 (68 events) 117 times roughly double a track of 8,000.
constexpr int kHalfTrack = 8000;
constexpr uint32_t kTimes = 117;

void Shift(ModelSong& s, StepEditModel& m, uint32_t kind, uint32_t mode, int32_t bias) {
  int16_t table[kPitchClasses];
  std::fill(std::begin(table), std::end(table), static_cast<int16_t>(bias));
  Select(m, 0, m.eventCount - 1);
  if (ShiftStepRange(m, s.ctx, kind, mode, bias, table).status != EditStatus::Ok) std::printf("shift refused\n");
}

void CutToHalf(ModelSong& s, StepEditModel& m) {
  RemoveEvents(m, kHalfTrack, m.eventCount);
  BuildTrackLineIndex(m, s.ctx);
  m.topLine = 0;
  m.caretRow = 1;
}

ReplicateSettings FourMeasures() {
  ReplicateSettings r;
  r.startMeasure = 1;
  r.endMeasure = 4;
  r.sourceTrack = 1;
  r.times = kTimes;
  return r;
}

}  // namespace

void BenchShiftReplicate() {
  Measure("transpose whole track", nullptr,
          [](ModelSong& s, StepEditModel& m) { Shift(s, m, kShiftKindNote, kShiftModeAdd, 5); });
  Measure("shift GT +480 whole track", nullptr,
          [](ModelSong& s, StepEditModel& m) { Shift(s, m, kShiftKindGate, kShiftModeAdd, 480); });
  Measure("ex/comp VEL -36 whole track", nullptr,
          [](ModelSong& s, StepEditModel& m) { Shift(s, m, kShiftKindVelocity, kShiftModeScale, -36); });
  Measure("replicate 8,000 into 8,000", CutToHalf, [](ModelSong& s, StepEditModel& m) {
    if (ReplicateStepRange(m, s.ctx, FourMeasures()).status != EditStatus::Ok) std::printf("replicate refused\n");
  });
  Measure(
      "replicate 8,000, two tracks",
      [](ModelSong& s, StepEditModel& m) {
        CutToHalf(s, m);
        CutToHalf(s, *s.ctx.editors[1]);
      },
      [](ModelSong& s, StepEditModel& m) {
        if (ReplicateAllTracks(m, s.ctx, FourMeasures()).status != EditStatus::Ok)
          std::printf("all-tracks replicate refused\n");
      });
}

}  // namespace stepbench
