// Benchmark of the step editor's model (not a test): each operation on a
// full track of 16,371 events, reported as the median of several runs.
#include <cstdio>

#include "lineindex.h"
#include "stepbench.h"

int main() {
  using namespace stepbench;
  {
    ModelSong song;
    song.SetTrack(1, FullTrack());
    const StepEditModel& m = song.Open(1);
    std::printf("stepedit: a track of %d events, %d lines\n", m.eventCount, m.lineCount);
  }
  BenchBlocksAndEntry();
  BenchSearchErase();
  BenchQuantizeRamp();
  BenchShiftReplicate();
  BenchSortStrokeSlide();
  BenchCurves();
  BenchDrop();
  BenchTrackOps();
  BenchScoreModel();
  std::printf("stepedit: done\n");
  return 0;
}
