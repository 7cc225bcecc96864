// Search and erase on a full track.
#include <cstdio>

#include "searcherase.h"
#include "stepbench.h"

namespace stepbench {

void BenchSearchErase() {
  // Every note a hit; the log never fills.
  long hits = 0;
  SearchLogSink sink;
  sink.add = [&hits](const SearchHit&) {
    ++hits;
    return true;
  };
  sink.progress = [](int32_t, int32_t) {};
  Measure("search with the log", nullptr, [&sink](ModelSong& song, StepEditModel& m) {
    SearchStepForward(m, song.ctx, EventFilter{kFilterNotes, 0, 127}, &sink);
  });
  std::printf("stepedit   (%ld hits a search)\n", hits / kRuns);

  Measure(
      "erase with rests", [](ModelSong&, StepEditModel& m) { Select(m, 0, m.eventCount - 1); },
      [](ModelSong& song, StepEditModel& m) {
        EraseFilter working{EventFilter{kFilterNotes | kFilterVolume, 0, 127}, 0};
        EraseStepRange(m, song.ctx, working, false, false);
      });

  Measure(
      "erase with ST compression", [](ModelSong&, StepEditModel& m) { Select(m, 100, m.eventCount - 100); },
      [](ModelSong& song, StepEditModel& m) {
        EraseFilter working{EventFilter{kFilterNotes | kFilterVolume, 48, 65}, 1};
        EraseStepRange(m, song.ctx, working, false, false);
      });
}

}  // namespace stepbench
