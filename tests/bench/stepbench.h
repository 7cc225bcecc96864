// What the step editor benchmarks share: a full track and the timing of
// an operation on it (median of several runs on a fresh song).
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "editmodel.h"
#include "modelfixture.h"

namespace stepbench {

using namespace modelfixture;

constexpr int kRuns = 7;

// Notes of 120 ticks, a measure end after every 16 and a controller now and
// then: 16,371 events before the end event.
inline Events FullTrack() {
  Events e;
  e.reserve(kTrackSlots);
  while (static_cast<int>(e.size()) < kMaxTrackEvents) {
    const size_t i = e.size();
    if (i % 17 == 16) e.push_back(MeasureEnd());
    else if (i % 50 == 7) e.push_back(Ev(0xEB, 64, 0, 7));
    else e.push_back(Note(static_cast<uint8_t>(48 + i % 24), 120, 100));
  }
  e.push_back(EndEvent());
  return e;
}

inline double Ms(LARGE_INTEGER a, LARGE_INTEGER b) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return static_cast<double>(b.QuadPart - a.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

using Op = std::function<void(ModelSong&, StepEditModel&)>;

// Runs prepare (untimed) then op (timed) kRuns times on a fresh song whose
// tracks 1 and 2 are full; track 1's model (a rhythm grid when asked) is
// the one operated on.
inline void Measure(const char* what, const Op& prepare, const Op& op, bool rhythm = false) {
  const Events full = FullTrack();
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    ModelSong song;
    song.SetTrack(1, full);
    song.SetTrack(2, full);
    StepEditModel& m = song.Open(1, rhythm);
    song.Open(2);
    if (prepare) prepare(song, m);
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    op(song, m);
    QueryPerformanceCounter(&b);
    times.push_back(Ms(a, b));
  }
  std::sort(times.begin(), times.end());
  std::printf("stepedit %-28s median of %d: %8.3f ms (best %.3f, worst %.3f)\n", what, kRuns,
              times[times.size() / 2], times.front(), times.back());
}

inline void Select(StepEditModel& m, int32_t from, int32_t to) {
  m.selFrom = from;
  m.selTo = to;
}

// The groups of edits, one file each.
void BenchBlocksAndEntry();
void BenchSearchErase();
void BenchQuantizeRamp();
void BenchShiftReplicate();
void BenchSortStrokeSlide();
void BenchCurves();
void BenchDrop();
void BenchTrackOps();
void BenchScoreModel();

}  // namespace stepbench
