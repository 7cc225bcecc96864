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
