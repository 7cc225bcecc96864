#include "tempomap.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "playbuilder.h"
#include "songbuilder.h"

namespace {

using namespace songbuilder;

bool Same(const std::vector<TempoEntry>& a, const std::vector<TempoEntry>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].code != b[i].code || a[i].steps != b[i].steps) return false;
  return true;
}

std::string Show(const std::vector<TempoEntry>& m) {
  std::string s;
  for (const auto& e : m) s += "{" + std::to_string(e.code) + "," + std::to_string(e.steps) + "}";
  return s;
}

TEST(TempoScaleTest, UnitsPerTimeBase) {
  struct C {
    int timeBase, tb, u, h;
  } cases[] = {{480, 480, 1, 240}, {96, 96, 5, 48}, {48, 48, 10, 24}, {240, 240, 2, 120},
               {0, 480, 1, 240},   {960, 960, 1, 240}, {1, 1, 480, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.timeBase);
    TempoScale s = MakeTempoScale(c.timeBase);
    EXPECT_EQ(s.timeBase, c.tb);
    EXPECT_EQ(s.u, c.u);
    EXPECT_EQ(s.h, c.h);
  }
}

TEST(TempoCodeTest, StepLengthCodeAndFactorLimit) {
  struct C {
    int tempo, factor, limited, code;
  } cases[] = {
      {120, 64, 64, 5209},   {240, 64, 64, 2604},  {120, 128, 128, 2604},  // 15,360 is allowed
      {240, 128, 64, 2604},  // would be 480
      {120, 200, 128, 2604}, {100, 160, 153, 2615}, {240, 32, 32, 5209},  // slower needs no limit
      {60, 64, 64, 10418},   {9, 64, 64, 65472},    // the product is held at 611 at least
      {0, 64, 64, 5209},     // no header tempo: 120
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.tempo << " x " << c.factor);
    int f = LimitTempoFactor(c.tempo, c.factor);
    EXPECT_EQ(f, c.limited);
    EXPECT_EQ(StepLengthCode(c.tempo, f), c.code);
  }
}

TEST(TempoCodeTest, PairsTemposAndMarks) {
  struct C {
    int code, steps, timeBase;
    int c, e, tempo, tempo10;
  } cases[] = {
      {5209, 480, 480, 240, 6000, 120, 1200},
      {5209, 240, 480, 240, 6000, 120, 1200},
      {2604, 240, 480, 240, 2999, 240, 2400},
      {5209, 1, 480, 1, 25, 120, 1200},
      {5209, 96, 96, 240, 6000, 120, 1200},
      {5209, 960, 960, 240, 6000, 120, 1200},
      // Slowest code: x and c halve once, then e and c once more.
      {65472, 240, 480, 60, 18854, 9, 95},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.code << " over " << c.steps << " at " << c.timeBase);
    TempoPair p = EntryTempo(c.code, c.steps, MakeTempoScale(c.timeBase));
    EXPECT_EQ(p.c, c.c);
    EXPECT_EQ(p.e, c.e);
    EXPECT_EQ(TempoOfPair(p), c.tempo);
    EXPECT_EQ(Tempo10OfPair(p), c.tempo10);
  }
}

TEST(TempoDurationTest, EntryDurations) {
  struct C {
    int code, steps, timeBase;
    int64_t want;  // 1/24 ms
  } cases[] = {
      {5209, 240, 480, 6000},   // half a quarter at 120: 250 ms
      {5209, 480, 480, 12000},  {2604, 240, 480, 2999},  {5209, 48, 96, 6000},
      {5209, 96, 96, 12000},    {5209, 960, 960, 12000},  // a quarter at 120 in any time base
      {5209, 1, 480, 25},       {5209, 5, 480, 125},     {5209, 3, 480, 75},
      {5209, 0, 480, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.code << " over " << c.steps << " at " << c.timeBase);
    EXPECT_EQ(EntryDuration24(c.code, c.steps, MakeTempoScale(c.timeBase)), c.want);
  }
}

TEST(TempoDurationTest, TimeOfSteps) {
  std::vector<TempoEntry> map = {{5209, 480}, {2604, 480}};
  TempoScale s = MakeTempoScale(480);
  EXPECT_EQ(TimeOfSteps(map, 0, s), 0);
  EXPECT_EQ(TimeOfSteps(map, 240, s), 6000);
  EXPECT_EQ(TimeOfSteps(map, 480, s), 12000);
  EXPECT_EQ(TimeOfSteps(map, 720, s), 12000 + 2999);
  EXPECT_EQ(TimeOfSteps(map, 960, s), 12000 + 5998);
  EXPECT_EQ(TimeOfSteps(map, 1200, s), 12000 + 5998 + 2999);  // the last tempo goes on
  EXPECT_EQ(TempoMapSteps(map), 960u);
}

TEST(TempoDurationTest, SixteenthsForTime) {
  std::vector<TempoEntry> one = {{5209, 480}};
  std::vector<TempoEntry> two = {{5209, 480}, {2604, 480}};
  TempoScale s = MakeTempoScale(480);
  struct C {
    const std::vector<TempoEntry>* map;
    int64_t time;
    int want;
  } cases[] = {
      {&one, 0, 0},    {&one, 1, 1},      {&one, 6000, 2},   // 240 steps, two sixteenths exactly
      {&one, 6001, 3},  // a little later: raised to the next sixteenth
      {&one, 12000, 4}, {&one, 12001, 0},  // beyond the end
      {&two, 14999, 6}, {&two, 17998, 8},  {&two, 17999, 0}, {&two, -5, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.time);
    EXPECT_EQ(SixteenthsForTime(*c.map, c.time, s), c.want);
  }
  std::vector<TempoEntry> tb96 = {{5209, 96}};
  EXPECT_EQ(SixteenthsForTime(tb96, 6000, MakeTempoScale(96)), 2);
  std::vector<TempoEntry> none;
  EXPECT_EQ(SixteenthsForTime(none, 100, s), 0);
}

TEST(TempoMapBuilderTest, RateZeroJumpsAndLongRunsSplit) {
  TempoScale s = MakeTempoScale(480);
  TempoMapBuilder b(s, 120);
  b.Advance(481);
  b.TempoEvent(128, 0);
  b.Advance(480);
  std::vector<TempoEntry> want = {{5209, 480}, {5209, 1}, {2604, 480}};
  auto got = b.Finish();
  EXPECT_TRUE(Same(got, want)) << Show(got);
}

TEST(TempoMapBuilderTest, RunPastTheLimitClosesEntriesOf30720) {
  struct C {
    int timeBase;
    uint64_t steps;
    std::vector<TempoEntry> want;
  } cases[] = {
      {480, 70000, {{5209, 30720}, {5209, 39120}, {5209, 160}}},
      {480, 61439, {{5209, 61200}, {5209, 239}}},
      {480, 61440, {{5209, 30720}, {5209, 30720}}},
      {96, 100, {{5209, 96}, {5209, 4}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.steps);
    TempoMapBuilder b(MakeTempoScale(c.timeBase), 120);
    b.Advance(c.steps);
    auto got = b.Finish();
    EXPECT_TRUE(Same(got, c.want)) << Show(got);
  }
}

TEST(TempoMapBuilderTest, GradualChangeMovesEveryTwentySteps) {
  TempoMapBuilder b(MakeTempoScale(480), 120);
  b.Advance(1);
  b.TempoEvent(128, 64);
  b.Advance(61);
  std::vector<TempoEntry> want = {{5209, 2}, {5169, 20}, {5089, 20}, {4973, 20}};
  auto got = b.Finish();
  EXPECT_TRUE(Same(got, want)) << Show(got);
}

TEST(TempoMapBuilderTest, GradualChangeArrivesWithoutOvershoot) {
  for (int rate : {1, 16, 64, 255}) {
    for (int factor : {128, 32, 0}) {
      SCOPED_TRACE(testing::Message() << "rate " << rate << " factor " << factor);
      TempoMapBuilder b(MakeTempoScale(480), 120);
      b.TempoEvent(factor, rate);
      b.Advance(100000);
      auto m = b.Finish();
      ASSERT_FALSE(m.empty());
      int target = StepLengthCode(120, factor);
      uint64_t total = 0;
      int prev = 5209;
      for (const auto& e : m) {
        total += e.steps;
        if (target < 5209) {
          EXPECT_LE(e.code, prev);
          EXPECT_GE(e.code, target);
        } else {
          EXPECT_GE(e.code, prev);
          EXPECT_LE(e.code, target);
        }
        prev = e.code;
      }
      EXPECT_EQ(total, 100000u);
      // A change stops where its largest move rounds to nothing.
      EXPECT_LE(std::abs(m.back().code - target), 65536 / (2040 * rate));
    }
  }
}

TEST(TempoMapBuilderTest, TinyTimeBaseMovesEveryStep) {
  // Time base 1: u = 480 outruns the raise of 20, so after the first step
  // every step moves the change.
  TempoMapBuilder b(MakeTempoScale(1), 120);
  b.TempoEvent(128, 64);
  b.Advance(4);
  std::vector<TempoEntry> want = {{5209, 2}, {5169, 1}, {5089, 1}};
  auto got = b.Finish();
  EXPECT_TRUE(Same(got, want)) << Show(got);
  b.TempoEvent(32, 255);
  b.Advance(200000);  // a long change does not wear the counter out
  auto more = b.Finish();
  ASSERT_FALSE(more.empty());
  EXPECT_EQ(more.back().code, StepLengthCode(120, 32));
}

TEST(TempoMapBuilderTest, ChangeInTheSameStepAsAJumpWaits) {
  // A jump and a gradual change at the same time: the jump takes the step.
  TempoMapBuilder b(MakeTempoScale(480), 120);
  b.Advance(1);  // counter at 0: the next step moves a gradual change
  b.TempoEvent(128, 0);
  b.TempoEvent(64, 64);
  b.Advance(22);
  std::vector<TempoEntry> want = {{5209, 1}, {2604, 21}, {2644, 1}};
  auto got = b.Finish();
  EXPECT_TRUE(Same(got, want)) << Show(got);
}

TEST(BuildTempoMapTest, TempoEventsOfEveryTrackAtTheirTime) {
  PlaySong s = Song(Header(), {{Track(0, 0, -1), {Note(60, 100, 960, 10), End()}},
                               {Track(1, 0, -1), {Cmd(0xE7, 0, 0, 480), Cmd(0xE7, 128, 0, 240), Note(1, 1, 0, 1), End()}},
                               {Track(2, 0, -1, 1), {Cmd(0x85, 0, 0, 600), Cmd(0xE7, 96, 0), End()}}});
  auto map = BuildTempoMap(s, false);
  // Factor 0 is held at 611: the slowest code. A muted track's tempo counts.
  std::vector<TempoEntry> want = {{65472, 480}, {2604, 120}, {3473, 240}, {3473, 120}};
  EXPECT_EQ(StepLengthCode(120, 0), 65472);
  EXPECT_EQ(StepLengthCode(120, 96), 3473);
  EXPECT_TRUE(Same(map, want)) << Show(map);
  auto header = BuildTempoMap(s, true);
  std::vector<TempoEntry> one = {{5209, 960}};
  EXPECT_TRUE(Same(header, one)) << Show(header);
}

TEST(BuildTempoMapTest, LoopsAndReferencesRepeatTheirTempoEvents) {
  PlaySong s = Song(Header(), {{Track(0, 0, -1), {RepeatStart(), Cmd(0xE7, 128, 0, 240), Cmd(0xE7, 64, 0, 240),
                                                  RepeatEnd(2), Bar(), Ref(0), End()}}});
  auto map = BuildTempoMap(s, false);
  std::vector<TempoEntry> want;
  for (int i = 0; i < 4; ++i) {
    want.push_back({2604, 240});
    want.push_back({5209, 240});
  }
  EXPECT_TRUE(Same(map, want)) << Show(map);
}

}  // namespace
