#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "lineindex.h"

namespace {

using Events = std::vector<StepEvent>;

StepEvent N(uint8_t key, uint16_t step, uint16_t gate = 10, uint8_t vel = 100) {
  return {key, vel, step, gate};
}
StepEvent Bar() { return {0xFD, 0, 0, 0}; }
StepEvent Ref(uint16_t measure) { return {0xFC, 0, measure, 0}; }
StepEvent KeyEv(uint8_t key) { return {0xF5, 0, key, 0}; }
StepEvent Excl(uint16_t step) { return {0x98, 0, step, 0}; }
StepEvent More() { return {0xF7, 1, 2, 3}; }

Events Block(std::initializer_list<StepEvent> events) {
  Events e(events);
  e.push_back(EndEvent());
  return e;
}

bool Same(const StepEvent& a, const StepEvent& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

struct Index {
  std::vector<LineEntry> lines = std::vector<LineEntry>(kTrackSlots);
  std::vector<StepPosition> measures = std::vector<StepPosition>(kTrackSlots);
  int32_t lastEvent = 0;
  int32_t lastLine = 0;
  bool ok = false;

  Index(const Events& e, int mode, uint8_t key = 0) {
    ok = BuildLineIndex(e.data(), static_cast<int>(e.size()), mode, key, lines.data(), measures.data(),
                        &lastEvent, &lastLine);
  }
  std::vector<uint32_t> Starts() const {
    std::vector<uint32_t> s;
    for (int i = 0; i <= lastLine; ++i) s.push_back(lines[i].firstEvent);
    return s;
  }
};

// A full-size block holding events (end included), the rest zero.
Events FullBlock(const Events& events) {
  Events block(kTrackSlots, StepEvent{0, 0, 0, 0});
  std::copy(events.begin(), events.end(), block.begin());
  return block;
}

TEST(LineIndex, EndEventOnlyIsOneLineInBothModes) {
  for (int mode : {0, 1}) {
    Index ix(Block({}), mode);
    ASSERT_TRUE(ix.ok) << mode;
    EXPECT_EQ(ix.lastEvent, 0);
    EXPECT_EQ(ix.lastLine, 0);
    EXPECT_EQ(ix.lines[0].firstEvent, 0u);
    EXPECT_EQ(ix.lines[0].unused[0], 0xFF);
    EXPECT_EQ(ix.measures[0].measure, 1);
    EXPECT_EQ(ix.measures[0].step, 1);
  }
  // The step list marks the line after the last with event count + 1.
  EXPECT_EQ(Index(Block({}), 0).lines[1].firstEvent, 1u);
  EXPECT_EQ(Index(Block({}), 1).lines[1].firstEvent, 0xFFFFFFFFu);
}

TEST(LineIndex, KeyEventCountsOnlyAtMeasureStart) {
  Index ix(Block({KeyEv(3), N(60, 10), KeyEv(5), N(62, 10), Bar(), KeyEv(7), N(64, 10)}), 0, 1);
  ASSERT_TRUE(ix.ok);
  const uint8_t want[] = {3, 3, 3, 3, 3, 7, 7, 7};
  for (int line = 0; line <= ix.lastLine; ++line) EXPECT_EQ(ix.lines[line].key, want[line]) << line;
  // The song key shows until a key event changes it.
  EXPECT_EQ(Index(Block({N(60, 10), KeyEv(3)}), 0, 9).lines[1].key, 9);
}

TEST(LineIndex, SameMeasureReferenceCountsAMeasureOnlyAfterANote) {
  struct Case {
    Events events;
    std::vector<uint16_t> measures;
  } cases[] = {
      {Block({N(60, 10), Bar(), Ref(1), N(60, 10)}), {1, 1, 2, 3, 3}},
      {Block({N(60, 10), Ref(1), N(60, 10)}), {1, 2, 3, 3}},
      {Block({Ref(1), Ref(1)}), {1, 2, 3}},
  };
  for (const Case& c : cases) {
    Index ix(c.events, 0);
    ASSERT_TRUE(ix.ok);
    for (size_t i = 0; i < c.measures.size(); ++i) EXPECT_EQ(ix.measures[i].measure, c.measures[i]) << i;
  }
  Index after(Block({N(60, 10), N(62, 10), Ref(1)}), 0);
  EXPECT_EQ(after.measures[2].step, 1);
}

TEST(LineIndex, StepsCountEventsWithStepTimeWithinTheMeasure) {
  Index ix(Block({N(60, 0), N(64, 10), N(67, 10), Bar(), N(60, 10)}), 0);
  const uint16_t steps[] = {1, 1, 2, 3, 1, 2};
  const uint16_t measures[] = {1, 1, 1, 1, 2, 2};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(ix.measures[i].step, steps[i]) << i;
    EXPECT_EQ(ix.measures[i].measure, measures[i]) << i;
  }
}

TEST(LineIndex, StepListKeepsContinuationsOnTheLineTheyContinue) {
  Index ix(Block({N(60, 10), Excl(10), More(), More(), More(), N(62, 10)}), 0);
  ASSERT_TRUE(ix.ok);
  EXPECT_EQ(ix.Starts(), (std::vector<uint32_t>{0, 1, 5, 6}));
  EXPECT_EQ(ix.lines[4].firstEvent, 7u);
  EXPECT_EQ(ix.lastEvent, 6);
}

TEST(LineIndex, NoteReachingALaterNoteOfTheSameKeyIsMarked) {
  Index ix(Block({N(60, 10, 30), N(62, 10, 30), N(60, 10, 5), N(60, 10, 1), N(60, 10, 0)}), 0);
  EXPECT_EQ(ix.measures[0].step & kOverlapBit, kOverlapBit);
  EXPECT_EQ(ix.measures[1].step & kOverlapBit, 0);  // no other 62
  EXPECT_EQ(ix.measures[2].step & kOverlapBit, 0);  // gate ends first
  EXPECT_EQ(ix.measures[0].step & 0x7FFF, 1);
}

TEST(LineIndex, IndexNoteOverlapDistances) {
  struct Case {
    Events events;
    int index;
    int want;
  } cases[] = {
      {Block({N(60, 10, 30), N(62, 10), N(60, 10)}), 0, 20},
      {Block({N(60, 10, 20), N(62, 10), N(60, 10)}), 0, 0},       // starts as the gate ends
      {Block({N(60, 10, 30), N(60, 10, 0), N(60, 10)}), 0, 20},   // gate 0 is no note
      {Block({N(60, 10, 30), N(60, 10, 5, 0), N(60, 5)}), 0, 20},  // velocity 0 neither
      {Block({N(60, 0, 30), N(60, 10)}), 0, 0 + 0},
      {Block({N(60, 10, 1), N(60, 0)}), 0, 0},                    // gate 1
      {Block({Bar(), N(60, 10)}), 0, 0},                          // not a note
      {Block({N(60, 10, 500)}), 0, 0},                            // end event stops
      {Block({N(60, 10, 500)}), 5, 0},                            // index outside
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IndexNoteOverlap(c.events.data(), static_cast<int>(c.events.size()), c.index), c.want);
  }
  // A note of the same key at distance 0 overlaps but counts as none.
  Events chord = Block({N(60, 0, 30), N(60, 10)});
  EXPECT_EQ(IndexNoteOverlap(chord.data(), 3, 0), 0);
}

TEST(LineIndex, RhythmGridLines) {
  struct Case {
    const char* what;
    Events events;
    std::vector<uint32_t> starts;
  } cases[] = {
      {"steps, zero-step note shares a line", Block({N(36, 10), N(38, 0), N(42, 10), Bar()}), {0, 1, 3, 4}},
      {"exclusive run is one line", Block({Excl(10), More(), More(), N(36, 10)}), {0, 3, 4}},
      {"structural after a continuation", Block({Excl(10), More(), Bar()}), {0, 2, 3}},
      {"structural after a continuation outside a run",
       Block({N(36, 10), {0x97, 0, 10, 0}, More(), Bar()}), {0, 1, 2, 3, 4}},
      {"zero-step note before a measure end", Block({N(36, 0), Bar()}), {0, 1, 2}},
      {"comment and key events stay", Block({N(36, 10), KeyEv(2), {0xFA, 0, 0, 0}, N(38, 10)}), {0, 1, 4}},
  };
  for (const Case& c : cases) {
    Index ix(c.events, 1);
    ASSERT_TRUE(ix.ok) << c.what;
    EXPECT_EQ(ix.Starts(), c.starts) << c.what;
    EXPECT_EQ(ix.lastEvent, static_cast<int32_t>(c.events.size()) - 1) << c.what;
    for (int line = 0; line <= ix.lastLine; ++line) EXPECT_EQ(ix.lines[line].key, 0) << c.what;
  }
}

TEST(LineIndex, BadModeAndMissingEndBuildNothing) {
  Index bad(Block({N(60, 10)}), 2);
  EXPECT_FALSE(bad.ok);
  EXPECT_EQ(bad.lastEvent, -1);
  EXPECT_EQ(bad.lastLine, -1);

  Events noEnd(kTrackSlots, N(60, 1));
  Index missing(noEnd, 0);
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.lastLine, -1);
  // A block shorter than its claimed size is not read past.
  Events shortBlock = {N(60, 10), N(62, 10)};
  EXPECT_FALSE(Index(shortBlock, 1).ok);
}

TEST(LineIndex, LineForEverySlotStaysInsideTheTable) {
  Events block(kTrackSlots, N(60, 1));
  block.back() = EndEvent();
  std::vector<LineEntry> lines(kTrackSlots + 1);
  std::memset(&lines[kTrackSlots], 0xAB, sizeof(LineEntry));
  std::vector<StepPosition> measures(kTrackSlots);
  int32_t lastEvent = 0, lastLine = 0;
  ASSERT_TRUE(BuildLineIndex(block.data(), kTrackSlots, 0, 0, lines.data(), measures.data(), &lastEvent, &lastLine));
  EXPECT_EQ(lastEvent, kTrackSlots - 1);
  EXPECT_EQ(lastLine, kTrackSlots - 1);
  EXPECT_EQ(lines[kTrackSlots].firstEvent, 0xABABABABu);
}

TEST(InsertGap, OpenAtFirstEventLeavesAnEmptyTrackAndClosesBackUnchanged) {
  const Events track = Block({N(60, 10), N(62, 10), N(64, 10)});
  Events block = FullBlock(track);
  const int tail = OpenGapInBlock(block.data(), kTrackSlots, 3, 0);
  ASSERT_EQ(tail, kTrackSlots - 4);
  EXPECT_TRUE(Same(block[0], EndEvent()));
  EXPECT_TRUE(Same(block[kTrackSlots - 1], EndEvent()));
  EXPECT_TRUE(Same(block[tail], track[0]));
  Index seen(block, 0);
  EXPECT_EQ(seen.lastEvent, 0);
  EXPECT_EQ(seen.lastLine, 0);

  EXPECT_EQ(CloseGapInBlock(block.data(), kTrackSlots, tail), 3);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(Same(block[i], track[i])) << i;
}

TEST(InsertGap, InsertedEventsLandBeforeTheTail) {
  Events block = FullBlock(Block({N(60, 10), N(62, 10), N(64, 10)}));
  const int tail = OpenGapInBlock(block.data(), kTrackSlots, 3, 1);
  ASSERT_EQ(tail, kTrackSlots - 3);
  block[1] = N(70, 5);
  block[2] = N(71, 5);
  block[3] = EndEvent();
  EXPECT_EQ(CloseGapInBlock(block.data(), kTrackSlots, tail), 5);
  const Events want = Block({N(60, 10), N(70, 5), N(71, 5), N(62, 10), N(64, 10)});
  for (int i = 0; i < 6; ++i) EXPECT_TRUE(Same(block[i], want[i])) << i;
}

TEST(InsertGap, FullBlockUsesItsSpareSlot) {
  Events track(kMaxTrackEvents + 1);
  for (int i = 0; i < kMaxTrackEvents; ++i) track[i] = N(static_cast<uint8_t>(i % 128), 1);
  track[kMaxTrackEvents] = EndEvent();
  Events block = FullBlock(track);
  const int p = 100;
  const int tail = OpenGapInBlock(block.data(), kTrackSlots, kMaxTrackEvents, p);
  ASSERT_EQ(tail, p + 1);
  EXPECT_TRUE(Same(block[p], EndEvent()));
  EXPECT_TRUE(Same(block[tail], track[p]));
  EXPECT_TRUE(Same(block[kTrackSlots - 1], EndEvent()));
  EXPECT_EQ(CloseGapInBlock(block.data(), kTrackSlots, tail), kMaxTrackEvents);
  for (int i = 0; i <= kMaxTrackEvents; ++i) ASSERT_TRUE(Same(block[i], track[i])) << i;
}

TEST(InsertGap, BadPositionsLeaveTheBlockAlone) {
  const Events track = Block({N(60, 10), N(62, 10)});
  Events overFull(kTrackSlots, N(60, 1));
  overFull.back() = EndEvent();
  struct Case {
    const char* what;
    Events block;
    int slots;
    int lastEvent;
    int p;
  } cases[] = {
      {"gap beyond the end event", FullBlock(track), kTrackSlots, 2, 3},
      {"negative position", FullBlock(track), kTrackSlots, 2, -1},
      {"end beyond the block", FullBlock(track), kTrackSlots, kTrackSlots, 0},
      {"no end event at lastEvent", FullBlock(track), kTrackSlots, 1, 0},
      {"block not grown", track, 3, 2, 0},
      {"more events than a track holds", overFull, kTrackSlots, kTrackSlots - 1, 0},
  };
  for (Case& c : cases) {
    const Events before = c.block;
    EXPECT_EQ(OpenGapInBlock(c.block.data(), c.slots, c.lastEvent, c.p), -1) << c.what;
    EXPECT_EQ(std::memcmp(before.data(), c.block.data(), before.size() * sizeof(StepEvent)), 0) << c.what;
  }
}

TEST(InsertGap, CloseRejectsATailOutsideTheBlock) {
  Events block = FullBlock(Block({N(60, 10)}));
  for (int tail : {0, -5, kTrackSlots, kTrackSlots + 10}) {
    EXPECT_EQ(CloseGapInBlock(block.data(), kTrackSlots, tail), -1) << tail;
  }
}

TEST(InsertGap, TailWithoutEndEventIsEndedInTheLastSlot) {
  Events block = FullBlock(Block({N(60, 10), N(62, 10)}));
  const int tail = OpenGapInBlock(block.data(), kTrackSlots, 2, 1);
  block[kTrackSlots - 1] = N(99, 1);  // an overrun wrote over the end
  EXPECT_EQ(CloseGapInBlock(block.data(), kTrackSlots, tail), 2);
  EXPECT_TRUE(Same(block[1], N(62, 10)));
  EXPECT_TRUE(Same(block[2], EndEvent()));
}

TEST(UndoCopy, HoldsPositionCountAndEvents) {
  const Events track = Block({N(60, 10), Bar()});
  std::vector<StepEvent> copy(UndoCopyBytes(2) / sizeof(StepEvent));
  ASSERT_EQ(copy.size(), 4u);
  ASSERT_TRUE(FillUndoCopy(copy.data(), UndoCopyBytes(2), track.data(), 3, 2, 7, 4));
  const auto* head = reinterpret_cast<const uint16_t*>(copy.data());
  EXPECT_EQ(head[0], 7);
  EXPECT_EQ(head[1], 4);
  EXPECT_EQ(head[2], 3);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(Same(copy[i + 1], track[i]));

  EXPECT_FALSE(FillUndoCopy(copy.data(), UndoCopyBytes(2), track.data(), 3, 3, 0, 0));  // beyond block
  EXPECT_FALSE(FillUndoCopy(copy.data(), UndoCopyBytes(2), track.data(), 3, 1, 0, 0));  // not the end
  EXPECT_FALSE(FillUndoCopy(copy.data(), UndoCopyBytes(2) - 1, track.data(), 3, 2, 0, 0));
}

HGLOBAL BlockOf(const Events& events, size_t slots) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, slots * sizeof(StepEvent));
  std::memcpy(GlobalLock(h), events.data(), events.size() * sizeof(StepEvent));
  GlobalUnlock(h);
  return h;
}

TEST(EventBlock, GrowsToFullSizeAndShrinksToEventsPlusTwo) {
  const Events track = Block({N(60, 10), N(62, 10), N(64, 10)});
  HGLOBAL h = GrowEventBlock(BlockOf(track, 5));
  ASSERT_NE(h, nullptr);
  EXPECT_GE(GlobalSize(h), kFullBlockBytes);
  auto* e = static_cast<StepEvent*>(GlobalLock(h));
  EXPECT_TRUE(Same(e[3], EndEvent()));
  EXPECT_TRUE(Same(e[kTrackSlots - 1], StepEvent{0, 0, 0, 0}));
  GlobalUnlock(h);

  h = ShrinkEventBlock(h);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GlobalSize(h), 5 * sizeof(StepEvent));
  e = static_cast<StepEvent*>(GlobalLock(h));
  EXPECT_TRUE(Same(e[2], N(64, 10)));
  GlobalUnlock(h);
  GlobalFree(h);
}

TEST(EventBlock, BlockWithoutEndEventIsNotShrunk) {
  HGLOBAL h = BlockOf(Events(100, N(60, 1)), 100);
  EXPECT_EQ(ShrinkEventBlock(h), nullptr);
  EXPECT_EQ(GlobalSize(h), 100 * sizeof(StepEvent));
  GlobalFree(h);
  EXPECT_EQ(ShrinkEventBlock(nullptr), nullptr);
  EXPECT_EQ(GrowEventBlock(nullptr), nullptr);
}

}  // namespace
