// Timer chain benchmark (not a test): the floor of one-shot multimedia
// timers, each set from the last one's callback and aimed at the next 20 ms
// mark of timeGetTime, as the timer engine aims its own. Its lateness,
// measured on the performance counter, is what any timer-driven player on
// this winmm can reach. Run by scripts/bench.sh on the system's winmm and on
// the virtual device, beside the engine benchmark.
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "benchruns.h"

namespace {

constexpr DWORD kIntervalMs = 20;

struct Chain {
  LARGE_INTEGER freq{};
  LARGE_INTEGER origin{};  // the performance counter at the edge of originMs
  DWORD originMs = 0;
  int count = 0;
  int fired = 0;
  std::vector<double> lateMs;
  HANDLE done = nullptr;

  double MsSinceOrigin() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - origin.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
  }
  // Aims a timer at mark n; false when timeSetEvent refuses.
  bool Arm(int n) {
    DWORD mark = originMs + kIntervalMs * static_cast<DWORD>(n);
    int delay = static_cast<int>(mark - timeGetTime());
    return timeSetEvent(delay < 1 ? 1 : static_cast<UINT>(delay), 1, &Fired, reinterpret_cast<DWORD_PTR>(this),
                        TIME_ONESHOT | TIME_CALLBACK_FUNCTION) != 0;
  }
  static void CALLBACK Fired(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    auto* c = reinterpret_cast<Chain*>(user);
    double at = c->MsSinceOrigin();
    ++c->fired;
    c->lateMs.push_back(at - static_cast<double>(kIntervalMs) * c->fired);
    if (c->fired == c->count || !c->Arm(c->fired + 1)) SetEvent(c->done);
  }
};

TimingFigures RunChain(int count) {
  Chain c;
  c.count = count;
  c.done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  QueryPerformanceFrequency(&c.freq);
  // The marks lie on timeGetTime's millisecond edges: catch one.
  DWORD first = timeGetTime();
  do {
    QueryPerformanceCounter(&c.origin);
    c.originMs = timeGetTime();
  } while (c.originMs == first);
  if (!c.Arm(1)) {
    CloseHandle(c.done);
    return {};
  }
  WaitForSingleObject(c.done, static_cast<DWORD>(count) * kIntervalMs * 4 + 10000);
  Sleep(kIntervalMs * 2);  // a callback still running
  CloseHandle(c.done);
  if (c.fired != count) std::printf("timer chain: %d of %d timers fired\n", c.fired, count);
  return Figures(c.lateMs);
}

}  // namespace

// timerchain_bench [runs [timers]]
int main(int argc, char** argv) {
  int runs = argc > 1 ? std::atoi(argv[1]) : 5;
  int count = argc > 2 ? std::atoi(argv[2]) : 640;
  HMODULE winmm = GetModuleHandleA("winmm.dll");
  bool virtualDevice = winmm && GetProcAddress(winmm, "vmidiLogCount");
  const char* what = virtualDevice ? "timer chain, virtual device" : "timer chain, system winmm";
  std::vector<TimingFigures> all;
  for (int i = 0; i < runs; ++i) all.push_back(RunChain(count));
  ReportRuns(what, all);
  return 0;
}
