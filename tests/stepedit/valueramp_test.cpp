#include "valueramp.h"

#include <gtest/gtest.h>

#include "editmodel.h"
#include "modelfixture.h"
#include "testsupport.h"

namespace {

using namespace modelfixture;

StepEvent Rest(uint8_t key, uint16_t step) { return Note(key, step, 0, 0); }

struct Outcome {
  EditResult result;
  Events after;
};

Outcome Ramp(const Events& track, int32_t from, int32_t to, int command, int32_t top, int32_t end) {
  ModelSong song;
  song.SetTrack(1, track);
  StepEditModel& m = song.Open(1);
  m.selFrom = from;
  m.selTo = to;
  Outcome run;
  run.result = RampStepValues(m, song.ctx, command, top, end);
  run.after = song.Read(1);
  return run;
}

#define EXPECT_TRACK(actual, expected) EXPECT_TRUE(SameBytes(actual, expected)) << ShowEvents(actual)

TEST(ValueRamp, RangesWithoutTimeSetEveryNoteToTheEnd) {
  // T of 0 (no steps before the last event) and of 1: Top -/+ D at once.
  struct Case {
    const char* what;
    int command;
    int32_t top, end;
    Events track, want;
  } cases[] = {
      {"VEL T=0", kRampSetVelocity, 100, 40, Track({Note(60, 0), Note(62, 0), Note(64, 5)}),
       Track({Note(60, 0, 10, 40), Note(62, 0, 10, 40), Note(64, 5, 10, 40)})},
      {"GT T=1", kRampSetGate, 10, 300, Track({Note(60, 1), Note(62, 0), Note(64, 5)}),
       Track({Note(60, 1, 300), Note(62, 0, 300), Note(64, 5, 300)})},
      {"NOTE T=1", kRampSetNote, 60, 72, Track({Note(60, 1), Note(62, 0), Note(64, 5)}),
       Track({Note(72, 1), Note(72, 0), Note(72, 5)})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Outcome run = Ramp(c.track, 0, 2, c.command, c.top, c.end);
    EXPECT_EQ(run.result.status, EditStatus::Ok);
    EXPECT_EQ(run.result.stateBits, 1u);
    EXPECT_TRACK(run.after, c.want);
  }
}

TEST(ValueRamp, RestsKeepTheirValuesButTheirStepsAdvanceTheRamp) {
  // T = 30, H = 15, D = 90: the first note gets 10 + (90 + 15) / 30 = 13,
  // the rest at 10 is passed over, then 10 + (90 x 20 + 15) / 30 = 70 at 20
  // and the end value at 30.
  const Events track = Track({Note(60, 10), Rest(62, 10), Note(64, 10), Note(65, 10), Note(67, 99)});
  const Outcome run = Ramp(track, 0, 3, kRampSetVelocity, 10, 100);
  EXPECT_EQ(run.result.stateBits, 1u);
  EXPECT_TRACK(run.after, Track({Note(60, 10, 10, 13), Rest(62, 10), Note(64, 10, 10, 70), Note(65, 10, 10, 100),
                                 Note(67, 99)}));

  // Falling, and GT passes over a note of velocity 0 the same way.
  const Events gated = Track({Note(60, 10), Note(62, 10, 10, 0), Note(64, 10), Note(65, 10)});
  const Outcome gt = Ramp(gated, 0, 3, kRampSetGate, 100, 10);
  EXPECT_TRACK(gt.after, Track({Note(60, 10, 97), Note(62, 10, 10, 0), Note(64, 10, 40), Note(65, 10, 10)}));
}

TEST(ValueRamp, StepRampAdvancesByTheOldSteps) {
  // T = 10 + 0 + 20 + 30 = 60, H = 30, D = 90, falling from 100. The note of
  // step 0 is passed over; the controller is not a note but its step counts.
  const Events track = Track({Note(60, 10), Note(62, 0), Note(64, 20), Ev(0xEB, 64, 30, 7), Note(65, 40)});
  const Outcome run = Ramp(track, 0, 4, kRampSetStep, 100, 10);
  EXPECT_EQ(run.result.status, EditStatus::Ok);
  EXPECT_EQ(run.result.stateBits, 3u);
  EXPECT_TRUE(run.result.indexRebuilt);
  EXPECT_TRACK(run.after, Track({Note(60, 98), Note(62, 0), Note(64, 85), Ev(0xEB, 64, 30, 7), Note(65, 10)}));
}

TEST(ValueRamp, MarksAndExternalCommandsTakeNoTime) {
  // The external command's step and the measure end are left out of T and t:
  // T = 10 + 10, H = 10; the last note sits at t = 20.
  const Events track =
      Track({Note(60, 10), Ev(0x99, 0, 500, 0), MeasureEnd(), Note(62, 10), Note(64, 5)});
  const Outcome run = Ramp(track, 0, 4, kRampSetVelocity, 0, 100);
  EXPECT_TRACK(run.after, Track({Note(60, 10, 10, 5), Ev(0x99, 0, 500, 0), MeasureEnd(), Note(62, 10, 10, 50),
                                 Note(64, 5, 10, 100)}));
}

TEST(ValueRamp, RhythmVelocityFollowsTheRowFlags) {
  const Events track = Track({Note(36, 10, 10, 90), Note(38, 10, 10, 90), Note(42, 10, 10, 90)});
  for (bool rhythm : {false, true}) {
    SCOPED_TRACE(rhythm);
    ModelSong song;
    song.ctx.rhythm[0].key = 36;
    song.ctx.rhythm[1].key = 38;
    song.ctx.rhythm[2].key = 42;
    song.shared.rhythmRowFlags[0] = 1;
    song.shared.rhythmRowFlags[2] = 1;
    song.SetTrack(1, track);
    StepEditModel& m = song.Open(1, rhythm);
    m.selFrom = 0;
    m.selTo = 2;
    const EditResult r = RampStepValues(m, song.ctx, kRampSetVelocity, 50, 50);
    EXPECT_EQ(r.stateBits, 1u);
    const uint8_t snare = rhythm ? 90 : 50;  // row 1 is not flagged
    EXPECT_TRACK(song.Read(1), Track({Note(36, 10, 10, 50), Note(38, 10, 10, snare), Note(42, 10, 10, 50)}));
  }
}

TEST(ValueRamp, LongStepRampDoesNotOverflow) {
  // 501 notes a measure apart: T = 960,000 and D x t reaches 9.6e9.
  Events track;
  for (int i = 0; i < 501; ++i) track.push_back(Note(60, 1920, 100));
  track.push_back(EndEvent());
  const Outcome run = Ramp(track, 0, 500, kRampSetStep, 10, 9990);
  ASSERT_EQ(run.after.size(), track.size());
  EXPECT_EQ(run.after[0].step, 10);
  EXPECT_EQ(run.after[250].step, 5000);  // 10 + (9980 x 480,000 + 480,000) / 960,000
  EXPECT_EQ(run.after[500].step, 9990);
  for (int i = 1; i <= 500; ++i) ASSERT_GE(run.after[i].step, run.after[i - 1].step) << i;
}

TEST(ValueRamp, OtherCommandsAndNoSelectionChangeNothing) {
  const Events track = Track({Note(60, 10), Note(62, 10)});
  for (int command : {2090, 2095, 0}) {
    SCOPED_TRACE(command);
    const Outcome run = Ramp(track, 0, 1, command, 0, 127);
    EXPECT_EQ(run.result.status, EditStatus::Refused);
    EXPECT_TRACK(run.after, track);
  }
  const Outcome none = Ramp(track, -1, -1, kRampSetVelocity, 0, 127);
  EXPECT_EQ(none.result.status, EditStatus::Refused);
  EXPECT_TRACK(none.after, track);
  // Values that are already there: Ok, but nothing to mark.
  const Outcome same = Ramp(track, 0, 1, kRampSetVelocity, 100, 100);
  EXPECT_EQ(same.result.status, EditStatus::Ok);
  EXPECT_EQ(same.result.stateBits, 0u);
  EXPECT_TRACK(same.after, track);
}

}  // namespace
