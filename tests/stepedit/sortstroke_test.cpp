#include "sortstroke.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "editmodel.h"
#include "modelfixture.h"

namespace {

using namespace modelfixture;

void Select(StepEditModel& m, int32_t from, int32_t to) {
  m.selFrom = from;
  m.selTo = to;
}

// A generator that hands out a fixed list over and over, counting its calls.
struct Script {
  std::vector<uint32_t> values;
  int calls = 0;
  SortRandom Fn() {
    return [this] { return values[static_cast<size_t>(calls++) % values.size()]; };
  }
};

// The exchange sort as the command defines it, pair by pair, for checking.
Events ExchangeSorted(Events track, int from, int to, int command) {
  auto value = [command](const StepEvent& e) -> int {
    switch (command) {
      case kCmdSortNoteUp: return e.code;
      case kCmdSortNoteDown: return -e.code;
      case kCmdSortGateUp: return e.gate;
      case kCmdSortGateDown: return -e.gate;
      case kCmdSortVelUp: return e.vel;
      default: return -e.vel;
    }
  };
  for (int i = from; i <= to; ++i) {
    for (int j = i + 1; j <= to; ++j) {
      StepEvent& a = track[static_cast<size_t>(i)];
      StepEvent& b = track[static_cast<size_t>(j)];
      if (a.code >= 0x80 || b.code >= 0x80 || value(b) >= value(a)) continue;
      std::swap(a.code, b.code);
      std::swap(a.vel, b.vel);
      std::swap(a.gate, b.gate);
    }
  }
  return track;
}

TEST(SortStroke, SortByNoteKeepsEachPositionsStep) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 0, 400, 90), Note(64, 0, 410, 91), Note(62, 480, 420, 92)}));
  StepEditModel& m = song.Open(1);
  Select(m, 0, 2);

  const EditResult r = SortStepSelection(m, song.ctx, kCmdSortNoteUp, nullptr);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(r.stateBits, kStateModified);
  EXPECT_TRUE(r.indexRebuilt);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(60, 0, 400, 90), Note(62, 0, 420, 92), Note(64, 480, 410, 91)})));
}

TEST(SortStroke, EveryOrderLeavesCommandsInPlaceAndTiesAsTheExchangeLeavesThem) {
  // Velocities tell equal keys apart: the exchange sort is not stable.
  const Events before = Track({Note(62, 10, 30, 1), Ev(0xEB, 64, 5, 7), Note(61, 20, 10, 2), MeasureEnd(),
                               Note(61, 30, 20, 3), Ev(0xE7, 100, 0, 120), Note(60, 40, 30, 4)});
  struct Case {
    int command;
    Events expected;
  };
  const Case cases[] = {
      {kCmdSortNoteUp, Track({Note(60, 10, 30, 4), Ev(0xEB, 64, 5, 7), Note(61, 20, 20, 3), MeasureEnd(),
                              Note(61, 30, 10, 2), Ev(0xE7, 100, 0, 120), Note(62, 40, 30, 1)})},
      {kCmdSortNoteDown, Track({Note(62, 10, 30, 1), Ev(0xEB, 64, 5, 7), Note(61, 20, 10, 2), MeasureEnd(),
                                Note(61, 30, 20, 3), Ev(0xE7, 100, 0, 120), Note(60, 40, 30, 4)})},
      {kCmdSortGateUp, Track({Note(61, 10, 10, 2), Ev(0xEB, 64, 5, 7), Note(61, 20, 20, 3), MeasureEnd(),
                              Note(62, 30, 30, 1), Ev(0xE7, 100, 0, 120), Note(60, 40, 30, 4)})},
      {kCmdSortVelDown, Track({Note(60, 10, 30, 4), Ev(0xEB, 64, 5, 7), Note(61, 20, 20, 3), MeasureEnd(),
                               Note(61, 30, 10, 2), Ev(0xE7, 100, 0, 120), Note(62, 40, 30, 1)})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    ModelSong song;
    song.SetTrack(1, before);
    StepEditModel& m = song.Open(1);
    Select(m, 0, 6);
    EXPECT_EQ(SortStepSelection(m, song.ctx, c.command, nullptr).status, EditStatus::Ok);
    EXPECT_TRUE(SameBytes(song.Read(1), c.expected));
    EXPECT_TRUE(SameBytes(song.Read(1), ExchangeSorted(before, 0, 6, c.command)));
  }
}

// Many notes, ties and long runs of falling values: the result is the pair
// by pair exchange's to the byte in every order.
TEST(SortStroke, LargeSelectionsMatchThePairByPairExchange) {
  std::mt19937 rng(7);
  for (int shape = 0; shape < 3; ++shape) {
    Events before;
    for (int i = 0; i < 700; ++i) {
      if (i % 37 == 5) {
        before.push_back(Ev(0xEB, static_cast<uint8_t>(i % 128), 0, 7));
        continue;
      }
      const int down = 700 - i;
      const auto key = static_cast<uint8_t>(shape == 0 ? rng() % 6 + 60 : shape == 1 ? down % 128 : rng() % 128);
      const auto vel = static_cast<uint8_t>(shape == 2 ? down % 127 + 1 : rng() % 4 + 1);
      const auto gate = static_cast<uint16_t>(shape == 1 ? down % 390 + 1 : rng() % 300 + 1);
      // Steps longer than every gate: no gate needs fitting afterwards.
      before.push_back(Note(key, 400, gate, vel));
    }
    before.push_back(EndEvent());
    for (int command = kCmdSortNoteUp; command <= kCmdSortVelDown; ++command) {
      SCOPED_TRACE(testing::Message() << "shape " << shape << " command " << command);
      ModelSong song;
      song.SetTrack(1, before);
      StepEditModel& m = song.Open(1);
      Select(m, 3, 690);
      ASSERT_EQ(SortStepSelection(m, song.ctx, command, nullptr).status, EditStatus::Ok);
      EXPECT_TRUE(SameBytes(song.Read(1), ExchangeSorted(before, 3, 690, command)));
    }
  }
}

TEST(SortStroke, RandomOrderExchangesOnOddNumbersDrawnForNotePairsOnly) {
  const Events before = Track({Note(60, 10, 30, 1), Ev(0xEB, 64, 5, 7), Note(61, 20, 40, 2), MeasureEnd(),
                               Note(62, 30, 50, 3), Note(63, 40, 60, 4)});
  struct Case {
    std::vector<uint32_t> script;
    Events expected;
  };
  const Case cases[] = {
      // Every pair exchanges: the notes come out reversed.
      {{1}, Track({Note(63, 10, 60, 4), Ev(0xEB, 64, 5, 7), Note(62, 20, 50, 3), MeasureEnd(),
                   Note(61, 30, 40, 2), Note(60, 40, 30, 1)})},
      {{2}, before},
      // Pairs (0,1) (0,2) (0,3) (1,2) (1,3) (2,3): only 0-3 and then 2-3 exchange.
      {{0, 0, 7, 0, 0, 5}, Track({Note(63, 10, 60, 4), Ev(0xEB, 64, 5, 7), Note(61, 20, 40, 2), MeasureEnd(),
                                  Note(60, 30, 30, 1), Note(62, 40, 50, 3)})},
  };
  for (const Case& c : cases) {
    ModelSong song;
    song.SetTrack(1, before);
    StepEditModel& m = song.Open(1);
    Select(m, 0, 5);
    Script script{c.script};
    EXPECT_EQ(SortStepSelection(m, song.ctx, kCmdSortRandom, script.Fn()).status, EditStatus::Ok);
    EXPECT_EQ(script.calls, 6);  // four notes: six pairs
    EXPECT_TRUE(SameBytes(song.Read(1), c.expected));
  }
}

TEST(SortStroke, SeededRandomIsTheRuntimeGeneratorAndRepeatsForOneSeed) {
  SortRandom next = SeededSortRandom(1);
  EXPECT_EQ(next(), 41u);
  EXPECT_EQ(next(), 18467u);
  EXPECT_EQ(next(), 6334u);

  const Events before = NotesTrack(40, 120);
  Events results[2];
  for (Events& result : results) {
    ModelSong song;
    song.SetTrack(1, before);
    StepEditModel& m = song.Open(1);
    Select(m, 0, 39);
    EXPECT_EQ(SortStepSelection(m, song.ctx, kCmdSortRandom, SeededSortRandom(1234)).status, EditStatus::Ok);
    result = song.Read(1);
  }
  EXPECT_TRUE(SameBytes(results[0], results[1]));
  EXPECT_FALSE(SameBytes(results[0], before));
}

// The runtime generator handed over as it is takes a shorter way through
// many notes: the same exchanges as drawing each number, and the generator
// goes on from the same state.
TEST(SortStroke, RuntimeGeneratorOverManyNotesDrawsAsTheCallsWould) {
  Events before;
  for (int i = 0; i < 1200; ++i) {
    before.push_back(Note(static_cast<uint8_t>(i % 128), 200, 100, static_cast<uint8_t>(i / 128 + 1)));
  }
  before.push_back(EndEvent());
  CrtSortRandom fast{99};
  uint32_t state = 99;
  const SortRandom byCalls = [&state] {
    state = state * 214013u + 2531011u;
    return (state >> 16) & 0x7FFFu;
  };
  Events results[2];
  for (int k = 0; k < 2; ++k) {
    ModelSong song;
    song.SetTrack(1, before);
    StepEditModel& m = song.Open(1);
    Select(m, 0, 1199);
    const SortRandom random = k == 0 ? SortRandom(std::ref(fast)) : byCalls;
    EXPECT_EQ(SortStepSelection(m, song.ctx, kCmdSortRandom, random).status, EditStatus::Ok);
    results[k] = song.Read(1);
  }
  EXPECT_TRUE(SameBytes(results[0], results[1]));
  EXPECT_FALSE(SameBytes(results[0], before));
  EXPECT_EQ(fast.state, state);
}

TEST(SortStroke, GatesAreFittedByThePositionsOverlapMarks) {
  // Position 0 overlaps (the 60 at position 2 starts under its gate); the
  // sort by velocity brings a 64 there that the 64 at position 2 follows.
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 50, 200, 90), Note(64, 50, 10, 10), Note(60, 50, 10, 50), Note(64, 50, 10, 60),
                          Note(60, 50, 10, 95)}));
  StepEditModel& m = song.Open(1);
  Select(m, 0, 4);
  EXPECT_EQ(SortStepSelection(m, song.ctx, kCmdSortVelUp, nullptr).status, EditStatus::Ok);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({
                                          Note(64, 50, 101, 10),  // marked: one tick into the next 64
                                          Note(60, 50, 10, 50),
                                          Note(64, 50, 10, 60),
                                          Note(60, 50, 50, 90),  // unmarked: ends where the next 60 begins
                                          Note(60, 50, 10, 95),
                                      })));
}

TEST(SortStroke, RestsAreNotFitted) {
  ModelSong song;
  // A rest of gate 0 before a note of its key would reach it without limit.
  const Events before = Track({Note(60, 50, 0, 100), Note(60, 50, 10, 100), Note(61, 50, 0, 0)});
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  Select(m, 0, 2);
  EXPECT_EQ(SortStepSelection(m, song.ctx, kCmdSortNoteUp, nullptr).status, EditStatus::Ok);
  EXPECT_TRUE(SameBytes(song.Read(1), before));
}

TEST(SortStroke, SortRefusesWithoutSelectionOrGenerator) {
  ModelSong song;
  const Events before = Track({Note(62, 0), Note(60, 120)});
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  EXPECT_EQ(SortStepSelection(m, song.ctx, kCmdSortNoteUp, nullptr).status, EditStatus::Refused);
  Select(m, 0, 1);
  EXPECT_EQ(SortStepSelection(m, song.ctx, kCmdSortRandom, nullptr).status, EditStatus::Refused);
  EXPECT_EQ(SortStepSelection(m, song.ctx, 2280, nullptr).status, EditStatus::Refused);
  Select(m, 2, 2);  // the end event alone
  EXPECT_EQ(SortStepSelection(m, song.ctx, kCmdSortNoteUp, nullptr).status, EditStatus::Refused);
  EXPECT_TRUE(SameBytes(song.Read(1), before));
}

TEST(SortStroke, TotalCountsTheStepsThatCarryTime) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 100), Ev(0x98, 0, 7, 0), Ev(0xF7, 1, 2, 3), Ev(0x99, 0, 9, 1), MeasureEnd(),
                          Ev(0xEB, 64, 20, 7), Note(62, 480)}));
  StepEditModel& m = song.Open(1);
  Select(m, 0, 6);
  EXPECT_EQ(StepStrokeTotal(m, song.ctx), 600);
  EXPECT_EQ(song.shared.strokeTotal, 600);
  m.selFrom = m.selTo = -1;
  EXPECT_EQ(StepStrokeTotal(m, song.ctx), 0);
}

TEST(SortStroke, DialogValuesStayWithinTheTotal) {
  struct Case {
    int32_t start, width, total, wantStart, wantWidth;
  };
  const Case cases[] = {
      {0, 30, 480, 0, 30}, {500, 300, 480, 480, 0}, {100, 900, 480, 100, 380}, {-5, -1, 480, 0, 0}, {10, 10, 0, 0, 0},
  };
  for (const Case& c : cases) {
    const StrokeSettings open = StrokeDialogValues({c.start, c.width, true}, c.total);
    EXPECT_EQ(open.start, c.wantStart);
    EXPECT_EQ(open.width, c.wantWidth);
    EXPECT_TRUE(open.widthAsStep);
    const StrokeSettings ok = StrokeValuesOnOk(c.start, c.width, false, c.total);
    EXPECT_EQ(ok.start, c.wantStart);
    EXPECT_EQ(ok.width, c.wantWidth);
    EXPECT_FALSE(ok.widthAsStep);
  }
}

TEST(SortStroke, StrokeSpreadsTheSelection) {
  struct Case {
    const char* name;
    Events chord;
    int32_t start, width;
    bool widthAsStep;
    Events expected;
  };
  const Case cases[] = {
      {"three notes over 30", {Note(60, 0), Note(64, 0), Note(67, 480)}, 0, 30, false,
       {Note(60, 10), Note(64, 10), Note(67, 460)}},
      {"width as step 10", {Note(60, 0), Note(64, 0), Note(67, 0), Note(72, 480)}, 0, 10, true,
       {Note(60, 10), Note(64, 10), Note(67, 10), Note(72, 450)}},
      {"start 20 makes a leading rest", {Note(60, 0), Note(64, 0), Note(67, 480)}, 20, 30, false,
       {Note(60, 20, 0, 0), Note(60, 10), Note(64, 10), Note(67, 440)}},
      {"width as step runs out", {Note(60, 0), Note(64, 0), Note(67, 0), Note(72, 480)}, 100, 200, true,
       {Note(60, 100, 0, 0), Note(60, 200), Note(64, 180), Note(67, 0), Note(72, 0)}},
      {"uneven shares", {Note(60, 0), Note(64, 0), Note(67, 100)}, 0, 10, false,
       {Note(60, 3), Note(64, 3), Note(67, 94)}},
      {"untimed events keep their steps",
       {Note(60, 0), Ev(0x98, 0, 5, 0), Ev(0xF7, 1, 2, 3), MeasureEnd(), Note(64, 480)}, 0, 30, false,
       {Note(60, 15), Ev(0x98, 0, 5, 0), Ev(0xF7, 1, 2, 3), MeasureEnd(), Note(64, 465)}},
      {"bounds as the dialog's", {Note(60, 0), Note(64, 100)}, 500, 50, false,
       {Note(60, 100, 0, 0), Note(60, 0), Note(64, 0)}},
      {"a step past 16 bits goes on in rests", {Note(60, 40000), Note(62, 40000), Note(64, 0)}, 0, 0, false,
       {Note(60, 0), Note(62, 0), Note(64, 65535), Note(60, 14465, 0, 0)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ModelSong song;
    Events track = c.chord;
    track.push_back(Note(48, 240));
    track.push_back(EndEvent());
    song.SetTrack(1, track);
    StepEditModel& m = song.Open(1);
    Select(m, 0, static_cast<int32_t>(c.chord.size()) - 1);

    const EditResult r = StrokeStepSelection(m, song.ctx, c.start, c.width, c.widthAsStep);
    EXPECT_EQ(r.status, EditStatus::Ok);
    EXPECT_EQ(r.stateBits, kStateModified | kStateTiming);
    EXPECT_TRUE(r.indexRebuilt);
    Events want = c.expected;
    want.push_back(Note(48, 240));
    want.push_back(EndEvent());
    EXPECT_TRUE(SameBytes(song.Read(1), want));
    EXPECT_EQ(m.eventCount, static_cast<int32_t>(want.size()) - 1);
    EXPECT_EQ(m.selFrom, -1);
  }
}

TEST(SortStroke, StrokeRefusedWhenTheTrackWouldOverflow) {
  ModelSong song;
  const Events full = NotesTrack(kMaxTrackEvents);
  song.SetTrack(1, full);
  StepEditModel& m = song.Open(1);
  Select(m, 100, 102);

  const EditResult r = StrokeStepSelection(m, song.ctx, 10, 30, false);  // the leading rest is one too many
  EXPECT_EQ(r.status, EditStatus::TrackFull);
  EXPECT_EQ(r.messageId, kTrackFullMessageId);
  EXPECT_EQ(r.messageStyle & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
  EXPECT_TRUE(SameBytes(song.Read(1), full));
  EXPECT_EQ(m.selFrom, 100);

  // Without a rest the events only change places with themselves: it fits.
  EXPECT_EQ(StrokeStepSelection(m, song.ctx, 0, 30, false).status, EditStatus::Ok);
  EXPECT_EQ(m.eventCount, kMaxTrackEvents);
}

TEST(SortStroke, StrokeWithoutSelectionOrTimeChangesNothing) {
  ModelSong song;
  const Events before = Track({MeasureEnd(), Ev(0x98, 0, 5, 0), Note(60, 120)});
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  EXPECT_EQ(StrokeStepSelection(m, song.ctx, 0, 30, false).status, EditStatus::Refused);
  Select(m, 0, 1);
  const EditResult r = StrokeStepSelection(m, song.ctx, 0, 30, false);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(r.stateBits, 0u);
  EXPECT_TRUE(SameBytes(song.Read(1), before));
}

}  // namespace
