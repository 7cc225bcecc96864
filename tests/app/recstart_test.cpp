#include "recstart.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

StepEvent N(uint16_t step) { return StepEvent{60, 100, step, static_cast<uint16_t>(step / 2)}; }
StepEvent C(uint8_t code, uint16_t step = 0, uint16_t gate = 0) { return StepEvent{code, 0, step, gate}; }
const StepEvent kBar = C(0xFD);
const StepEvent kEnd = C(0xFE);
StepEvent Ref(int target) { return C(0xFC, 0, static_cast<uint16_t>(target + 48)); }

struct TicksCase {
  const char* name;
  std::vector<StepEvent> events;
  int timeBase;
  int measures;
  bool endIsZero;
  int64_t ticks;
  int nextIndex;
};

class MeasureToTicksTest : public ::testing::TestWithParam<TicksCase> {};

TEST_P(MeasureToTicksTest, TicksAndNextMeasure) {
  const TicksCase& c = GetParam();
  const MeasureTicks m =
      MeasureToTicks(c.events.data(), static_cast<int>(c.events.size()), c.timeBase, c.measures, c.endIsZero);
  EXPECT_EQ(m.ticks, c.ticks);
  EXPECT_EQ(m.nextIndex, c.nextIndex);
}

const std::vector<StepEvent> kTwoBars = {N(480), N(480), kBar, N(960), kBar, kEnd};

INSTANTIATE_TEST_SUITE_P(
    Cases, MeasureToTicksTest,
    ::testing::Values(
        TicksCase{"NoMeasures", kTwoBars, 480, 0, false, 0, 0},
        TicksCase{"FirstMeasure", kTwoBars, 480, 1, false, 960, 3},
        TicksCase{"BothMeasures", kTwoBars, 480, 2, false, 1920, 5},
        TicksCase{"PastTheEnd", kTwoBars, 480, 3, false, 1920, 5},
        TicksCase{"PastTheEndIsZero", kTwoBars, 480, 3, true, 0, 5},
        TicksCase{"WithinTheTrackEndIsZeroKeepsTicks", kTwoBars, 480, 2, true, 1920, 5},
        // Exact for every time base: 240 doubles, 960 halves, 100 is 4.8.
        TicksCase{"TimeBase240", kTwoBars, 240, 1, false, 1920, 3},
        TicksCase{"TimeBase960", kTwoBars, 960, 1, false, 480, 3},
        TicksCase{"TimeBase100", {N(100), N(25), kBar, kEnd}, 100, 1, false, 600, 3},
        TicksCase{"Repeat", {C(0xF9), N(120), C(0xF8, 4), kBar, kEnd}, 480, 1, false, 480, 4},
        TicksCase{"RepeatCountZeroPlays65536Times", {C(0xF9), N(120), C(0xF8, 0), kBar, kEnd}, 480, 1, false,
                  int64_t{120} * 65536, 4},
        TicksCase{"NestedRepeats", {C(0xF9), C(0xF9), N(10), C(0xF8, 3), N(5), C(0xF8, 2), kBar, kEnd}, 480, 1, false,
                  70, 7},
        TicksCase{"OpenRepeatCountsOnce", {N(100), C(0xF9), N(20), kBar, kEnd}, 480, 1, false, 120, 4},
        TicksCase{"ReferenceCountsItsMeasure", {N(480), kBar, Ref(0), kEnd}, 480, 2, false, 960, 3},
        TicksCase{"ReferenceOutsideTheBlockAddsNothing", {N(480), kBar, Ref(40), kEnd}, 480, 2, false, 480, 3},
        TicksCase{"NoEndEventStaysInTheBlock", {N(480), kBar, N(480)}, 480, 5, false, 960, 3}),
    [](const ::testing::TestParamInfo<TicksCase>& info) { return std::string(info.param.name); });

TEST(MeasureToTicksTest, ChainOfTenReferencesStopsAtTheTenth) {
  // Events 2-11 name each other in turn; the walk follows nine links and
  // finds the tenth reference, which holds no steps.
  std::vector<StepEvent> ev = {N(480), kBar};
  for (int k = 0; k < 10; ++k) ev.push_back(Ref(k + 1 < 10 ? 3 + k : 0));
  ev.push_back(kEnd);
  const MeasureTicks m = MeasureToTicks(ev.data(), static_cast<int>(ev.size()), 480, 2, false);
  EXPECT_EQ(m.ticks, 480);
}

struct MetronomeCase {
  const char* name;
  int beats;
  int beatUnit;
  int timeBase;
  bool sounding;
  uint16_t step;
  uint8_t accent;
  StepEvent plain;
  uint16_t count;
};

class MetronomeTest : public ::testing::TestWithParam<MetronomeCase> {};

TEST_P(MetronomeTest, NineEventsOnChannelTen) {
  const MetronomeCase& c = GetParam();
  const MetronomeTrack t = BuildMetronomeTrack(c.beats, c.beatUnit, c.timeBase, c.sounding);
  EXPECT_EQ(t.header.channel, 9);
  EXPECT_EQ(t.header.keyShift, 0);
  EXPECT_EQ(t.header.stepShift, 0);
  EXPECT_EQ(t.header.mode, 0);
  const uint8_t codes[kMetronomeEvents] = {0xF9, 0xF9, 37, 0xF9, 37, 0xF8, 0xF8, 0xF8, 0xFE};
  for (int i = 0; i < kMetronomeEvents; ++i) EXPECT_EQ(t.events[i].code, codes[i]) << i;
  EXPECT_EQ(t.events[2].vel, c.accent);
  EXPECT_EQ(t.events[2].step, c.step);
  EXPECT_EQ(t.events[2].gate, c.step / 2);
  EXPECT_EQ(t.events[4].vel, c.plain.vel);
  EXPECT_EQ(t.events[4].step, c.plain.step);
  EXPECT_EQ(t.events[4].gate, c.plain.gate);
  EXPECT_EQ(t.events[5].step, c.count);
  EXPECT_EQ(t.events[6].step, 0);
  EXPECT_EQ(t.events[7].step, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MetronomeTest,
    ::testing::Values(MetronomeCase{"FourFour", 4, 4, 480, true, 480, 120, StepEvent{37, 64, 480, 240}, 3},
                      MetronomeCase{"SixEight", 6, 8, 480, true, 240, 120, StepEvent{37, 64, 240, 120}, 5},
                      MetronomeCase{"OneBeat", 1, 4, 480, true, 480, 120, StepEvent{37, 0, 0, 0}, 1},
                      MetronomeCase{"Off", 4, 4, 96, false, 96, 0, StepEvent{37, 0, 96, 48}, 3}),
    [](const ::testing::TestParamInfo<MetronomeCase>& info) { return std::string(info.param.name); });

// Four measures of a whole note each at 480: 1,920 ticks a measure.
const std::vector<StepEvent> kFourBars = {N(1920), kBar, N(1920), kBar, N(1920), kBar, N(1920), kBar, kEnd};

struct PlanCase {
  const char* name;
  RecordSettings settings;
  uint32_t flags;
  int64_t punchIn;
  int64_t punchOut;
  int64_t start;
  int startIndex;
};

class RecordPlanTest : public ::testing::TestWithParam<PlanCase> {};

TEST_P(RecordPlanTest, FlagsAndPunchPoints) {
  const PlanCase& c = GetParam();
  const RecordStartPlan p = PlanRecordStart(kFourBars.data(), static_cast<int>(kFourBars.size()), 480, c.settings);
  EXPECT_EQ(p.flags, c.flags);
  EXPECT_EQ(p.punchIn, c.punchIn);
  EXPECT_EQ(p.punchOut, c.punchOut);
  EXPECT_EQ(p.start, c.start);
  EXPECT_EQ(p.startIndex, c.startIndex);
}

RecordSettings Settings(int in, int out, int start, bool metronome, bool keyOn) {
  RecordSettings s;
  s.punchInMeasure = in;
  s.punchOutMeasure = out;
  s.playStartMeasure = start;
  s.metronome = metronome;
  s.keyOnStart = keyOn;
  return s;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordPlanTest,
    ::testing::Values(
        // Key-on start only when recording starts where the play starts.
        PlanCase{"KeyOnStartAtThePlayStart", Settings(1, 999, 1, true, true), 0x7, 0, 0, 0, 0},
        PlanCase{"KeyOnStartLaterPunchIn", Settings(2, 999, 1, true, true), 0x5, 1920, 0, 0, 0},
        PlanCase{"MetronomeOff", Settings(1, 999, 1, false, false), 0x1, 0, 0, 0, 0},
        // Both punch points count from the play start.
        PlanCase{"FromMeasureTwoPunchThreeToFour", Settings(3, 4, 2, true, false), 0x5, 1920, 5760, 1920, 2},
        PlanCase{"PunchOutPastTheEndIsNone", Settings(1, 9, 1, true, false), 0x5, 0, 0, 0, 0}),
    [](const ::testing::TestParamInfo<PlanCase>& info) { return std::string(info.param.name); });

}  // namespace
