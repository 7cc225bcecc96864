// Quantize and the value ramp on a full track.
#include "quantize.h"
#include "stepbench.h"
#include "valueramp.h"

namespace stepbench {

namespace {

// Every event of the track within a few thousand ticks, notes between
// pitch bends that the filter keeps in place: the reorder's scans would
// each cover the whole track.
void DenseTrack(ModelSong& song, StepEditModel& m) {
  {
    ModelEvents block(m);
    StepEvent* e = block.events();
    for (int i = 0; i < kMaxTrackEvents; ++i) {
      e[i] = i % 2 ? Ev(0xEE, 64, 0, 0) : Note(static_cast<uint8_t>(48 + i % 24), i % 6 == 0 ? 1 : 0, 100);
    }
    e[kMaxTrackEvents] = EndEvent();
  }
  BuildTrackLineIndex(m, song.ctx);
}

void SelectAll(ModelSong&, StepEditModel& m) { Select(m, 0, m.eventCount - 1); }

}  // namespace

void BenchQuantizeRamp() {
  const EventFilter none;
  Measure("quantize whole track 100%", SelectAll, [&](ModelSong& s, StepEditModel& m) {
    QuantizeStepRange(m, s.ctx, 60, 100, none);
  });
  Measure("quantize whole track 50%", SelectAll, [&](ModelSong& s, StepEditModel& m) {
    QuantizeStepRange(m, s.ctx, 80, 50, none);
  });
  EventFilter bends;
  bends.mask = kFilterPitchBend;
  Measure("quantize dense track 50%",
          [](ModelSong& s, StepEditModel& m) {
            DenseTrack(s, m);
            SelectAll(s, m);
          },
          [&](ModelSong& s, StepEditModel& m) { QuantizeStepRange(m, s.ctx, 120, 50, bends); });
  Measure("ramp ST whole track", SelectAll, [](ModelSong& s, StepEditModel& m) {
    RampStepValues(m, s.ctx, kRampSetStep, 60, 240);
  });
  Measure("ramp VEL whole track", SelectAll, [](ModelSong& s, StepEditModel& m) {
    RampStepValues(m, s.ctx, kRampSetVelocity, 127, 1);
  });
}

}  // namespace stepbench
