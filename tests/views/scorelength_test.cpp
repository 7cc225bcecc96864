#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "dispswitchdlg.h"
#include "scorelength.h"
#include "settings.h"

namespace {

struct Value {
  int32_t noteValue;
  int32_t mark;
  int32_t flags;
};

void ExpectValue(const Value& want, const NoteValueResult& got) {
  EXPECT_EQ(want.noteValue, got.noteValue);
  EXPECT_EQ(want.mark, got.mark);
  EXPECT_EQ(want.flags, got.flagCount);
}

TEST(ScoreLength, ClassifyAt480) {
  struct Case {
    int32_t length;
    Value value;
  } cases[] = {
      {480, {4, kMarkPlain, 0}},
      {720, {4, kMarkDotted, 0}},
      {320, {4, kMarkTriplet, 0}},
      {840, {4, kMarkDoubleDotted, 0}},
      {19, {0, 0, 0}},
      {3120, {0, 0, 0}},
      {3119, {1, kMarkDotted, 0}},
      {20, {64, kMarkTriplet, 4}},
      {30, {64, kMarkPlain, 4}},
      {60, {32, kMarkPlain, 3}},
      {90, {32, kMarkDotted, 3}},
      {120, {16, kMarkPlain, 2}},
      {160, {8, kMarkTriplet, 1}},
      {180, {16, kMarkDotted, 2}},
      {240, {8, kMarkPlain, 1}},
      {360, {8, kMarkDotted, 1}},
      {960, {2, kMarkPlain, 0}},
      {1280, {1, kMarkTriplet, 0}},
      {1440, {2, kMarkDotted, 0}},
      {1920, {1, kMarkPlain, 0}},
      {0, {0, 0, 0}},
      {-480, {0, 0, 0}},
      {65535, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    ExpectValue(c.value, ClassifyNoteLength(c.length, 480));
  }
}

TEST(ScoreLength, AQuarterIsAQuarterAtEveryTimeBase) {
  for (int32_t timeBase : {96, 960, 384, 48, 120, 1000, 1, 65535}) {
    SCOPED_TRACE(timeBase);
    ExpectValue({4, kMarkPlain, 0}, ClassifyNoteLength(timeBase, timeBase));
    if (timeBase > 1) ExpectValue({4, kMarkDotted, 0}, ClassifyNoteLength(timeBase * 3 / 2, timeBase));
    ExpectValue({1, kMarkPlain, 0}, ClassifyNoteLength(timeBase * 4, timeBase));
  }
  // An eighth triplet at 384 is 128 ticks; a sixteenth at 960 is 240.
  ExpectValue({8, kMarkTriplet, 1}, ClassifyNoteLength(128, 384));
  ExpectValue({16, kMarkPlain, 2}, ClassifyNoteLength(240, 960));
  // A time base of 0 counts as 480.
  ExpectValue({4, kMarkPlain, 0}, ClassifyNoteLength(480, 0));
  ExpectValue({8, kMarkPlain, 1}, ClassifyNoteLength(240, 0));
}

TEST(ScoreLength, NormalisationCarriesTheRemainder) {
  // 384 one-tick steps make a quarter; alone each is one tick at 480.
  int32_t carry = 0;
  int32_t sum = 0;
  int32_t plain = 0;
  for (int i = 0; i < 384; ++i) {
    sum += NormalizeTicks(1, 384, &carry);
    plain += NormalizeTicks(1, 384);
  }
  EXPECT_EQ(480, sum);
  EXPECT_EQ(0, carry);
  EXPECT_EQ(384, plain);

  // Any run sums to its total, whatever the time base.
  const std::vector<int32_t> run = {7, 113, 1, 0, 65535, 29, 3, 960, 1, 1, 1, 250};
  for (int32_t timeBase : {384, 960, 7, 1000, 96, 0}) {
    SCOPED_TRACE(timeBase);
    const int64_t tb = timeBase == 0 ? 480 : timeBase;
    int32_t c = 0;
    int64_t total = 0;
    int64_t normalized = 0;
    for (int32_t len : run) {
      total += len;
      normalized += NormalizeTicks(len, timeBase, &c);
      EXPECT_EQ(total * 480 / tb, normalized);
    }
  }
}

// For time bases that divide 480 the positions stay where they were: the old
// arithmetic multiplied by 480 / time base and carried the remainder of the
// division by 10.
TEST(ScoreLength, PixelsMatchTheOldArithmeticWhereItWasExact) {
  const std::vector<int32_t> steps = {1, 7, 13, 240, 0, 480, 5, 3, 119, 65535};
  for (int32_t timeBase : {1, 48, 96, 120, 240, 480, 160}) {
    const int32_t scale = 480 / timeBase;
    for (int32_t m : {1, 2}) {
      SCOPED_TRACE(testing::Message() << "time base " << timeBase << " x" << m);
      int32_t oldCarry = 0;
      int32_t carry = 0;
      for (int32_t step : steps) {
        const int32_t t = step * scale + oldCarry;
        oldCarry = t % 10;
        EXPECT_EQ((t / 10) * m, ScoreTickPixels(step, timeBase, m, &carry));
        EXPECT_EQ((step * scale / 10) * m, ScoreTickPixels(step, timeBase, m));
      }
    }
  }
}

TEST(ScoreLength, PixelsOfAQuarterDoNotDependOnTheTimeBase) {
  for (int32_t timeBase : {480, 960, 384, 96, 0}) {
    const int32_t tb = ScoreTimeBase(timeBase);
    EXPECT_EQ(48, ScoreTickPixels(tb, timeBase, 1)) << timeBase;
    EXPECT_EQ(96, ScoreTickPixels(tb, timeBase, 2)) << timeBase;
  }
  // Event by event at 384: 1,024 steps of 3 ticks lay out 8 quarters,
  // though each alone is less than a pixel.
  int32_t carry = 0;
  int32_t x = 0;
  for (int i = 0; i < 1024; ++i) x += ScoreTickPixels(3, 384, 1, &carry);
  EXPECT_EQ(8 * 48, x);
  EXPECT_EQ(0, ScoreTickPixels(3, 384, 1));
}

TEST(ScoreLength, TicksBackFromTheScoreScale) {
  // The tie walk's bar term: (12 + 6) pixels as ticks.
  EXPECT_EQ(180, TimeBaseTicks((12 + 6) * 10, 480));
  EXPECT_EQ(36, TimeBaseTicks((12 + 6) * 10, 96));
  EXPECT_EQ(360, TimeBaseTicks((12 + 6) * 10, 960));
  EXPECT_EQ(144, TimeBaseTicks((12 + 6) * 10, 384));
  EXPECT_EQ(180, TimeBaseTicks((12 + 6) * 10, 0));
  EXPECT_EQ(-36, TimeBaseTicks(-180, 96));
}

TEST(ScoreLength, GridMinimum) {
  struct Case {
    int32_t timeBase;
    int32_t grid;
  } cases[] = {{480, 60}, {96, 12}, {960, 120}, {384, 48}, {0, 60}, {48, 6}, {8, 1}, {5, 1}, {1, 1}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.grid, ScoreGridTicks(c.timeBase, true)) << c.timeBase;
    EXPECT_EQ(1, ScoreGridTicks(c.timeBase, false)) << c.timeBase;
  }
}

TEST(ScoreLength, LargeValuesDoNotWrap) {
  EXPECT_EQ(INT32_MAX, NormalizeTicks(INT32_MAX, 1));
  EXPECT_EQ(INT32_MIN, NormalizeTicks(INT32_MIN, 1));
  EXPECT_EQ(65535 * 480, NormalizeTicks(65535, 1));
  int32_t carry = 0;
  EXPECT_EQ(1000000 * 48, ScoreTickPixels(1000000 * 96, 96, 1, &carry));
  EXPECT_EQ(0, carry);
}

TEST(ScoreLength, LayoutAndSwitches) {
  EXPECT_EQ(1, TimeScaleX(0));
  EXPECT_EQ(2, TimeScaleX(kScoreDoubleTime));
  EXPECT_EQ(1, TimeScaleX(~kScoreDoubleTime));

  ScoreLayout layout = MakeScoreLayout(kBitmapScoreMetrics, 0, kScoreBeams | kScoreDoubleTime);
  EXPECT_EQ(480, layout.timeBase);
  EXPECT_EQ(2, layout.timeScaleX);
  EXPECT_EQ(6, layout.geometry.noteHeadWidth);
  EXPECT_EQ(56, layout.geometry.leftX);

  AppSettings settings;
  settings.displaySw = kScoreNoteHeads | kScoreNoteHooks;
  const int16_t numbers[4] = {6, 91, -1, 94};
  const int32_t switches[4] = {1, 0, 1, 1};
  for (int i = 0; i < 4; ++i) {
    settings.dispCtrlNo[i] = numbers[i];
    settings.dispCtrlSw[i] = switches[i];
  }
  ScoreLayout fromSettings = ScoreLayoutFromSettings(settings, kBitmapScoreMetrics, 96);
  EXPECT_EQ(96, fromSettings.timeBase);
  EXPECT_EQ(1, fromSettings.timeScaleX);
  EXPECT_EQ(kScoreNoteHeads | kScoreNoteHooks, fromSettings.displaySwitch);
  EXPECT_EQ(6, fromSettings.controllers[0].number);
  EXPECT_TRUE(fromSettings.controllers[0].on);
  EXPECT_FALSE(fromSettings.controllers[1].on);
  EXPECT_EQ(65535, fromSettings.controllers[2].number);
  EXPECT_EQ(94, fromSettings.controllers[3].number);
}

// The named switches are the bits the display switch dialog writes.
TEST(ScoreLength, SwitchBitsAreTheDialogs) {
  const int32_t named[] = {kScoreShowGate,   kScoreShowVelocity, kScoreShowBend,      kScoreShowVolume,
                           kScoreShowModulation, kScoreShowExpression, kScoreNoteHeads, kScoreNoteHooks,
                           kScoreDoubleTime, kScoreQuantize6,    kScoreShowTempo,     kScoreLocationGuide,
                           kScoreBeams};
  static_assert(sizeof named / sizeof named[0] == kDisplaySwitchBoxCount);
  for (int i = 0; i < kDisplaySwitchBoxCount; ++i) EXPECT_EQ(named[i], kDisplaySwitchBoxes[i].bit) << i;
}

}  // namespace
