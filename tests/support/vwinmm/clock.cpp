// The device clock: the performance counter since attach, run VMIDI_CLOCKRATE
// times faster than real time, and the time calls built on it.
#include <cstdlib>

#include "vmstate.h"

void VmClockInit() {
  QueryPerformanceFrequency(&g_vm.qpcFreq);
  QueryPerformanceCounter(&g_vm.qpcOrigin);
  char buf[64];
  DWORD n = GetEnvironmentVariableA("VMIDI_CLOCKRATE", buf, sizeof buf);
  if (n > 0 && n < sizeof buf) {
    double rate = atof(buf);
    if (rate > 0) g_vm.clockRate = rate;
  }
  g_vm.timeBase = GetTickCount();
}

int64_t VmNow() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  double ticks = static_cast<double>(now.QuadPart - g_vm.qpcOrigin.QuadPart);
  return static_cast<int64_t>(ticks * 1e6 * g_vm.clockRate / g_vm.qpcFreq.QuadPart);
}

// Real time before a fine wait's due time from which it spins.
constexpr double kFineSpinMicros = 3000;

bool VmWaitUntil(int64_t due, HANDLE wake, bool fine) {
  for (;;) {
    int64_t now = VmNow();
    if (now >= due) return true;
    double realMicros = (due - now) / g_vm.clockRate;
    if (!fine || realMicros >= kFineSpinMicros + 1000) {
      // Fine waits stop whole milliseconds short of the due time (wake-ups
      // run late, by more on a busy machine) and spin the rest; coarse ones
      // round up to whole milliseconds.
      DWORD ms = fine ? static_cast<DWORD>((realMicros - kFineSpinMicros) / 1000)
                      : static_cast<DWORD>((realMicros + 999) / 1000);
      if (wake) {
        if (WaitForSingleObject(wake, ms) == WAIT_OBJECT_0) return false;
      } else {
        Sleep(ms);
      }
    } else if (wake && WaitForSingleObject(wake, 0) == WAIT_OBJECT_0) {
      return false;
    } else {
      // The last stretch: spin on the counter. A yield can give the
      // processor away for longer than the stretch.
      while (VmNow() < due) YieldProcessor();
      return true;
    }
  }
}

extern "C" {

DWORD WINAPI timeGetTime(void) {
  return g_vm.timeBase + static_cast<DWORD>(VmNow() / 1000);
}

MMRESULT WINAPI timeGetSystemTime(LPMMTIME pmmt, UINT cbmmt) {
  if (!pmmt || cbmmt < sizeof(MMTIME)) return TIMERR_NOCANDO;
  pmmt->wType = TIME_MS;
  pmmt->u.ms = timeGetTime();
  return TIMERR_NOERROR;
}

MMRESULT WINAPI timeGetDevCaps(LPTIMECAPS ptc, UINT cbtc) {
  if (!ptc || cbtc < sizeof(TIMECAPS)) return TIMERR_NOCANDO;
  ptc->wPeriodMin = 1;
  ptc->wPeriodMax = 1000000;
  return TIMERR_NOERROR;
}

MMRESULT WINAPI timeBeginPeriod(UINT uPeriod) {
  return uPeriod >= 1 && uPeriod <= 1000000 ? TIMERR_NOERROR : TIMERR_NOCANDO;
}

MMRESULT WINAPI timeEndPeriod(UINT uPeriod) {
  return uPeriod >= 1 && uPeriod <= 1000000 ? TIMERR_NOERROR : TIMERR_NOCANDO;
}

}  // extern "C"
