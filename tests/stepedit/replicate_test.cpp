#include "replicate.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "editmodel.h"
#include "lineindex.h"
#include "modelfixture.h"

namespace {

using namespace modelfixture;

StepEvent SameMeasure(uint16_t measure, uint16_t target) { return Ev(0xFC, 0, measure, target); }

// Four measures of one to two notes each.
Events FourMeasures() {
  return Track({Note(60, 120), MeasureEnd(), Note(62, 120), Note(64, 120), MeasureEnd(), Note(65, 120),
                MeasureEnd(), Note(67, 120), MeasureEnd()});
}

void CaretOnEvent(StepEditModel& m, int32_t event) {
  m.topLine = 0;
  m.caretRow = static_cast<int16_t>(LineOfEvent(m, event) + 1);
}

ReplicateSettings Settings(uint32_t from, uint32_t to, int32_t source, uint32_t times, int32_t bias = 0) {
  ReplicateSettings s;
  s.startMeasure = from;
  s.endMeasure = to;
  s.sourceTrack = source;
  s.times = times;
  s.bias = bias;
  return s;
}

// The measure the editor shows an event in.
int ShownMeasure(const StepEditModel& m, int32_t event) {
  Locked positions(ReadTrackBlock(m).positions);
  return positions.as<StepPosition>()[event].measure;
}

TEST(Replicate, TimesThreeOfMeasuresTwoToThreeGoInARowBeforeTheCaret) {
  ModelSong song;
  song.SetTrack(1, FourMeasures());
  StepEditModel& m = song.Open(1);
  CaretOnEvent(m, 7);
  m.selFrom = 2;
  m.selTo = 3;

  const EditResult r = ReplicateStepRange(m, song.ctx, Settings(3, 2, 1, 3));  // start after end: swapped
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(r.stateBits, 3u);
  EXPECT_TRUE(r.indexRebuilt);
  EXPECT_TRUE(r.selectionChanged);
  EXPECT_FALSE(r.renumberRefs);
  const Events run = {Note(62, 120), Note(64, 120), MeasureEnd(), Note(65, 120), MeasureEnd()};
  const Events before = FourMeasures();
  Events expected(before.begin(), before.begin() + 7);
  for (int k = 0; k < 3; ++k) expected.insert(expected.end(), run.begin(), run.end());
  expected.insert(expected.end(), {Note(67, 120), MeasureEnd(), EndEvent()});
  EXPECT_TRUE(SameBytes(song.Read(1), expected));
  EXPECT_EQ(m.eventCount, 24);
  EXPECT_EQ(m.lineCount, 25);
  EXPECT_EQ(m.selFrom, -1);
  EXPECT_EQ(m.selTo, -1);
}

TEST(Replicate, OwnTrackIsTheSourceEvenWhenTheRunMoves) {
  ModelSong song;
  song.SetTrack(1, FourMeasures());
  StepEditModel& m = song.Open(1);
  CaretOnEvent(m, 0);  // before the run: it moves up as the copies go in

  const EditResult r = ReplicateStepRange(m, song.ctx, Settings(2, 3, 1, 2, 12));
  EXPECT_EQ(r.status, EditStatus::Ok);
  const Events run = {Note(74, 120), Note(76, 120), MeasureEnd(), Note(77, 120), MeasureEnd()};
  Events expected = run;
  expected.insert(expected.end(), run.begin(), run.end());
  const Events before = FourMeasures();
  expected.insert(expected.end(), before.begin(), before.end());
  EXPECT_TRUE(SameBytes(song.Read(1), expected));
}

TEST(Replicate, AnotherTracksRunIsTransposedWithOctaveFolding) {
  ModelSong song;
  song.SetTrack(1, FourMeasures());
  song.SetTrack(2, Track({Note(30, 60), MeasureEnd(), Note(120, 60), Note(61, 0, 0, 0), Ev(0xEB, 64, 0, 7),
                          Ev(0xF9, 0, 0, 0), Ev(0xF8, 0, 2, 0), MeasureEnd()}));
  StepEditModel& m = song.Open(1);
  CaretOnEvent(m, 2);

  const EditResult r = ReplicateStepRange(m, song.ctx, Settings(2, 9, 2, 1, 12));  // past the last measure
  EXPECT_EQ(r.status, EditStatus::Ok);
  const Events before = FourMeasures();
  Events expected(before.begin(), before.begin() + 2);
  // Notes and rests move; commands, repeat marks and measure ends do not.
  expected.insert(expected.end(), {Note(120, 60), Note(73, 0, 0, 0), Ev(0xEB, 64, 0, 7), Ev(0xF9, 0, 0, 0),
                                   Ev(0xF8, 0, 2, 0), MeasureEnd()});
  expected.insert(expected.end(), before.begin() + 2, before.end());
  EXPECT_TRUE(SameBytes(song.Read(1), expected));
}

TEST(Replicate, SourceTrackIsKeptWithinTheSong) {
  ModelSong song;
  song.SetTrack(1, FourMeasures());
  song.SetTrack(2, Track({Note(40, 60), MeasureEnd()}));
  StepEditModel& m = song.Open(1);
  CaretOnEvent(m, 0);
  EXPECT_EQ(ReplicateStepRange(m, song.ctx, Settings(1, 1, 7, 1)).status, EditStatus::Ok);  // the last track
  EXPECT_EQ(song.Read(1)[0].code, 40);
  EXPECT_EQ(ReplicateStepRange(m, song.ctx, Settings(1, 1, -3, 1)).status, EditStatus::Ok);  // track 1
  EXPECT_EQ(song.Read(1)[0].code, 40);
  EXPECT_EQ(song.Read(1)[2].code, 40);
  EXPECT_EQ(m.eventCount, 13);
}

TEST(Replicate, TimesZeroInsertsNothingButClearsAndMarks) {
  ModelSong song;
  song.SetTrack(1, FourMeasures());
  StepEditModel& m = song.Open(1);
  CaretOnEvent(m, 4);
  m.selFrom = 1;
  m.selTo = 5;

  const EditResult r = ReplicateStepRange(m, song.ctx, Settings(1, 4, 1, 0));
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(r.stateBits, 3u);
  EXPECT_TRUE(r.selectionChanged);
  EXPECT_TRUE(SameBytes(song.Read(1), FourMeasures()));
  EXPECT_EQ(m.selFrom, -1);
  EXPECT_EQ(m.selTo, -1);
}

struct FullCase {
  int filler;  // notes after measure 1
  bool fits;
};

TEST(Replicate, ReachingTheTrackLimitIsFullWithTheStopIcon) {
  // Measure 1 is two events, so one copy brings the track to 2 + filler + 2.
  const FullCase cases[] = {{kMaxTrackEvents - 4, false}, {kMaxTrackEvents - 5, true}};
  for (const FullCase& c : cases) {
    SCOPED_TRACE(c.filler);
    Events before = {Note(60, 120), MeasureEnd()};
    const Events notes = NotesTrack(c.filler);
    before.insert(before.end(), notes.begin(), notes.end());
    ModelSong song;
    song.SetTrack(1, before);
    StepEditModel& m = song.Open(1);
    m.selFrom = m.selTo = 3;

    const EditResult r = ReplicateStepRange(m, song.ctx, Settings(1, 1, 1, 1));
    if (c.fits) {
      EXPECT_EQ(r.status, EditStatus::Ok);
      EXPECT_EQ(m.eventCount, kMaxTrackEvents - 1);
      continue;
    }
    EXPECT_EQ(r.status, EditStatus::TrackFull);
    EXPECT_EQ(r.messageId, kTrackFullMessageId);
    EXPECT_EQ(r.messageStyle & MB_ICONMASK, static_cast<UINT>(MB_ICONHAND));
    EXPECT_EQ(r.stateBits, 0u);
    EXPECT_TRUE(SameBytes(song.Read(1), before));
    EXPECT_EQ(m.selFrom, 3);
  }
}

TEST(Replicate, SameMeasureEventsCountAsTheStepListNumbersThem) {
  // Measures: 1 the note; 2 the reference after it; 3 a note and its end;
  // 4 the reference after that end; 5 the last note. After 0xFB a
  // reference stays in the measure too.
  const Events before = Track({Note(60, 120), SameMeasure(0, 48), Note(62, 120), MeasureEnd(), SameMeasure(0, 48),
                               Note(64, 120), MeasureEnd(), Ev(0xFB, 0, 0, 0), SameMeasure(0, 48), Note(65, 120)});
  struct Case {
    uint32_t from, to;
    Events run;
  };
  const Case cases[] = {
      {2, 2, {SameMeasure(0, 48)}},
      {3, 3, {Note(62, 120), MeasureEnd()}},
      {4, 4, {SameMeasure(0, 48)}},
      {2, 4, {SameMeasure(0, 48), Note(62, 120), MeasureEnd(), SameMeasure(0, 48)}},
      {5, 5, {Note(64, 120), MeasureEnd()}},
      {6, 6, {Ev(0xFB, 0, 0, 0), SameMeasure(0, 48)}},
      {7, 7, {Note(65, 120)}},
      {8, 8, {}},
  };
  {
    ModelSong song;
    song.SetTrack(1, before);
    const StepEditModel& m = song.Open(1);
    const int shown[] = {1, 2, 3, 3, 4, 5, 5, 6, 6, 7};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(ShownMeasure(m, i), shown[i]) << i;
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from << ".." << c.to);
    ModelSong song;
    song.SetTrack(1, before);
    StepEditModel& m = song.Open(1);
    CaretOnEvent(m, static_cast<int32_t>(before.size()) - 1);  // the end line
    const EditResult r = ReplicateStepRange(m, song.ctx, Settings(c.from, c.to, 1, 1));
    EXPECT_EQ(r.status, EditStatus::Ok);
    const Events after = song.Read(1);
    ASSERT_EQ(after.size(), before.size() + c.run.size());
    const Events added(after.begin() + static_cast<long>(before.size()) - 1, after.end() - 1);
    ASSERT_EQ(added.size(), c.run.size());
    for (size_t i = 0; i < added.size(); ++i) {
      EXPECT_EQ(added[i].code, c.run[i].code) << i;
      EXPECT_EQ(added[i].step, c.run[i].step) << i;
    }
  }
}

TEST(Replicate, SameMeasureReferencesPointAtTheirMeasuresAfterwards) {
  // The reference names measure 2 (stored 1), which begins at index 3.
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120), Note(61, 120), MeasureEnd(), Note(62, 120), MeasureEnd(),
                          SameMeasure(1, 3 + 48)}));
  StepEditModel& m = song.Open(1);
  CaretOnEvent(m, 1);  // within measure 1: the run splits it

  const EditResult r = ReplicateStepRange(m, song.ctx, Settings(1, 1, 1, 1));
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_TRUE(r.renumberRefs);
  const Events after = song.Read(1);
  ASSERT_EQ(after.size(), 10u);
  // Measure 2 now begins at index 4 (the rest of the split measure).
  EXPECT_EQ(after[4].code, 61);
  EXPECT_EQ(after[8].code, 0xFC);
  EXPECT_EQ(after[8].step, 1);
  EXPECT_EQ(after[8].gate, 4 + 48);
}

// Replicating over every track: track 1 has the window, track 2 another
// editor on a block sized to its events, track 3 is shorter, track 4 a
// rhythm track, track 5 empty.
class ReplicateAll : public testing::Test {
 protected:
  void SetUp() override {
    song.SetTrack(1, FourMeasures());
    song.SetTrack(2, Track2(), false);
    song.SetTrack(3, Track({Note(70, 120), MeasureEnd(), Note(72, 120)}), false);
    song.SetTrack(4, Track({Note(36, 120), MeasureEnd(), Note(38, 120), MeasureEnd()}));
    song.SetTrack(5, Track({}));
    for (int t = 1; t <= 5; ++t) {
      headers[t - 1] = GlobalAlloc(kShareableZeroed, sizeof(TrackHeader));
      auto* th = static_cast<TrackHeader*>(GlobalLock(headers[t - 1]));
      th->number = static_cast<uint8_t>(t);
      th->rhythm = t == 4 ? 0x80 : 0;
      GlobalUnlock(headers[t - 1]);
      song.ctx.handles->h[TrackHeaderEntry(t)] = headers[t - 1];
    }
    window = &song.Open(1);
    other = &song.Open(2);
    other->selFrom = 0;
    other->selTo = 2;
  }
  void TearDown() override {
    for (HGLOBAL& h : headers) GlobalFree(h);
  }
  static Events Track2() {
    return Track({Note(48, 120), Note(49, 120), MeasureEnd(), Note(50, 120), MeasureEnd(), Note(51, 120),
                  MeasureEnd()});
  }
  std::vector<Events> ReadAll() const {
    std::vector<Events> all;
    for (int t = 1; t <= 5; ++t) all.push_back(song.Read(t));
    return all;
  }

  ModelSong song;
  HGLOBAL headers[5] = {};
  StepEditModel* window = nullptr;
  StepEditModel* other = nullptr;
};

TEST_F(ReplicateAll, EveryTrackCopiesItsOwnMeasuresBeforeTheCaretsMeasure) {
  CaretOnEvent(*window, 5);  // measure 3
  window->selFrom = window->selTo = 5;
  song.shared.allTracksFlag = 1;

  const EditResult r = ReplicateStepRange(*window, song.ctx, Settings(2, 2, 1, 2, 1));
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(song.shared.allTracksFlag, 0u);
  EXPECT_EQ(r.stateBits, 3u);
  EXPECT_EQ(r.refreshTracks, std::vector<int>{2});

  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(60, 120), MeasureEnd(), Note(62, 120), Note(64, 120), MeasureEnd(),
                                             Note(63, 120), Note(65, 120), MeasureEnd(), Note(63, 120), Note(65, 120),
                                             MeasureEnd(), Note(65, 120), MeasureEnd(), Note(67, 120), MeasureEnd()})));
  EXPECT_TRUE(SameBytes(song.Read(2), Track({Note(48, 120), Note(49, 120), MeasureEnd(), Note(50, 120), MeasureEnd(),
                                             Note(51, 120), MeasureEnd(), Note(51, 120), MeasureEnd(), Note(51, 120),
                                             MeasureEnd()})));
  // Shorter: its measure 2 goes in at its end.
  EXPECT_TRUE(SameBytes(song.Read(3), Track({Note(70, 120), MeasureEnd(), Note(72, 120), Note(73, 120),
                                             Note(73, 120)})));
  // Rhythm: keys kept.
  EXPECT_TRUE(SameBytes(song.Read(4), Track({Note(36, 120), MeasureEnd(), Note(38, 120), MeasureEnd(), Note(38, 120),
                                             MeasureEnd(), Note(38, 120), MeasureEnd()})));
  EXPECT_TRUE(SameBytes(song.Read(5), Track({})));
  for (int t = 1; t <= 5; ++t) EXPECT_EQ(song.State(t) & 3u, 3u) << t;

  EXPECT_EQ(window->selFrom, -1);
  EXPECT_EQ(window->eventCount, 15);
  EXPECT_EQ(other->selFrom, -1);
  EXPECT_EQ(other->selTo, -1);
  EXPECT_EQ(other->eventCount, 11);
  ModelEvents block(*other);  // the editor follows its grown block
  ASSERT_NE(block.events(), nullptr);
  EXPECT_EQ(ReadTrackBlock(*other).events, song.Block(2));
  EXPECT_TRUE(SameBytes(Events(block.events(), block.events() + 12), song.Read(2)));
}

TEST_F(ReplicateAll, CaretBeforeTheCopiedMeasuresInsertsWhatTheyHeldBefore) {
  CaretOnEvent(*window, 1);  // measure 1
  const EditResult r = ReplicateAllTracks(*window, song.ctx, Settings(2, 3, 1, 1));
  EXPECT_EQ(r.status, EditStatus::Ok);
  const Events before = FourMeasures();
  Events expected(before.begin() + 2, before.begin() + 7);
  expected.insert(expected.end(), before.begin(), before.end());
  EXPECT_TRUE(SameBytes(song.Read(1), expected));
  const Events two = Track2();
  expected.assign(two.begin() + 3, two.begin() + 7);
  expected.insert(expected.end(), two.begin(), two.end());
  EXPECT_TRUE(SameBytes(song.Read(2), expected));
  EXPECT_TRUE(SameBytes(song.Read(3), Track({Note(72, 120), Note(70, 120), MeasureEnd(), Note(72, 120)})));
}

TEST_F(ReplicateAll, OneTrackReachingTheLimitStopsBeforeAnyChanges) {
  // Track 3 with a measure of two events and filler to 16,369.
  Events full = {Note(70, 120), MeasureEnd()};
  const Events notes = NotesTrack(kMaxTrackEvents - 4);
  full.insert(full.end(), notes.begin(), notes.end());
  song.SetTrack(3, full);
  const std::vector<Events> before = ReadAll();
  CaretOnEvent(*window, 0);

  const EditResult r = ReplicateAllTracks(*window, song.ctx, Settings(1, 1, 1, 1));
  EXPECT_EQ(r.status, EditStatus::TrackFull);
  EXPECT_EQ(r.messageId, kTrackFullMessageId);
  EXPECT_EQ(r.messageStyle & MB_ICONMASK, static_cast<UINT>(MB_ICONHAND));
  const std::vector<Events> after = ReadAll();
  for (int t = 0; t < 5; ++t) {
    EXPECT_TRUE(SameBytes(after[t], before[t])) << t + 1;
    EXPECT_EQ(song.State(t + 1) & 1u, 0u) << t + 1;
  }
  EXPECT_EQ(other->selFrom, 0);
}

TEST_F(ReplicateAll, EachChangedTrackHasItsReferencesRenumbered) {
  // Track 5's reference names measure 2, which begins at index 3.
  song.SetTrack(5, Track({Note(80, 120), Note(82, 120), MeasureEnd(), Note(81, 120), MeasureEnd(),
                          SameMeasure(1, 3 + 48)}));
  CaretOnEvent(*window, 0);
  const EditResult r = ReplicateAllTracks(*window, song.ctx, Settings(2, 2, 1, 1));
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_FALSE(r.renumberRefs);  // the window's own track has none
  const Events after = song.Read(5);
  ASSERT_EQ(after.size(), 9u);
  EXPECT_EQ(after[2].code, 80);  // measure 2 now begins here
  EXPECT_EQ(after[7].code, 0xFC);
  EXPECT_EQ(after[7].gate, 2 + 48);
}

int g_grows = 0;
HGLOBAL GrowOnceThenFail(HGLOBAL block, SIZE_T bytes) {
  if (++g_grows > 1) return nullptr;
  return GlobalReAlloc(block, bytes, GMEM_MOVEABLE | GMEM_ZEROINIT);
}

TEST_F(ReplicateAll, ABlockThatCannotGrowLeavesEveryTrackAsItWas) {
  // Tracks 2 and 3 have small blocks: 2 grows, 3 cannot.
  const std::vector<Events> before = ReadAll();
  CaretOnEvent(*window, 0);
  g_grows = 0;

  const EditResult r = ReplicateAllTracks(*window, song.ctx, Settings(1, 2, 1, 3), GrowOnceThenFail);
  EXPECT_EQ(g_grows, 2);
  EXPECT_EQ(r.status, EditStatus::TrackFull);
  EXPECT_EQ(r.messageStyle & MB_ICONMASK, static_cast<UINT>(MB_ICONHAND));
  const std::vector<Events> after = ReadAll();
  for (int t = 0; t < 5; ++t) {
    EXPECT_TRUE(SameBytes(after[t], before[t])) << t + 1;
    EXPECT_EQ(song.State(t + 1) & 1u, 0u) << t + 1;
  }
  EXPECT_EQ(ReadTrackBlock(*other).events, song.Block(2));  // the grown block, same events
  EXPECT_EQ(other->eventCount, 7);
}

}  // namespace
