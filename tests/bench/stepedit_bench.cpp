// Benchmark of the step editor's model (not a test): each operation on a
// full track of 16,371 events, reported as the median of several runs.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "editmodel.h"
#include "eventtext.h"
#include "lineindex.h"
#include "modelfixture.h"

namespace {

using namespace modelfixture;

constexpr int kRuns = 7;

// Notes of 120 ticks, a measure end after every 16 and a controller now and
// then: 16,371 events before the end event.
Events FullTrack() {
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

double Ms(LARGE_INTEGER a, LARGE_INTEGER b) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return static_cast<double>(b.QuadPart - a.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

// Runs prepare (untimed) then op (timed) kRuns times on a fresh full track.
void Measure(const char* what, const std::function<void(ModelSong&, StepEditModel&)>& prepare,
             const std::function<void(ModelSong&, StepEditModel&)>& op) {
  const Events full = FullTrack();
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    ModelSong song;
    song.SetTrack(1, full);
    song.SetTrack(2, full);
    StepEditModel& m = song.Open(1);
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

void Select(StepEditModel& m, int32_t from, int32_t to) {
  m.selFrom = from;
  m.selTo = to;
}

}  // namespace

int main() {
  {
    ModelSong song;
    song.SetTrack(1, FullTrack());
    const StepEditModel& m = song.Open(1);
    std::printf("stepedit: a track of %d events, %d lines\n", m.eventCount, m.lineCount);
  }
  Measure("index rebuild", nullptr, [](ModelSong& s, StepEditModel& m) { BuildTrackLineIndex(m, s.ctx); });
  Measure("text of every line", nullptr, [](ModelSong&, StepEditModel& m) {
    ModelEvents block(m);
    size_t chars = 0;
    EventTextOptions options;
    for (int i = 0; i <= m.eventCount; ++i) chars += StepEventText(block.events(), block.slots(), i, options).size();
    if (chars == 0) std::printf("no text\n");
  });
  Measure("gap open and close", nullptr, [](ModelSong& s, StepEditModel& m) {
    m.caretRow = 1;
    OpenInsertGap(m, s.ctx, 0);
    CloseInsertGap(m, s.ctx);
  });
  Measure("undo copy", nullptr, [](ModelSong&, StepEditModel& m) { SaveUndoCopy(m); });
  (void)Select;
  std::printf("stepedit: done\n");
  return 0;
}
