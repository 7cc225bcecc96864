// timeSetEvent timers on their own thread.
#include "vmtesting.h"

#include <atomic>

namespace {

struct Counter {
  std::atomic<int> fired{0};
  std::atomic<DWORD> thread{0};
  static void CALLBACK Proc(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    auto* c = reinterpret_cast<Counter*>(user);
    c->thread = GetCurrentThreadId();
    ++c->fired;
  }
};

}  // namespace

TEST(TimersTest, OneShotFiresOnceOnTheTimerThread) {
  Counter c;
  DWORD start = timeGetTime();
  UINT id = timeSetEvent(20, 1, &Counter::Proc, reinterpret_cast<DWORD_PTR>(&c),
                         TIME_ONESHOT | TIME_CALLBACK_FUNCTION);
  ASSERT_NE(0u, id);
  while (c.fired == 0 && timeGetTime() - start < 2000) Sleep(1);
  EXPECT_GE(timeGetTime() - start, 20u);
  Sleep(100);
  EXPECT_EQ(1, c.fired.load());
  EXPECT_NE(GetCurrentThreadId(), c.thread.load());
  EXPECT_EQ(MMSYSERR_INVALPARAM, timeKillEvent(id)) << "a fired one-shot is gone";
}

TEST(TimersTest, PeriodicFiresUntilKilled) {
  Counter c;
  UINT id = timeSetEvent(10, 1, &Counter::Proc, reinterpret_cast<DWORD_PTR>(&c),
                         TIME_PERIODIC | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
  ASSERT_NE(0u, id);
  // A busy machine may delay the thread, so the count is bounded by the
  // time that really passed rather than by a fixed sleep.
  const DWORD start = timeGetTime();
  while (c.fired < 10 && timeGetTime() - start < 5000) Sleep(5);
  EXPECT_EQ(TIMERR_NOERROR, timeKillEvent(id));
  const DWORD elapsed = timeGetTime() - start;
  int fired = c.fired;
  EXPECT_GE(fired, 10);
  EXPECT_LE(fired, static_cast<int>(elapsed / 10) + 2) << "fired faster than its period";
  Sleep(50);
  EXPECT_EQ(fired, c.fired.load());
}

TEST(TimersTest, EventTimersAndRefusals) {
  HANDLE ev = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  UINT id = timeSetEvent(5, 1, reinterpret_cast<LPTIMECALLBACK>(ev), 0,
                         TIME_ONESHOT | TIME_CALLBACK_EVENT_SET);
  ASSERT_NE(0u, id);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ev, 2000));
  CloseHandle(ev);
  EXPECT_EQ(0u, timeSetEvent(0, 1, nullptr, 0, TIME_ONESHOT));
  EXPECT_EQ(MMSYSERR_INVALPARAM, timeKillEvent(0xDEAD));
}

namespace {

// Records the order callbacks ran in, and timeGetTime as each ran.
struct Order {
  std::atomic<int> count{0};
  int ids[8] = {};
  DWORD at[8] = {};
  struct Tag {
    Order* order;
    int id;
  };
  static void CALLBACK Proc(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    auto* tag = reinterpret_cast<Tag*>(user);
    Order* o = tag->order;
    int n = o->count.load();
    if (n < 8) {
      o->ids[n] = tag->id;
      o->at[n] = timeGetTime();
    }
    o->count = n + 1;
  }
};

}  // namespace

TEST(TimersTest, ATimerSetDuringTheWaitForALaterOneFiresFirst) {
  Order o;
  Order::Tag late{&o, 1}, soon{&o, 2};
  const DWORD start = timeGetTime();
  UINT a = timeSetEvent(400, 1, &Order::Proc, reinterpret_cast<DWORD_PTR>(&late), TIME_ONESHOT);
  ASSERT_NE(0u, a);
  Sleep(20);  // the thread now waits for the first
  UINT b = timeSetEvent(30, 1, &Order::Proc, reinterpret_cast<DWORD_PTR>(&soon), TIME_ONESHOT);
  ASSERT_NE(0u, b);
  while (o.count < 2 && timeGetTime() - start < 5000) Sleep(5);
  ASSERT_EQ(2, o.count.load());
  EXPECT_EQ(2, o.ids[0]);
  EXPECT_EQ(1, o.ids[1]);
  EXPECT_GE(o.at[1] - start, 400u);
}

// Each one-shot is set from the last one's callback, aimed at a timeGetTime
// value as a player aims it: none fires before its value has begun.
TEST(TimersTest, OneShotsAimedAtTimeGetTimeValuesNeverFireBeforeThem) {
  struct Chain {
    DWORD marks[6] = {};
    DWORD firedAt[6] = {};
    std::atomic<int> fired{0};
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    static void CALLBACK Proc(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
      auto* c = reinterpret_cast<Chain*>(user);
      int n = c->fired.load();
      c->firedAt[n] = timeGetTime();
      c->fired = ++n;
      if (n == 6 || !c->Arm(n)) SetEvent(c->done);
    }
    bool Arm(int n) {
      static const DWORD kSteps[6] = {1, 2, 3, 7, 1, 20};
      marks[n] = timeGetTime() + kSteps[n];
      const int delay = static_cast<int>(marks[n] - timeGetTime());
      return timeSetEvent(delay < 1 ? 1 : static_cast<UINT>(delay), 1, &Proc, reinterpret_cast<DWORD_PTR>(this),
                          TIME_ONESHOT) != 0;
    }
  } c;
  ASSERT_TRUE(c.Arm(0));
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(c.done, 5000));
  ASSERT_EQ(6, c.fired.load());
  for (int n = 0; n < 6; ++n) EXPECT_GE(static_cast<int32_t>(c.firedAt[n] - c.marks[n]), 0) << "timer " << n;
  CloseHandle(c.done);
}
