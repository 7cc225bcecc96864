// The score's note model: the walk over a full track (chords, records,
// beams, ties and x positions), alone and for a song of 36 such tracks.
#include <cstdio>

#include "scorebackground.h"
#include "scorebeams.h"
#include "scorelower.h"
#include "scorenotes.h"
#include "scoreupper.h"
#include "stepbench.h"

namespace stepbench {

namespace {

constexpr int kScoreTracks = 36;

// Measures of 4/4 at 480: an eighth chord, two sixteenths, a quarter tied
// into the next note, two eighths, a dotted eighth and a sixteenth tied
// over the bar into the next chord, a controller: 16,371 events in all.
Events ScoreTrack() {
  const StepEvent measure[] = {
      Note(60, 0, 240),   Note(64, 0, 240),   Note(71, 240, 240), Note(62, 120, 120), Note(64, 120, 120),
      Note(65, 480, 600), Note(65, 240, 240), Note(67, 240, 240), Ev(0xEB, 64, 0, 7), Note(69, 360, 360),
      Note(71, 120, 300), MeasureEnd(),
  };
  Events e;
  e.reserve(kTrackSlots);
  for (size_t i = 0; static_cast<int>(e.size()) < kMaxTrackEvents; ++i) {
    e.push_back(measure[i % (sizeof measure / sizeof measure[0])]);
  }
  e.push_back(EndEvent());
  return e;
}

// Counts what the walk hands on, so that nothing of it is left unused.
class Tally : public ScoreWalkSink {
 public:
  void OnChord(ScoreWalkState& state, int32_t, int32_t) override {
    for (int32_t i = 0; i < state.chord.count; ++i) ties += state.chord.ties[i] != 0;
  }
  void OnRecords(ScoreWalkState& state) override { records += state.records.count(); }
  void OnBar(ScoreWalkState&, int32_t, uint8_t) override { ++bars; }
  long records = 0, ties = 0, bars = 0;
};

struct WalkTotals {
  Tally tally;
  int32_t groups = 0;
  int32_t endX = 0;
  int32_t lastLine = 0;
};

void WalkTrack(const StepEditModel& m, WalkTotals& totals) {
  ScoreLayout layout = MakeScoreLayout(kBitmapScoreMetrics, 480, kScoreBeams | kScoreNoteHeads | kScoreNoteHooks);
  layout.staffCentreY = 300;
  ScoreWalkState state;
  BeginScoreWalk(state, layout, 0, 4, 4);
  totals.lastLine = WalkScoreLines(state, m, 0, 1 << 30, &totals.tally);
  totals.groups += state.groups;
  totals.endX = state.x;
}

// Both panes over the whole track with every switch on: the upper pane's
// background, notes, beams and gate lines, the lower pane's bars and curves,
// the position line and a selection of the whole track.
void LayOutPanes(StepEditModel& m, ScoreDrawCounter& counter) {
  ScoreLayout layout = MakeScoreLayout(
      kBitmapScoreMetrics, 480,
      kScoreShowGate | kScoreShowVelocity | kScoreShowBend | kScoreShowVolume | kScoreShowModulation |
          kScoreShowExpression | kScoreNoteHeads | kScoreNoteHooks | kScoreShowTempo | kScoreBeams);
  layout.staffCentreY = 300;
  constexpr int32_t kPaneWidth = 1 << 30;
  LayoutUpperPaneBackground(&m, layout, 2000, 600, 0, false, {}, counter);
  UpperPaneSettings upper;
  if (!LayoutUpperPane(m, layout, upper, 0, kPaneWidth, counter).ok) std::printf("no upper pane\n");
  LayoutLowerPane(&m, layout, 0, kPaneWidth, 200, counter);
  LayoutScorePositionLine(true, 400, 200, counter);
  m.selFrom = 0;
  m.selTo = m.eventCount - 1;
  LayoutScoreSelection(m, layout, 0, kPaneWidth, 0, 200, counter);
}

}  // namespace

static void BenchScorePanes(const Events& track) {
  std::vector<double> one, all;
  uint64_t items = 0;
  for (int run = 0; run < kRuns; ++run) {
    ModelSong song;
    for (int t = 1; t <= kScoreTracks; ++t) song.SetTrack(t, track);
    std::vector<StepEditModel*> models;
    for (int t = 1; t <= kScoreTracks; ++t) models.push_back(&song.Open(t));

    ScoreDrawCounter single;
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    LayOutPanes(*models[0], single);
    QueryPerformanceCounter(&b);
    one.push_back(Ms(a, b));

    ScoreDrawCounter total;
    QueryPerformanceCounter(&a);
    for (StepEditModel* m : models) LayOutPanes(*m, total);
    QueryPerformanceCounter(&b);
    all.push_back(Ms(a, b));
    items = single.count;
  }
  std::sort(one.begin(), one.end());
  std::sort(all.begin(), all.end());
  std::printf("stepedit %-28s median of %d: %8.3f ms (best %.3f, worst %.3f), %llu items\n",
              "score both panes (one track)", kRuns, one[one.size() / 2], one.front(), one.back(),
              static_cast<unsigned long long>(items));
  std::printf("stepedit %-28s median of %d: %8.3f ms (best %.3f, worst %.3f), %.3f ms a track\n",
              "score both panes (36 tracks)", kRuns, all[all.size() / 2], all.front(), all.back(),
              all[all.size() / 2] / kScoreTracks);
}

void BenchScoreModel() {
  const Events track = ScoreTrack();
  std::vector<double> one, all;
  WalkTotals last;
  for (int run = 0; run < kRuns; ++run) {
    ModelSong song;
    for (int t = 1; t <= kScoreTracks; ++t) song.SetTrack(t, track);
    std::vector<StepEditModel*> models;
    for (int t = 1; t <= kScoreTracks; ++t) models.push_back(&song.Open(t));

    WalkTotals single;
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    WalkTrack(*models[0], single);
    QueryPerformanceCounter(&b);
    one.push_back(Ms(a, b));

    WalkTotals totals;
    QueryPerformanceCounter(&a);
    for (StepEditModel* m : models) WalkTrack(*m, totals);
    QueryPerformanceCounter(&b);
    all.push_back(Ms(a, b));
    last = single;
  }
  std::sort(one.begin(), one.end());
  std::sort(all.begin(), all.end());
  std::printf("stepedit %-28s median of %d: %8.3f ms (best %.3f, worst %.3f)\n", "score walk (one track)", kRuns,
              one[one.size() / 2], one.front(), one.back());
  std::printf("stepedit %-28s median of %d: %8.3f ms (best %.3f, worst %.3f), %.3f ms a track\n",
              "score walk (36 tracks)", kRuns, all[all.size() / 2], all.front(), all.back(),
              all[all.size() / 2] / kScoreTracks);
  std::printf("stepedit   score: %d events, %ld records, %d beam groups, %ld ties, %ld bars, last line %d, x %d\n",
              static_cast<int>(track.size()) - 1, last.tally.records, last.groups, last.tally.ties, last.tally.bars,
              last.lastLine, last.endX);
  BenchScorePanes(track);
}

}  // namespace stepbench
