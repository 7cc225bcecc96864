#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "editmodel.h"
#include "lineindex.h"
#include "modelfixture.h"
#include "stepmerge.h"
#include "testsupport.h"

namespace {

using namespace modelfixture;

StepEvent Rest(uint16_t step) { return {60, 0, step, 0}; }
StepEvent Gap(uint16_t step) { return GapMarker(step); }
StepEvent More(uint8_t a) { return {0xF7, a, 0, 0}; }
// A rest as a clipboard holds it: any key, gate 0.
StepEvent ClipRest(uint16_t step) { return Note(0, step, 0, 80); }

// Merges inserted into track at index as the paste does: existing is the
// track from index on, the result is read back up to its end event.
Events MergeInto(const Events& track, int index, const Events& inserted) {
  std::vector<StepEvent> dest(64, Note(99, 9));
  std::copy(track.begin(), track.end(), dest.begin());
  const Events existing(track.begin() + index, track.end());
  const int end = MergeStepStreams(index, 0, dest.data(), static_cast<int>(dest.size()), existing.data(),
                                   inserted.data());
  if (end < 0) return {};
  return Events(dest.begin(), dest.begin() + end + 1);
}

TEST(StepMerge, InterleavesByTime) {
  struct Case {
    const char* what;
    Events track;
    int index;
    Events inserted;
    Events expected;
  } cases[] = {
      {"equal times: the track's event first", Track({Note(70, 480), Note(71, 480)}), 0, Track({Note(60, 480)}),
       Track({Note(70, 0), Note(60, 480), Note(71, 480)})},
      {"a track event at the time of a block event after a rest",
       Track({Note(70, 240), Note(71, 240)}), 0, Track({Gap(240), Note(60, 240)}),
       Track({Note(70, 240), Note(71, 0), Note(60, 240)})},
      {"a block crossing the track's bar line loses its own",
       Track({Note(70, 480), MeasureEnd(), Note(71, 480)}), 0,
       Track({Note(60, 240), MeasureEnd(), Note(61, 240)}),
       Track({Note(70, 0), Note(60, 240), Note(61, 240), MeasureEnd(), Note(71, 480)})},
      {"no bar line of the track within the block: the block's stays",
       Track({Note(70, 480), Note(71, 480), MeasureEnd()}), 0,
       Track({Note(60, 240), MeasureEnd(), Note(61, 240)}),
       Track({Note(70, 0), Note(60, 240), MeasureEnd(), Note(61, 240), Note(71, 480), MeasureEnd()})},
      {"continuations stay behind their event",
       Track({Note(70, 50), Note(71, 100)}), 0, Track({Ev(0x98, 0, 100, 0), More(1), More(2), Note(60, 50)}),
       Track({Note(70, 0), Ev(0x98, 0, 50, 0), More(1), More(2), Note(71, 50), Note(60, 50)})},
      {"time before index from the last timed event, past marks and commands",
       Track({Note(70, 480), Ev(0x99, 0, 0, 1), More(65), Note(71, 480)}), 3, Track({Note(60, 240)}),
       Track({Note(70, 480), Ev(0x99, 0, 0, 1), More(65), Note(71, 0), Note(60, 480)})},
      {"a gap of 9,999 or more stays a rest", Track({Note(70, 12000)}), 0, Track({Note(60, 100)}),
       Track({Note(70, 0), Note(60, 0), Rest(12000)})},
      {"an empty block at a measure start leaves the track",
       Track({Note(70, 480), MeasureEnd(), Note(71, 480)}), 2, Track({}),
       Track({Note(70, 480), MeasureEnd(), Note(71, 480)})},
      {"an empty block at the start leaves the track", Track({Note(70, 480), Note(71, 20)}), 0, Track({}),
       Track({Note(70, 480), Note(71, 20)})},
  };
  for (const Case& c : cases) EXPECT_EQ(ShowEvents(c.expected), ShowEvents(MergeInto(c.track, c.index, c.inserted))) << c.what;
}

TEST(StepMerge, BlockEventsAfterTheTrackEndKeepTheirTimes) {
  struct Case {
    const char* what;
    Events track, inserted, expected;
  } cases[] = {
      // Notes at 0, 100, 200 after a track of one note of 100.
      {"pending ticks go to the last event written", Track({Note(70, 100)}),
       Track({Note(60, 100), Note(61, 100), Note(62, 100)}),
       Track({Note(70, 0), Note(60, 100), Note(61, 100), Note(62, 100)})},
      {"the block's rests after the track end still give time", Track({Note(70, 100)}),
       Track({Note(60, 100), Gap(200), Note(61, 100)}), Track({Note(70, 0), Note(60, 300), Note(61, 100)})},
      {"track events go on while they come first", Track({Note(70, 100), Note(71, 100)}),
       Track({Note(60, 150), Note(61, 150)}),
       Track({Note(70, 0), Note(60, 100), Note(71, 50), Note(61, 150)})},
      {"into an empty track", Track({}), Track({Gap(50), Note(60, 100), Note(61, 10)}),
       Track({Rest(50), Note(60, 100), Note(61, 10)})},
  };
  for (const Case& c : cases) EXPECT_EQ(ShowEvents(c.expected), ShowEvents(MergeInto(c.track, 0, c.inserted))) << c.what;
}

TEST(StepMerge, NeverWritesPastItsCapacity) {
  const Events track = Track({Note(70, 480), Note(71, 480)});
  const Events inserted = Track({Note(60, 480)});
  // Four events and a gap marker are written before the final pass.
  for (int capacity : {5, 4, 1}) {
    std::vector<StepEvent> dest(8, Note(99, 9));
    const int end = MergeStepStreams(0, 0, dest.data(), capacity, track.data(), inserted.data());
    EXPECT_EQ(capacity == 5 ? 3 : -1, end) << capacity;
    for (int k = capacity; k < 8; ++k) EXPECT_EQ(99, dest[k].code) << capacity << " slot " << k;
  }
  std::vector<StepEvent> dest(4, Note(99, 9));
  EXPECT_EQ(-1, MergeStepStreams(4, 0, dest.data(), 4, track.data(), inserted.data()));
  EXPECT_EQ(-1, MergeStepStreams(0, 0, nullptr, 4, track.data(), inserted.data()));
}

// --- Mixed paste ----------------------------------------------------------

Events WholeBlock(HGLOBAL h) {
  Locked block(h);
  const StepEvent* e = block.as<StepEvent>();
  return Events(e, e + SlotsOf(h));
}

TEST(PasteMix, MixesTheBlockByTimeFromTheCaretEvent) {
  ModelSong song;
  // Not the current editor's block: the paste grows it.
  song.SetTrack(1, Track({Note(70, 480), MeasureEnd(), Note(71, 240), Note(72, 240), MeasureEnd()}), false);
  StepEditModel& m = song.Open(1);
  m.caretRow = 3;  // line 2: the first note of measure 2
  const StepEvent clip[] = {Note(60, 120, 30), ClipRest(240), Note(61, 120, 30)};
  const EditResult r = PasteMixSteps(m, song.ctx, clip, 3);
  ASSERT_EQ(r.status, EditStatus::Ok);
  // Measure 2: 71 and 60 at its start, 72 after 240, 61 after 360.
  EXPECT_EQ(ShowEvents(Track({Note(70, 480), MeasureEnd(), Note(71, 0), Note(60, 240, 30), Note(72, 120),
                        Note(61, 120, 30), MeasureEnd()})),
            ShowEvents(song.Read(1)));
  EXPECT_EQ(SlotsOf(song.Block(1)), kTrackSlots);
  EXPECT_EQ(ReadTrackBlock(m).events, song.Block(1));
  EXPECT_EQ(m.eventCount, 7);
  EXPECT_EQ(m.lineCount, 8);
  EXPECT_EQ(r.stateBits, kStateModified | kStateTiming);
  EXPECT_TRUE(r.indexRebuilt);
  EXPECT_FALSE(r.renumberRefs);
}

TEST(PasteMix, OpenGapIsClosedAndUndoKeptFirst) {
  ModelSong song;
  const Events before = Track({Note(70, 100), Note(71, 100)});
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  m.caretRow = 2;
  ASSERT_TRUE(OpenInsertGap(m, song.ctx, 0));
  const StepEvent clip[] = {Note(60, 50)};
  const EditResult r = PasteMixSteps(m, song.ctx, clip, 1);
  ASSERT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(m.indexCurrent, 1);
  EXPECT_EQ(ShowEvents(Track({Note(70, 100), Note(71, 0), Note(60, 100)})), ShowEvents(song.Read(1)));
  Locked undo(ReadTrackBlock(m).undo);
  ASSERT_NE(undo.as<StepEvent>(), nullptr);
  EXPECT_EQ(0, std::memcmp(undo.as<StepEvent>() + 1, before.data(), before.size() * sizeof(StepEvent)));
}

TEST(PasteMix, TrackLimitRefusesAndLeavesTheTrack) {
  struct Case {
    int used, pasted;
    bool full;
  } cases[] = {{16370, 1, true}, {16271, 100, true}, {16369, 1, false}};
  for (const Case& c : cases) {
    ModelSong song;
    song.SetTrack(1, NotesTrack(c.used));
    StepEditModel& m = song.Open(1);
    const Events before = WholeBlock(song.Block(1));
    const std::vector<StepEvent> clip(c.pasted, Note(60, 5));
    const EditResult r = PasteMixSteps(m, song.ctx, clip.data(), c.pasted);
    if (c.full) {
      EXPECT_EQ(r.status, EditStatus::TrackFull) << c.used;
      EXPECT_EQ(r.messageId, kTrackFullMessageId);
      EXPECT_EQ(r.stateBits, 0u);
      EXPECT_TRUE(SameBytes(before, WholeBlock(song.Block(1)))) << c.used;
      EXPECT_EQ(m.eventCount, c.used);
    } else {
      EXPECT_EQ(r.status, EditStatus::Ok) << c.used;
      EXPECT_EQ(m.eventCount, c.used + c.pasted);
    }
  }
}

TEST(PasteMix, NothingToMix) {
  ModelSong song;
  const Events before = Track({Note(70, 100)});
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  const StepEvent clip[] = {EndEvent()};
  for (int n : {0, 1}) {
    const EditResult r = PasteMixSteps(m, song.ctx, clip, n);
    EXPECT_EQ(r.status, EditStatus::Ok);
    EXPECT_EQ(r.stateBits, 0u);
    EXPECT_TRUE(SameBytes(before, song.Read(1)));
  }
  EXPECT_EQ(PasteMixSteps(m, song.ctx, nullptr, 2).status, EditStatus::Refused);
}

}  // namespace
