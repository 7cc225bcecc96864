// The timer engine's time keeping, as plain functions: the ideal time of the
// wait words and the plan that reaches it with millisecond timers.
#include <gtest/gtest.h>

#include "waitclock.h"

namespace {

TEST(WaitClock, WaitsAddUpToTheirIdealTimeWithoutDrift) {
  struct Case {
    int tempo, ticksPerWait, waits;
    int64_t wantMicros;
  };
  // 480 ticks are a quarter note: 500 ms at tempo 120.
  const Case cases[] = {
      {120, 1, 480, 500000},        // 1041.67 us each: the remainders add up
      {120, 7, 685, 0},             // no whole number of microseconds
      {100, 96, 5, 600000},         // 96 ticks at 100: 120 ms each
      {97, 1, 97 * 48, 6000000},    // one second's worth of 1/97 quarters
      {250, 255, 3, 3 * 255 * 500}, // the longest wait word
  };
  for (const auto& c : cases) {
    WaitClock clock;
    clock.Start(1000);
    for (int i = 0; i < c.waits; ++i) clock.Advance(c.ticksPerWait, c.tempo);
    const int64_t ticks = static_cast<int64_t>(c.ticksPerWait) * c.waits;
    const int64_t exact = ticks * 6000000 / (static_cast<int64_t>(c.tempo) * 48);
    if (c.wantMicros) {
      EXPECT_EQ(exact, c.wantMicros) << "case tempo " << c.tempo;
    }
    EXPECT_EQ(clock.due - 1000, exact) << "tempo " << c.tempo << ", " << c.waits << " waits of "
                                       << c.ticksPerWait;
  }
}

TEST(WaitClock, EachWaitEndsWithinAMicrosecondOfItsIdealTime) {
  WaitClock clock;
  clock.Start(0);
  for (int n = 1; n <= 2000; ++n) {
    clock.Advance(1, 120);
    const double ideal = n * 1e6 / 960.0;
    EXPECT_LE(clock.due, ideal + 1e-6) << "wait " << n;
    EXPECT_GT(clock.due, ideal - 1.0) << "wait " << n;
  }
}

TEST(WaitClock, ATempoChangeTakesEffectFromTheNextWait) {
  WaitClock clock;
  clock.Start(0);
  clock.Advance(480, 120);
  clock.Advance(480, 60);
  EXPECT_EQ(clock.due, 500000 + 1000000);
  clock.Advance(10, 0);  // no tempo: treated as the slowest
  EXPECT_EQ(clock.due, 1500000 + 10 * 6000000 / 48);
}

TEST(WaitClock, ALateTickCatchesUpByTheIdealTime) {
  WaitClock clock;
  clock.Start(0);
  clock.Advance(48, 120);  // due at 50 ms
  // The tick runs 30 ms late: the waits it reaches count from 50 ms, so the
  // one due at 75 ms plays at once and the next is aimed at 100 ms.
  const int64_t now = 80000;
  EXPECT_EQ(PlanWait(clock.due, now).kind, WaitPlan::kPlay);
  clock.Advance(24, 120);
  EXPECT_EQ(clock.due, 75000);
  EXPECT_EQ(PlanWait(clock.due, now).kind, WaitPlan::kPlay);
  clock.Advance(24, 120);
  EXPECT_EQ(clock.due, 100000);
  const WaitPlan plan = PlanWait(clock.due, now);
  ASSERT_EQ(plan.kind, WaitPlan::kTimer);
  EXPECT_EQ(plan.delayMs, 19u);
}

TEST(PlanWait, PlaysSpinsOrSetsATimerByTheTimeLeft) {
  struct Case {
    int64_t left;
    WaitPlan::Kind kind;
    unsigned delayMs;
  };
  const Case cases[] = {
      {-30000, WaitPlan::kPlay, 0}, {0, WaitPlan::kPlay, 0},    {1, WaitPlan::kSpin, 0},
      {1000, WaitPlan::kSpin, 0},   {kWaitSpinMicros, WaitPlan::kSpin, 0},
      {kWaitSpinMicros + 1, WaitPlan::kTimer, 2},               {3500, WaitPlan::kTimer, 2},
      {20000, WaitPlan::kTimer, 19}, {1000000, WaitPlan::kTimer, 999},
  };
  for (const auto& c : cases) {
    const WaitPlan p = PlanWait(5000000 + c.left, 5000000);
    EXPECT_EQ(p.kind, c.kind) << "left " << c.left;
    if (c.kind == WaitPlan::kTimer) {
      EXPECT_EQ(p.delayMs, c.delayMs) << "left " << c.left;
    }
  }
}

// A timer fires after its delay, or up to a millisecond sooner where the
// delay counts from the current millisecond; a little later on a busy
// machine. From anywhere in that window the due time is spun to, never left
// to a further timer, and a timer on time leaves its lead before it.
TEST(PlanWait, ATimerFiresCloseEnoughToSpinTheRest) {
  for (int64_t left = kWaitSpinMicros + 1; left < 200000; left += 37) {
    const WaitPlan p = PlanWait(left, 0);
    ASSERT_EQ(p.kind, WaitPlan::kTimer) << "left " << left;
    const int64_t fired = static_cast<int64_t>(p.delayMs) * 1000;
    EXPECT_GE(left - fired, kWaitLeadMicros) << "left " << left << ": a timer on time is late";
    for (int64_t early : {int64_t{0}, int64_t{500}, int64_t{999}}) {
      const WaitPlan next = PlanWait(left, fired - early);
      EXPECT_EQ(next.kind, WaitPlan::kSpin) << "left " << left << ", fired " << early << " us early";
    }
  }
}

}  // namespace
