// timeSetEvent timers: one thread fires them all, on the device clock.
#include <algorithm>

#include "vmstate.h"

namespace {

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
      lk.unlock();
      WaitForSingleObject(g_vm.timerWake, INFINITE);
      continue;
    }
    int64_t now = VmNow();
    if (now < next->due) {
      int64_t due = next->due;
      lk.unlock();
      VmWaitUntil(due, g_vm.timerWake, false);
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
    g_vm.timerThread = CreateThread(nullptr, 0, TimerThread, nullptr, 0, &g_vm.timerThreadId);
    if (!g_vm.timerThread) return 0;
  }
  VmTimer t;
  t.id = g_vm.nextTimerId++;
  if (g_vm.nextTimerId == 0) g_vm.nextTimerId = 1;
  t.due = VmNow() + static_cast<int64_t>(uDelay) * 1000;
  t.period = (fuEvent & TIME_PERIODIC) ? uDelay : 0;
  t.fn = fptc;
  t.user = dwUser;
  t.flags = fuEvent;
  g_vm.timers.push_back(t);
  SetEvent(g_vm.timerWake);
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
