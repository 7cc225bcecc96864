// timeSetEvent timers: one thread fires them all, on the device clock.
#include <algorithm>

#include "vmstate.h"

namespace {

// Real time before a due time from which the thread stops waiting on its
// event and spins: a timed wait can wake a millisecond or more late, more on
// a busy machine, and a test device must not be the larger error.
constexpr int64_t kSpinMicros = 1500;

// What the timer thread sleeps on: a condition variable where the system
// has one, which under Wine wakes without the server round trip an event
// costs (late by milliseconds on a busy machine); else the wake event.
class TimerWake {
 public:
  void Init() {
    HMODULE k = GetModuleHandleA("kernel32.dll");
    acquire_ = reinterpret_cast<LockFn>(reinterpret_cast<void*>(GetProcAddress(k, "AcquireSRWLockExclusive")));
    release_ = reinterpret_cast<LockFn>(reinterpret_cast<void*>(GetProcAddress(k, "ReleaseSRWLockExclusive")));
    wake_ = reinterpret_cast<LockFn>(reinterpret_cast<void*>(GetProcAddress(k, "WakeConditionVariable")));
    sleep_ = reinterpret_cast<SleepFn>(reinterpret_cast<void*>(GetProcAddress(k, "SleepConditionVariableSRW")));
    if (!acquire_ || !release_ || !wake_) sleep_ = nullptr;
  }
  // Sleeps up to ms unless the timers changed after `changes`; true when
  // they have.
  bool Sleep(unsigned changes, DWORD ms) {
    if (!sleep_) return WaitForSingleObject(g_vm.timerWake, ms) == WAIT_OBJECT_0;
    acquire_(&lock_);
    if (g_vm.timerChanges.load() == changes) sleep_(&cv_, &lock_, ms, 0);
    const bool changed = g_vm.timerChanges.load() != changes;
    release_(&lock_);
    return changed;
  }
  // After the timers changed. The lock orders this after a sleeper's check.
  void Signal() {
    if (!sleep_) {
      SetEvent(g_vm.timerWake);
      return;
    }
    acquire_(&lock_);
    release_(&lock_);
    wake_(&cv_);
  }

 private:
  using LockFn = void(WINAPI*)(void*);
  using SleepFn = BOOL(WINAPI*)(void*, void*, DWORD, ULONG);
  LockFn acquire_ = nullptr, release_ = nullptr, wake_ = nullptr;
  SleepFn sleep_ = nullptr;
  void* lock_ = nullptr;  // an SRWLOCK and a CONDITION_VARIABLE: one pointer
  void* cv_ = nullptr;    // each, zero when unused
};
TimerWake g_wake;

// Waits until the device clock reaches due, or until the timers change.
void WaitForTimer(int64_t due, unsigned changes) {
  for (;;) {
    int64_t left = static_cast<int64_t>(static_cast<double>(due - VmNow()) / g_vm.clockRate);
    if (left <= 0 || g_vm.timerChanges.load() != changes) return;
    // Only whole milliseconds short of the spin: a wait rounded up to one
    // could end past the due time.
    if (left >= kSpinMicros + 1000) {
      if (g_wake.Sleep(changes, static_cast<DWORD>((left - kSpinMicros) / 1000))) return;
    } else {
      YieldProcessor();
    }
  }
}

void Fire(const VmTimer& t) {
  switch (t.flags & (TIME_CALLBACK_EVENT_SET | TIME_CALLBACK_EVENT_PULSE)) {
    case TIME_CALLBACK_EVENT_SET:
      SetEvent(reinterpret_cast<HANDLE>(t.fn));
      break;
    case TIME_CALLBACK_EVENT_PULSE:
      PulseEvent(reinterpret_cast<HANDLE>(t.fn));
      break;
    default:
      if (t.fn) t.fn(t.id, 0, t.user, 0, 0);
      break;
  }
}

DWORD WINAPI TimerThread(LPVOID) {
  for (;;) {
    std::unique_lock<std::mutex> lk(g_vm.mu);
    auto next = std::min_element(g_vm.timers.begin(), g_vm.timers.end(),
                                 [](const VmTimer& a, const VmTimer& b) { return a.due < b.due; });
    if (next == g_vm.timers.end()) {
      unsigned changes = g_vm.timerChanges.load();
      lk.unlock();
      g_wake.Sleep(changes, INFINITE);
      continue;
    }
    int64_t now = VmNow();
    if (now < next->due) {
      int64_t due = next->due;
      unsigned changes = g_vm.timerChanges.load();
      lk.unlock();
      WaitForTimer(due, changes);
      continue;
    }
    VmTimer t = *next;
    if (t.period) {
      next->due += static_cast<int64_t>(t.period) * 1000;
      // Far behind: start again from now rather than fire a burst.
      if (next->due < now) next->due = now + static_cast<int64_t>(t.period) * 1000;
    } else {
      g_vm.timers.erase(next);
    }
    g_vm.firingTimer = t.id;
    lk.unlock();
    Fire(t);
    lk.lock();
    g_vm.firingTimer = 0;
  }
}

}  // namespace

extern "C" {

MMRESULT WINAPI timeSetEvent(UINT uDelay, UINT uResolution, LPTIMECALLBACK fptc, DWORD_PTR dwUser,
                             UINT fuEvent) {
  if (uDelay < 1 || uDelay > 1000000) return 0;
  std::lock_guard<std::mutex> lk(g_vm.mu);
  if (!g_vm.timerThread) {
    g_vm.timerWake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    g_wake.Init();
    g_vm.timerThread = CreateThread(nullptr, 0, TimerThread, nullptr, 0, &g_vm.timerThreadId);
    if (!g_vm.timerThread) return 0;
  }
  VmTimer t;
  t.id = g_vm.nextTimerId++;
  if (g_vm.nextTimerId == 0) g_vm.nextTimerId = 1;
  // The delay counts from timeGetTime's millisecond, as the system's does: a
  // timer aimed at a timeGetTime value fires as that value begins.
  t.due = (VmNow() / 1000 + static_cast<int64_t>(uDelay)) * 1000;
  t.period = (fuEvent & TIME_PERIODIC) ? uDelay : 0;
  t.fn = fptc;
  t.user = dwUser;
  t.flags = fuEvent;
  g_vm.timers.push_back(t);
  ++g_vm.timerChanges;
  g_wake.Signal();
  return t.id;
}

MMRESULT WINAPI timeKillEvent(UINT uTimerID) {
  std::unique_lock<std::mutex> lk(g_vm.mu);
  auto it = std::find_if(g_vm.timers.begin(), g_vm.timers.end(),
                         [uTimerID](const VmTimer& t) { return t.id == uTimerID; });
  if (it == g_vm.timers.end()) return MMSYSERR_INVALPARAM;
  bool sync = (it->flags & TIME_KILL_SYNCHRONOUS) != 0;
  g_vm.timers.erase(it);
  if (sync && GetCurrentThreadId() != g_vm.timerThreadId) {
    while (g_vm.firingTimer == uTimerID) {
      lk.unlock();
      Sleep(1);
      lk.lock();
    }
  }
  return TIMERR_NOERROR;
}

}  // extern "C"
