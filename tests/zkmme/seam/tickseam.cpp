// The timer engine's test build: the next tick to pass a chosen point of the
// timer callback sets an event there and waits for the test to let it go.
#include <windows.h>

#include <atomic>

#include "tickseam.h"

namespace {
std::atomic<int> g_point{-1};
HANDLE g_reached = nullptr;
HANDLE g_release = nullptr;
}  // namespace

void TickSeam(int point) {
  int armed = point;
  if (!g_point.compare_exchange_strong(armed, -1)) return;
  SetEvent(g_reached);
  WaitForSingleObject(g_release, 10000);
}

// Holds the next tick at point until release is set (at most 10 s); a point
// of -1 holds none.
extern "C" void WINAPI SetTickSeam(int point, HANDLE reached, HANDLE release) {
  g_point = -1;
  g_reached = reached;
  g_release = release;
  g_point = point;
}
