#include "slide.h"

#include <gtest/gtest.h>

#include "editmodel.h"
#include "modelfixture.h"

namespace {

using namespace modelfixture;

EventFilter Keys(int low, int high, uint32_t more = 0) { return EventFilter{kFilterNotes | more, low, high}; }
EventFilter Classes(uint32_t mask) { return EventFilter{mask, 0, 127}; }

StepEvent Rest(uint16_t step) { return Note(60, step, 0, 0); }
StepEvent RepeatStart() { return Ev(0xF9, 0, 0, 0); }
StepEvent RepeatEnd() { return Ev(0xF8, 0, 2, 0); }
StepEvent SameMeasure() { return Ev(0xFC, 0, 1, 48); }
// Text in the fields of a memo, a track exclusive and their continuations.
StepEvent Memo() { return Ev(0xF6, 'M', 0x6F6D, 0x6F6D); }
StepEvent TrackExcl(uint16_t step) { return Ev(0x98, 0, step, 0); }
StepEvent More(uint8_t c) { return Ev(0xF7, c, 0x4241, 0x4443); }

struct SlideCase {
  const char* name;
  Events track;
  int32_t from, to;
  int32_t bias;
  EventFilter filter;
  Events expected;
  int32_t selFrom;     // afterwards
  uint32_t bits;
};

TEST(Slide, MovesTheMatchingEventsAgainstTheOthers) {
  const SlideCase cases[] = {
      {"onto a staying event's tick: after it",
       Track({Note(70, 0), Note(60, 100), Note(62, 100)}), 0, 0, 100, Keys(70, 70),
       Track({Note(60, 100), Note(62, 0), Note(70, 100)}), 0, kStateModified},
      {"earlier by the distance to the event before: right after it",
       Track({Note(60, 100), Note(70, 100), Note(62, 100)}), 1, 1, -100, Keys(70, 70),
       Track({Note(60, 0), Note(70, 200), Note(62, 100)}), 0, kStateModified},
      {"one tick less: one tick after it",
       Track({Note(60, 100), Note(70, 100), Note(62, 100)}), 1, 1, -99, Keys(70, 70),
       Track({Note(60, 1), Note(70, 199), Note(62, 100)}), 0, kStateModified},
      {"past the track's start: gathered at tick 0",
       Track({Note(60, 50), Note(70, 20), Note(71, 80), Note(62, 100)}), 1, 2, -80, Keys(70, 71),
       Track({Note(60, 0), Note(70, 0), Note(71, 150), Note(62, 100)}), 0, kStateModified},
      {"a repeat start just beyond the walked ticks",
       Track({Note(60, 100), RepeatStart(), Note(62, 100), Note(70, 100)}), 3, 3, -100, Keys(70, 70),
       Track({Note(60, 100), RepeatStart(), Note(62, 0), Note(70, 200)}), 2, kStateModified},
      {"past the last staying event: the end follows with their steps",
       Track({Note(62, 10), Note(70, 5), Note(71, 5), Note(60, 100)}), 1, 2, 200, Keys(70, 71),
       Track({Note(62, 20), Note(60, 190), Note(70, 5), Note(71, 5)}), 1, kStateModified | kStateTiming},
      {"the gap after a measure end becomes a rest",
       Track({Note(60, 120), MeasureEnd(), Note(70, 120), Note(62, 120)}), 2, 2, 10, Keys(70, 70),
       Track({Note(60, 120), MeasureEnd(), Rest(10), Note(70, 110), Note(62, 120)}), 2,
       kStateModified | kStateTiming},
      {"a memo keeps its continuations behind it",
       Track({Note(60, 100), Memo(), More('a'), More('b'), Note(62, 100)}), 1, 3, 50, Classes(kFilterMemo),
       Track({Note(60, 100), Note(62, 50), Memo(), More('a'), More('b'), Rest(50)}), 1,
       kStateModified | kStateTiming},
      {"a track exclusive keeps its continuations and its step",
       Track({Note(60, 100), TrackExcl(30), More('a'), More('b'), Note(70, 100), Note(62, 100)}), 1, 4, 10,
       Keys(70, 70, kFilterTrackExcl),
       Track({Note(60, 110), TrackExcl(30), More('a'), More('b'), Note(70, 90), Note(62, 100)}), 1,
       kStateModified},
      {"a selection of the exclusive alone takes its continuations",
       Track({Note(60, 100), TrackExcl(30), More('a'), More('b'), Note(62, 100)}), 1, 1, 10,
       Classes(kFilterTrackExcl),
       Track({Note(60, 110), TrackExcl(20), More('a'), More('b'), Note(62, 100)}), 1, kStateModified},
  };
  for (const SlideCase& c : cases) {
    SCOPED_TRACE(c.name);
    ModelSong song;
    song.SetTrack(1, c.track);
    StepEditModel& m = song.Open(1);
    m.selFrom = c.from;
    m.selTo = c.to;

    const EditResult r = SlideStepRange(m, song.ctx, c.bias, c.filter);
    EXPECT_EQ(r.status, EditStatus::Ok);
    EXPECT_EQ(r.stateBits, c.bits);
    EXPECT_TRUE(r.indexRebuilt);
    EXPECT_TRUE(SameBytes(song.Read(1), c.expected));
    EXPECT_EQ(m.eventCount, static_cast<int32_t>(c.expected.size()) - 1);
    EXPECT_EQ(m.selFrom, c.selFrom);
  }
}

struct RefusalCase {
  const char* name;
  Events track;
  int32_t from, bias;
  UINT message;
};

TEST(Slide, RefusedAtRepeatMarksAndSameMeasureEventsWithinTheWalk) {
  const RefusalCase cases[] = {
      {"repeat end, later", Track({Note(70, 100), RepeatEnd(), Note(60, 100)}), 0, 150, kSlideRepeatEndMessage},
      {"repeat start, earlier", Track({RepeatStart(), Note(60, 100), Note(70, 100)}), 2, -150,
       kSlideRepeatStartMessage},
      {"same measure, earlier", Track({Note(60, 100), SameMeasure(), Note(70, 100)}), 2, -50,
       kSlideSameMeasureMessage},
      {"same measure, later", Track({Note(70, 100), SameMeasure(), Note(60, 100)}), 0, 101,
       kSlideSameMeasureMessage},
  };
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.name);
    ModelSong song;
    song.SetTrack(1, c.track);
    StepEditModel& m = song.Open(1);
    m.selFrom = m.selTo = c.from;

    const EditResult r = SlideStepRange(m, song.ctx, c.bias, Keys(70, 70));
    EXPECT_EQ(r.status, EditStatus::Refused);
    EXPECT_EQ(r.messageId, c.message);
    EXPECT_EQ(r.messageStyle, static_cast<UINT>(MB_ICONQUESTION));
    EXPECT_EQ(r.stateBits, 0u);
    EXPECT_TRUE(SameBytes(song.Read(1), c.track));
    EXPECT_EQ(m.selFrom, c.from);
  }
}

TEST(Slide, BiasZeroOrNothingMatchingChangesNothing) {
  ModelSong song;
  const Events before = Track({Note(60, 100), MeasureEnd(), Note(70, 100), Note(62, 100)});
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  m.selFrom = 0;
  m.selTo = 3;
  for (const auto& [bias, filter] : {std::pair{0, Keys(0, 127)}, std::pair{50, Keys(80, 90)}}) {
    const EditResult r = SlideStepRange(m, song.ctx, bias, filter);
    EXPECT_EQ(r.status, EditStatus::Ok);
    EXPECT_EQ(r.stateBits, 0u);
    EXPECT_TRUE(SameBytes(song.Read(1), before));
  }
  m.selFrom = m.selTo = -1;
  EXPECT_EQ(SlideStepRange(m, song.ctx, 50, Keys(0, 127)).status, EditStatus::Refused);
}

TEST(Slide, RefusedWhenTheRestsWouldOverflowTheTrack) {
  // 16,371 events: the note after the measure end leaves a gap that would
  // take a rest of its own.
  Events full(kMaxTrackEvents - 2, Note(60, 120));
  full.push_back(MeasureEnd());
  full.push_back(Note(62, 120));
  full.push_back(EndEvent());
  ModelSong song;
  song.SetTrack(1, full);
  StepEditModel& m = song.Open(1);
  m.selFrom = m.selTo = kMaxTrackEvents - 1;

  const EditResult r = SlideStepRange(m, song.ctx, 10, Keys(62, 62));
  EXPECT_EQ(r.status, EditStatus::TrackFull);
  EXPECT_EQ(r.messageId, kTrackFullMessageId);
  EXPECT_TRUE(SameBytes(song.Read(1), full));
  EXPECT_EQ(m.eventCount, kMaxTrackEvents);

  // A note after a note only moves time between them: that fits.
  m.selFrom = m.selTo = kMaxTrackEvents - 3;
  EXPECT_EQ(SlideStepRange(m, song.ctx, 10, Keys(60, 60)).status, EditStatus::Ok);
  Events want = full;
  want[kMaxTrackEvents - 4].step = 130;
  want[kMaxTrackEvents - 3].step = 110;
  EXPECT_TRUE(SameBytes(song.Read(1), want));
}

TEST(Slide, AddStepBeforeFindsTheNearestEventThatTakesTime) {
  Events e = {Note(60, 100), Ev(0x99, 0, 0, 1), More('x'), MeasureEnd(), Note(62, 10)};
  EXPECT_TRUE(AddStepBefore(e.data(), 4, 20));
  EXPECT_EQ(e[0].step, 120);
  EXPECT_EQ(e[1].step, 0);   // an external command takes none
  EXPECT_TRUE(AddStepBefore(e.data(), 4, -5));
  EXPECT_EQ(e[0].step, 120);
  EXPECT_FALSE(AddStepBefore(e.data(), 0, 5));
  EXPECT_TRUE(AddStepBefore(e.data(), 5, 70000));
  EXPECT_EQ(e[4].step, 65535);
}

}  // namespace
