#include "quantize.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "editmodel.h"
#include "lineindex.h"
#include "modelfixture.h"
#include "testsupport.h"

namespace {

using namespace modelfixture;

StepEvent Rest(uint8_t key, uint16_t step) { return Note(key, step, 0, 0); }
StepEvent NewRest(uint16_t step) { return Note(0, step, 0, 0); }  // what quantize writes after a mark

struct Outcome {
  EditResult result;
  Events after;
};

// Quantizes events from..to of a one-track song (resolution in ticks).
Outcome Quantize(const Events& track, int32_t from, int32_t to, uint32_t resolution, uint32_t rate,
             const EventFilter& filter = {}, bool rhythm = false) {
  ModelSong song;
  song.SetTrack(1, track);
  StepEditModel& m = song.Open(1, rhythm);
  m.selFrom = from;
  m.selTo = to;
  Outcome run;
  run.result = QuantizeStepRange(m, song.ctx, resolution, rate, filter);
  run.after = song.Read(1);
  return run;
}

#define EXPECT_TRACK(actual, expected) EXPECT_TRUE(SameBytes(actual, expected)) << ShowEvents(actual)

TEST(Quantize, UnitResetAndClamps) {
  struct Case {
    uint16_t timeBase;
    uint32_t unit, reset;
  } cases[] = {{480, 10, 60}, {96, 2, 12}, {48, 1, 6}, {24, 1, 6}, {0, 1, 6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.timeBase);
    EXPECT_EQ(QuantizeUnit(c.timeBase), c.unit);
    QuantizeSettings s;
    s.resolution = 1;
    s.rate = 77;
    ResetQuantizeResolution(s, c.timeBase);
    EXPECT_EQ(s.resolution, c.reset);
    EXPECT_EQ(s.rate, 77u);  // the rate is kept
  }
  struct Clamp {
    uint32_t resolution, rate, wantResolution, wantRate;
  } clamps[] = {{39, 49, 40, 50}, {40, 50, 40, 50}, {480, 100, 480, 100}, {481, 101, 480, 100}, {0, 0, 40, 50}};
  for (const Clamp& c : clamps) {
    QuantizeSettings s{c.resolution, c.rate};
    ClampQuantizeSettings(s, 480);
    EXPECT_EQ(s.resolution, c.wantResolution);
    EXPECT_EQ(s.rate, c.wantRate);
  }
}

TEST(Quantize, RatesMoveTowardTheGrid) {
  // Times 0, 45, 150 and the end at 240; grid of 120.
  const Events track = Track({Note(60, 45), Note(62, 105), Note(64, 90)});
  struct Case {
    uint32_t rate;
    Events want;
  } cases[] = {
      // 45 -> 0 and 150 -> 120: on the grid.
      {100, Track({Note(60, 0), Note(62, 120), Note(64, 120)})},
      // Half way, truncated toward the old time: 45 -> 23 (not 22), 150 -> 135.
      {50, Track({Note(60, 23), Note(62, 112), Note(64, 105)})},
      // 45 - 33.75 -> 12, 150 - 22.5 -> 128.
      {75, Track({Note(60, 12), Note(62, 116), Note(64, 112)})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rate);
    const Outcome run = Quantize(track, 0, 2, 120, c.rate);
    EXPECT_EQ(run.result.status, EditStatus::Ok);
    EXPECT_EQ(run.result.stateBits, 3u);
    EXPECT_TRUE(run.result.indexRebuilt);
    EXPECT_TRACK(run.after, c.want);
  }
}

TEST(Quantize, HalfwayGoesToTheLaterGridPoint) {
  const Outcome run = Quantize(Track({Note(60, 60), Note(62, 60)}), 0, 1, 120, 100);
  EXPECT_TRACK(run.after, Track({Note(60, 120), Note(62, 0)}));
  const Outcome before = Quantize(Track({Note(60, 59), Note(62, 61)}), 0, 1, 120, 100);
  EXPECT_TRACK(before.after, Track({Note(60, 0), Note(62, 120)}));
}

TEST(Quantize, OverlapsKeepOneTickAndCollisionsEndWhereTheNextBegins) {
  // The first note's gate of 80 reaches the next C at 50: after the move to
  // 48 it still reaches one tick into it.
  Outcome run = Quantize(Track({Note(60, 50, 80), Note(60, 70, 10)}), 0, 1, 48, 100);
  EXPECT_TRACK(run.after, Track({Note(60, 48, 49), Note(60, 72, 10)}));

  // A gate of 100 ends before the next C at 110; moved to 96, that one now
  // begins inside it, and the gate ends there.
  run = Quantize(Track({Note(60, 110, 100), Note(60, 10, 10)}), 0, 1, 96, 100);
  EXPECT_TRACK(run.after, Track({Note(60, 96, 96), Note(60, 24, 10)}));

  // Other keys are no limit.
  run = Quantize(Track({Note(60, 110, 100), Note(62, 10, 10)}), 0, 1, 96, 100);
  EXPECT_TRACK(run.after, Track({Note(60, 96, 100), Note(62, 24, 10)}));
}

TEST(Quantize, AGateOf65535IsNoMarkerOfItsOwn) {
  // A long note with no later note of its key keeps its gate.
  const Outcome run = Quantize(Track({Note(60, 50, 65535), Note(62, 70)}), 0, 1, 120, 100);
  EXPECT_TRACK(run.after, Track({Note(60, 0, 65535), Note(62, 120)}));
}

TEST(Quantize, TheFilterKeepsClassesInPlaceExceptInTheRhythmGrid) {
  // A volume change at 50 between notes at 0 and 120.
  const Events track = Track({Note(36, 50), Ev(0xEB, 100, 70, 7), Note(38, 120)});
  EventFilter volume;
  volume.mask = kFilterVolume;

  Outcome run = Quantize(track, 0, 2, 120, 100, volume);
  EXPECT_TRACK(run.after, track);
  run = Quantize(track, 0, 2, 120, 100, volume, true);
  EXPECT_TRACK(run.after, Track({Note(36, 0), Ev(0xEB, 100, 120, 7), Note(38, 120)}));
  run = Quantize(track, 0, 2, 120, 100);
  EXPECT_TRACK(run.after, Track({Note(36, 0), Ev(0xEB, 100, 120, 7), Note(38, 120)}));
}

TEST(Quantize, MeasureEndBeforeAMovedNoteGetsARest) {
  // Times 0, 90, the measure end at 100, 100, end 210: the notes at 90 and
  // 100 move to 120, behind the measure end, which hands its 20 ticks to a
  // new rest.
  const Outcome run = Quantize(Track({Note(60, 90), Note(62, 10), MeasureEnd(), Note(64, 110), Note(65, 30)}), 0, 3,
                           120, 100);
  EXPECT_TRACK(run.after,
               Track({Note(60, 100), MeasureEnd(), NewRest(20), Note(62, 0), Note(64, 90), Note(65, 30)}));
}

TEST(Quantize, EmptyRestsGoAndNotesTakeTheStepOfARestBehind) {
  // The rest at 50 moves to 0 with the note: the note takes its step and
  // the rest goes; the rest at the end keeps its time.
  Outcome run = Quantize(Track({Note(60, 50), Rest(60, 70)}), 0, 1, 120, 100);
  EXPECT_TRACK(run.after, Track({Note(60, 120)}));
  run = Quantize(Track({Note(60, 120), Rest(60, 120), Rest(62, 0)}), 0, 2, 120, 100);
  EXPECT_TRACK(run.after, Track({Note(60, 120), Rest(60, 120)}));
}

TEST(Quantize, ContinuationsStayBehindTheirHead) {
  // A track exclusive at 70 and its data: the head moves to 120 and the
  // data goes with it rather than being sorted in front of it.
  const StepEvent head = Ev(0x98, 0, 0, 3);
  const StepEvent data1 = Ev(0xF7, 0x41, 0x1042, 0x12F0), data2 = Ev(0xF7, 0x10, 0xF77F, 0x0000);
  const Outcome run = Quantize(Track({Note(60, 70), head, data1, data2, Note(62, 50)}), 0, 4, 120, 100);
  EXPECT_TRACK(run.after, Track({Note(60, 120), head, data1, data2, Note(62, 0)}));

  // A memo carries no time; its rest goes behind its last continuation.
  const StepEvent memo = Ev(0xF6, 'a', 0x6362, 0x6564), text = Ev(0xF7, 'f', 0x6867, 0x6A69);
  const Outcome memoRun = Quantize(Track({Note(60, 100), memo, text, Note(62, 20)}), 0, 3, 120, 100);
  EXPECT_TRACK(memoRun.after, Track({Note(60, 100), memo, text, NewRest(20), Note(62, 0)}));
}

TEST(Quantize, OnlyTheSelectionMovesAndTheCaretGoesToItsStart) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 45), Note(62, 45), Note(64, 45), Note(65, 45), Note(67, 45)}));
  StepEditModel& m = song.Open(1);
  m.anchorLine = 1;
  m.topLine = 3;
  m.caretRow = 1;
  m.selFrom = 2;
  m.selTo = 3;
  // Selected times 0 and 45, the end at 90: 45 -> 60 on a grid of 60.
  const EditResult r = QuantizeStepRange(m, song.ctx, 60, 100, {});
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_TRUE(r.selectionChanged);
  EXPECT_TRACK(song.Read(1), Track({Note(60, 45), Note(62, 45), Note(64, 60), Note(65, 30), Note(67, 45)}));
  EXPECT_EQ(m.topLine, 1);
  EXPECT_EQ(m.caretRow, 2);  // line 2, the former selection start
  EXPECT_EQ(m.selFrom, -1);

  // A selection start before the anchor line leaves the view alone.
  m.anchorLine = 3;
  m.topLine = 3;
  m.caretRow = 2;
  m.selFrom = 0;
  m.selTo = 1;
  EXPECT_EQ(QuantizeStepRange(m, song.ctx, 60, 100, {}).status, EditStatus::Ok);
  EXPECT_TRACK(song.Read(1), Track({Note(60, 60), Note(62, 30), Note(64, 60), Note(65, 30), Note(67, 45)}));
  EXPECT_EQ(m.topLine, 3);
  EXPECT_EQ(m.caretRow, 2);
}

TEST(Quantize, RefusesWithoutASelectionOrAResolution) {
  ModelSong song;
  const Events track = Track({Note(60, 45), Note(62, 45)});
  song.SetTrack(1, track);
  StepEditModel& m = song.Open(1);
  EXPECT_EQ(QuantizeStepRange(m, song.ctx, 60, 100, {}).status, EditStatus::Refused);
  m.selFrom = m.selTo = 2;  // the end event alone
  EXPECT_EQ(QuantizeStepRange(m, song.ctx, 60, 100, {}).status, EditStatus::Refused);
  m.selFrom = 0;
  m.selTo = 1;
  EXPECT_EQ(QuantizeStepRange(m, song.ctx, 0, 100, {}).status, EditStatus::Refused);
  EXPECT_EQ(QuantizeStepRange(m, song.ctx, 60, 101, {}).status, EditStatus::Refused);
  EXPECT_TRACK(song.Read(1), track);
}

// fill notes on the grid, then a note, a measure end and a note whose move
// behind the measure end needs one rest.
Events NearlyFull(int fill) {
  Events e(static_cast<size_t>(fill), Note(48, 120, 60));
  for (const StepEvent& x : {Note(60, 100), MeasureEnd(), Note(62, 20)}) e.push_back(x);
  e.push_back(EndEvent());
  return e;
}

TEST(Quantize, RestsThatWouldOverfillTheTrackAreRefusedFirst) {
  struct Case {
    int fill;
    EditStatus want;
  } cases[] = {{kMaxTrackEvents - 4, EditStatus::TrackFull}, {kMaxTrackEvents - 5, EditStatus::Ok}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fill);
    const Events track = NearlyFull(c.fill);
    const Outcome run = Quantize(track, c.fill, c.fill + 2, 120, 100);
    EXPECT_EQ(run.result.status, c.want);
    if (c.want == EditStatus::TrackFull) {
      EXPECT_EQ(run.result.messageId, 1931u);
      EXPECT_EQ(run.result.messageStyle & MB_ICONMASK, static_cast<UINT>(MB_ICONHAND));
      EXPECT_EQ(run.result.stateBits, 0u);
      EXPECT_TRACK(run.after, track);
    } else {
      ASSERT_EQ(run.after.size(), track.size() + 1);
      EXPECT_EQ(run.after.size() - 1, static_cast<size_t>(kMaxTrackEvents - 1));
      EXPECT_EQ(run.after[c.fill + 2].code, 0);  // the new rest
    }
  }
}

TEST(Quantize, RestsThatWouldOverrunTheCutBlockAreRefused) {
  // Each note, measure end, rest: the rest moves onto the next note and
  // goes, the measure end gains a rest. The track would keep its size, but
  // the cut block cannot hold a full track and its rests.
  Events track;
  while (track.size() + 3 <= static_cast<size_t>(kMaxTrackEvents)) {
    for (const StepEvent& x : {Note(60, 100), MeasureEnd(), Rest(60, 20)}) track.push_back(x);
  }
  track.push_back(EndEvent());
  const auto n = static_cast<int32_t>(track.size()) - 1;
  Outcome run = Quantize(track, 0, n - 1, 120, 100);
  EXPECT_EQ(run.result.status, EditStatus::TrackFull);
  EXPECT_TRACK(run.after, track);

  // A few of them are no trouble, and the result keeps the count.
  run = Quantize(track, 0, 5, 120, 100);
  EXPECT_EQ(run.result.status, EditStatus::Ok);
  EXPECT_EQ(run.after.size(), track.size());
  const Events want = {Note(60, 100), MeasureEnd(), NewRest(20), Note(60, 100), MeasureEnd(), NewRest(20)};
  const Events head(run.after.begin(), run.after.begin() + 6);
  EXPECT_TRACK(head, want);
}

// The exchanges as a plain double loop: the order the reorder must give.
void ReferenceExchange(std::vector<int64_t>& t, std::vector<int32_t>& order) {
  for (size_t i = 0; i < t.size(); ++i) {
    for (size_t j = i + 1; j < t.size(); ++j) {
      if (t[j] < t[i]) {
        std::swap(t[i], t[j]);
        std::swap(order[i], order[j]);
      } else if (t[j] - t[i] >= kQuantizeReorderWindow) {
        break;
      }
    }
  }
}

TEST(Quantize, ReorderGivesTheOrderOfTheExchanges) {
  // The scan from 100 stops at 10,200, so 50 behind it is never compared
  // with 100; it only changes places with 10,200.
  std::vector<int64_t> t = {100, 10200, 50};
  std::vector<int32_t> order = {0, 1, 2};
  ExchangeOrderByTime(t, order);
  EXPECT_EQ(order, (std::vector<int32_t>{0, 2, 1}));
  // Each scan exchanges with every new low: 30, 20, 10 pass through the front.
  t = {40, 30, 35, 20, 10};
  order = {0, 1, 2, 3, 4};
  ExchangeOrderByTime(t, order);
  EXPECT_EQ(t, (std::vector<int64_t>{10, 20, 30, 35, 40}));
  EXPECT_EQ(order, (std::vector<int32_t>{4, 3, 1, 2, 0}));

  std::mt19937 random(2024);
  for (int trial = 0; trial < 300; ++trial) {
    SCOPED_TRACE(trial);
    // Ascending times with steps that are often 0, some events shifted back
    // and forth, now and then a gap near the window.
    const int n = 1 + static_cast<int>(random() % 400);
    std::vector<int64_t> times(n);
    int64_t clock = 0;
    for (int i = 0; i < n; ++i) {
      const uint32_t kind = random() % 20;
      clock += kind == 0 ? 9990 + random() % 20 : kind < 8 ? 0 : random() % 200;
      times[i] = clock + (random() % 3 == 0 ? static_cast<int64_t>(random() % 241) - 120 : 0);
      if (trial % 3 == 0) times[i] = random() % 25000;  // disorder across the window too
    }
    std::vector<int64_t> a = times, b = times;
    std::vector<int32_t> oa(n), ob(n);
    for (int i = 0; i < n; ++i) oa[i] = ob[i] = i;
    ExchangeOrderByTime(a, oa);
    ReferenceExchange(b, ob);
    ASSERT_EQ(oa, ob);
    ASSERT_EQ(a, b);
  }
}

}  // namespace
