#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "appglobals.h"
#include "editorblocks.h"
#include "measures.h"
#include "programstate.h"
#include "resource.h"
#include "songmodel.h"
#include "testsupport.h"
#include "trackattach.h"
#include "trackmerge.h"
#include "wndclasses.h"

namespace {

using Events = std::vector<StepEvent>;

// Compact event table.
StepEvent N(uint8_t key, uint16_t step, uint16_t gate = 100) { return {key, 100, step, gate}; }
StepEvent Rest(uint16_t step) { return RestMarker(step); }
StepEvent Bar() { return {0xFD, 0, 0, 0}; }
StepEvent Ref(uint16_t measure, uint16_t field = 0) { return {0xFC, 0, measure, field}; }
StepEvent Loop() { return {0xF9, 0, 0, 0}; }
StepEvent Repeat(uint16_t count) { return {0xF8, 0, count, 0}; }
StepEvent Cmd(uint8_t code, uint8_t value, uint16_t step, uint16_t param) {
  return {code, value, step, param};
}
StepEvent More(uint8_t a, uint16_t b, uint16_t c) { return {0xF7, a, b, c}; }

// A block: the events and the end event.
Events Block(std::initializer_list<StepEvent> events) {
  Events e(events);
  e.push_back(EndEvent());
  return e;
}

int Count(const Events& events, uint8_t code) {
  int n = 0;
  for (const StepEvent& e : events) n += e.code == code;
  return n;
}

MergeResult Mix(const Events& base, const Events& source) {
  MergeOptions options;
  return MergeEventBlocks(source.data(), static_cast<int>(source.size()), base.data(),
                          static_cast<int>(base.size()), options);
}

MergeResult Replace(const Events& base, const Events& source, int64_t start, int64_t end) {
  MergeOptions options;
  options.replace = true;
  options.windowStart = start;
  options.windowEnd = end;
  return MergeEventBlocks(source.data(), static_cast<int>(source.size()), base.data(),
                          static_cast<int>(base.size()), options);
}

Events Numbered(Events e) {
  RenumberSameMeasureRefs(e.data(), static_cast<int>(e.size()));
  return e;
}

TEST(TrackMerge, MixPutsBothSourcesInTimeOrder) {
  // Base notes at 0 and 480, source notes at 0 and 960; one measure of 1920.
  MergeResult r = Mix(Block({N(70, 480), N(71, 1440), Bar()}), Block({N(60, 960), N(61, 960), Bar()}));
  ASSERT_FALSE(r.overflow);
  EXPECT_EQ(ShowEvents(Block({N(70, 0), N(60, 480), N(71, 480), N(61, 960), Bar()})), ShowEvents(r.events));
}

TEST(TrackMerge, LoopOfThreeAroundTwoMeasuresBecomesSixMeasures) {
  Events base = Block({Loop(), N(60, 1920), Bar(), N(62, 1920), Bar(), Repeat(3)});
  MergeResult r = Mix(base, Block({}));
  ASSERT_FALSE(r.overflow);
  EXPECT_EQ(ShowEvents(Block({N(60, 1920), Bar(), N(62, 1920), Bar(), N(60, 1920), Bar(), N(62, 1920),
                        Bar(), N(60, 1920), Bar(), N(62, 1920), Bar()})),
            ShowEvents(r.events));

  // The same loop in the added source lines up with the base's measures.
  Events plain = Block({N(70, 1920), Bar(), N(70, 1920), Bar(), N(70, 1920), Bar(), N(70, 1920),
                        Bar(), N(70, 1920), Bar(), N(70, 1920), Bar()});
  r = Mix(plain, base);
  ASSERT_FALSE(r.overflow);
  EXPECT_EQ(6, Count(r.events, 0xFD));
  EXPECT_EQ(3, Count(r.events, 60));
  EXPECT_EQ(3, Count(r.events, 62));
  EXPECT_EQ(ShowEvents({N(70, 0), N(60, 1920), Bar(), N(70, 0), N(62, 1920), Bar()}),
            ShowEvents(Events(r.events.begin(), r.events.begin() + 6)));
}

TEST(TrackMerge, SameMeasureReferencesBecomeCopies) {
  struct Case {
    const char* what;
    Events base, source, expected;
  } cases[] = {
      {"reference to measure 0", Numbered(Block({N(60, 960), N(62, 960), Bar(), Ref(0)})), Block({}),
       Block({N(60, 960), N(62, 960), Bar(), N(60, 960), N(62, 960), Bar()})},
      {"reference to a last measure without a measure end",
       Numbered(Block({N(60, 1920), Bar(), Ref(2), N(64, 1920)})), Block({}),
       Block({N(60, 1920), Bar(), N(64, 1920), Bar(), N(64, 1920), Bar()})},
      {"reference in the added source's first measure", Block({}),
       Numbered(Block({Ref(1), N(65, 1920), Bar()})), Block({N(65, 1920), Bar(), N(65, 1920), Bar()})},
      {"chain of two references", Numbered(Block({N(60, 1920), Bar(), Ref(0), Ref(1)})), Block({}),
       Block({N(60, 1920), Bar(), N(60, 1920), Bar(), N(60, 1920), Bar()})},
  };
  // The chain: measure 2 refers to measure 1, itself a reference to measure 0.
  cases[3].base[3].gate = 2 + kMeasureRefBias;
  for (const Case& c : cases) {
    MergeResult r = Mix(c.base, c.source);
    ASSERT_FALSE(r.overflow) << c.what;
    EXPECT_EQ(ShowEvents(c.expected), ShowEvents(r.events)) << c.what;
  }
}

TEST(TrackMerge, ReplaceOverWholeTrackKeepsMeasureEnds) {
  Events base = Block({N(70, 480), N(71, 480), Cmd(0xEC, 0, 0, 5), N(72, 960), Bar(),
                       Cmd(0xEB, 64, 0, 7), {0xF6, 0, 0, 0}, N(73, 1920), Bar()});
  Events take = Block({N(60, 960), N(61, 960), Bar(), N(62, 1920), Bar()});
  MergeResult r = Replace(base, take, 0, 3840);
  ASSERT_FALSE(r.overflow);
  // Marks (the comment 0xF6) and measure ends stay; notes and commands go.
  EXPECT_EQ(ShowEvents(Block({N(60, 960), N(61, 960), Bar(), {0xF6, 0, 0, 0}, N(62, 1920), Bar()})),
            ShowEvents(r.events));
}

TEST(TrackMerge, ReplaceWindowLeavesTheOutsideAlone) {
  Events base = Block({N(70, 1920), Bar(), N(71, 1920), Bar(), N(72, 1920), Bar()});
  Events take = Block({Rest(1920), Bar(), N(60, 960), N(61, 960), Bar(), N(62, 1920), Bar()});
  MergeResult r = Replace(base, take, 1920, 3840);
  ASSERT_FALSE(r.overflow);
  // Measure 2 is replaced; the take's third measure lies past the window.
  EXPECT_EQ(ShowEvents(Block({N(70, 1920), Bar(), N(60, 960), N(61, 960), Bar(), N(72, 1920), Bar()})),
            ShowEvents(r.events));
}

TEST(TrackMerge, ReplacedNoteReachingPastTheWindowDoesNotStall) {
  // The second note starts inside the window and lasts beyond its end; one of
  // 12,000 steps is longer than any rest.
  Events base = Block({N(70, 960), N(71, 1920), N(72, 960), Bar(), N(73, 12000), N(74, 100)});
  Events take = Block({N(60, 960), N(61, 960)});
  MergeResult r = Replace(base, take, 0, 1920);
  ASSERT_FALSE(r.overflow);
  EXPECT_EQ(ShowEvents(Block({N(60, 960), N(61, 960), Rest(960), N(72, 960), Bar(), N(73, 12000),
                        N(74, 100), Bar()})),
            ShowEvents(r.events));

  Events late = Block({Rest(3840), N(62, 12100)});
  r = Replace(base, late, 3840, 20000);
  ASSERT_FALSE(r.overflow);
  EXPECT_EQ(ShowEvents(Block({N(70, 960), N(71, 1920), N(72, 960), Bar(), N(62, 12000), Rest(100),
                        Bar()})),
            ShowEvents(r.events));
}

TEST(TrackMerge, DroppedCommandTakesItsContinuationsAlong) {
  Events base = Block({Cmd(0x98, 0, 480, 0), More(1, 2, 3), More(4, 5, 6), N(70, 1440), Bar()});
  MergeResult r = Replace(base, Block({N(60, 1920), Bar()}), 0, 1920);
  ASSERT_FALSE(r.overflow);
  EXPECT_EQ(ShowEvents(Block({N(60, 1920), Bar()})), ShowEvents(r.events));

  // Copied, they stay with their command.
  r = Mix(base, Block({N(60, 240), Bar()}));
  ASSERT_FALSE(r.overflow);
  EXPECT_EQ(ShowEvents(Block({Cmd(0x98, 0, 0, 0), More(1, 2, 3), More(4, 5, 6), N(60, 240), Rest(240),
                        N(70, 1440), Bar()})),
            ShowEvents(r.events));
}

TEST(TrackMerge, ChordsBeforeRestsEndWithTheRestTime) {
  Events take = Block({N(60, 0, 400), N(64, 0, 400), N(67, 0, 400), Rest(480), N(72, 0, 200),
                       N(76, 0, 200), Rest(1440), Bar()});
  MergeResult r = Mix(Block({}), take);
  ASSERT_FALSE(r.overflow);
  EXPECT_EQ(ShowEvents(Block({N(60, 0, 400), N(64, 0, 400), N(67, 480, 400), N(72, 0, 200),
                        N(76, 1440, 200), Bar()})),
            ShowEvents(r.events));
}

TEST(TrackMerge, CompactionRules) {
  Events e = {N(60, 0, 0), N(61, 0, 90), Rest(0), Rest(300), Cmd(0xEB, 1, 0, 7), Rest(20),
              N(62, 50, 0), EndEvent()};
  CompactMergedEvents(e);
  // A command does not take a rest's time; a note with steps keeps its own.
  EXPECT_EQ(ShowEvents({N(61, 300, 90), Cmd(0xEB, 1, 0, 7), Rest(20), N(62, 50, 0), EndEvent()}),
            ShowEvents(e));
}

TEST(TrackMerge, CopyEventRangeBetweenBlocks) {
  const Events source = {N(99, 1), N(60, 0, 0), N(61, 0, 90), Rest(300), Cmd(0xEB, 1, 0, 7), N(62, 0, 0),
                         EndEvent(), N(98, 1)};
  const Events copiedOnce = {N(61, 300, 90), Cmd(0xEB, 1, 0, 7), EndEvent()};
  struct Case {
    const char* what;
    int destinationSlots;
    int end;   // expected result
  } cases[] = {{"room to spare", 8, 4}, {"exactly the room", 5, 4}, {"one slot short", 4, -1}};
  for (const Case& c : cases) {
    Events dest(8, N(97, 7));
    Events src = source;
    EXPECT_EQ(c.end, CopyEventRange(src.data(), static_cast<int>(src.size()), dest.data(), c.destinationSlots, 1, 2))
        << c.what;
    EXPECT_EQ(ShowEvents(source), ShowEvents(src)) << c.what;  // the source is only read
    EXPECT_EQ(ShowEvents({N(97, 7), N(97, 7)}), ShowEvents(Events(dest.begin(), dest.begin() + 2))) << c.what;
    for (int k = c.destinationSlots; k < 8; ++k) EXPECT_EQ(97, dest[k].code) << c.what << " slot " << k;
    if (c.end >= 0) {
      EXPECT_EQ(ShowEvents(copiedOnce), ShowEvents(Events(dest.begin() + 2, dest.begin() + c.end + 1))) << c.what;
    }
  }
  // No end event within the source's slots: nothing written.
  Events dest(8, N(97, 7));
  EXPECT_EQ(-1, CopyEventRange(source.data(), 6, dest.data(), 8, 0, 0));
  EXPECT_EQ(97, dest[0].code);
  EXPECT_EQ(-1, CopyEventRange(source.data(), 8, dest.data(), 8, 8, 0));
}

TEST(TrackMerge, CopyEventRangeInPlace) {
  // A chord note before two rests takes the first rest's time in one copy and
  // the second's in the next: the merge compacts twice.
  Events e = {N(60, 0, 400), N(64, 0, 400), Rest(0), Rest(480), Bar(), EndEvent()};
  const int slots = static_cast<int>(e.size());
  ASSERT_EQ(4, CopyEventRange(e.data(), slots, e.data(), slots, 0, 0));
  EXPECT_EQ(ShowEvents({N(60, 0, 400), N(64, 0, 400), Rest(480), Bar(), EndEvent()}),
            ShowEvents(Events(e.begin(), e.begin() + 5)));
  Events twice = {N(60, 0, 400), N(64, 0, 400), Rest(0), Rest(480), Bar(), EndEvent()};
  CompactMergedEvents(twice);
  EXPECT_EQ(ShowEvents({N(60, 0, 400), N(64, 480, 400), Bar(), EndEvent()}), ShowEvents(twice));

  // Writing ahead of the reading in one block is refused untouched.
  Events ahead = {N(60, 0, 0), N(61, 10), EndEvent(), N(1, 1), N(2, 2)};
  const Events before = ahead;
  EXPECT_EQ(-1, CopyEventRange(ahead.data(), 5, ahead.data(), 5, 0, 1));
  EXPECT_EQ(ShowEvents(before), ShowEvents(ahead));
  // Behind it is fine.
  EXPECT_EQ(1, CopyEventRange(ahead.data(), 5, ahead.data(), 5, 1, 0));
  EXPECT_EQ(ShowEvents({N(61, 10), EndEvent()}), ShowEvents(Events(ahead.begin(), ahead.begin() + 2)));
}

TEST(TrackMerge, OutputHoldsAtMost16371Events) {
  auto notes = [](int n) {
    Events e(n, N(60, 10, 5));
    e.push_back(Bar());
    e.push_back(EndEvent());
    return e;
  };
  // n notes come out as n notes, a rest marker and the measure end.
  MergeResult fits = Mix(notes(kMaxTrackEvents - 2), Block({}));
  ASSERT_FALSE(fits.overflow);
  EXPECT_EQ(static_cast<size_t>(kMaxTrackEvents - 1 + 1), fits.events.size());
  EXPECT_EQ(0xFE, fits.events.back().code);

  MergeResult over = Mix(notes(kMaxTrackEvents - 1), Block({}));
  EXPECT_TRUE(over.overflow);
  EXPECT_TRUE(over.events.empty());

  // Loop unrolling: 200 notes 100 times.
  Events loop = {Loop()};
  for (int i = 0; i < 200; ++i) loop.push_back(N(60, 1));
  loop.push_back(Bar());
  loop.push_back(Repeat(100));
  loop.push_back(EndEvent());
  EXPECT_TRUE(Mix(loop, Block({})).overflow);
  MergeOptions mixOptions;
  mixOptions.outputSlots = kTrackMixSlots;
  EXPECT_TRUE(MergeEventBlocks(loop.data(), static_cast<int>(loop.size()), nullptr, 0, mixOptions)
                  .overflow);
  // A count of 0 repeats 65,536 times: too big, but never endless.
  EXPECT_TRUE(Mix(Block({Loop(), N(60, 10), Repeat(0)}), Block({})).overflow);
}

TEST(TrackMerge, DamagedReferencesAreSkipped) {
  // [n1 | ref | n2]; a bad reference stays an empty measure.
  struct Case {
    const char* what;
    uint16_t field;
  } cases[] = {
      {"past the block", 48 + 5000},
      {"below the block (unnumbered)", 0},
      {"field below 48", 47},
      {"itself", 48 + 2},
      {"the end event", 48 + 5},
      {"the spare slot after the end", 48 + 6},
      {"the largest field", 0xFFFF},
  };
  for (const Case& c : cases) {
    Events base = Block({N(60, 1920), Bar(), Ref(1, c.field), N(62, 1920), Bar()});
    base.push_back(N(99, 1));  // a spare slot with something in it
    MergeResult r = Mix(base, Block({}));
    ASSERT_FALSE(r.overflow) << c.what;
    EXPECT_EQ(ShowEvents(Block({N(60, 1920), Bar(), Bar(), N(62, 1920), Bar()})), ShowEvents(r.events))
        << c.what;
  }
  // Two references pointing at each other.
  Events cycle = Block({N(60, 1920), Bar(), Ref(2, 48 + 3), Ref(1, 48 + 2), N(62, 1920), Bar()});
  MergeResult r = Mix(cycle, Block({}));
  ASSERT_FALSE(r.overflow);
  EXPECT_EQ(ShowEvents(Block({N(60, 1920), Bar(), Bar(), Bar(), N(62, 1920), Bar()})), ShowEvents(r.events));
  // The same damage in the added source.
  r = Mix(Block({N(70, 1920), Bar(), N(70, 1920), Bar(), N(70, 1920), Bar()}), cycle);
  ASSERT_FALSE(r.overflow);
  EXPECT_EQ(ShowEvents(Block({N(70, 0), N(60, 1920), Bar(), N(70, 0), N(62, 1920), Bar(), N(70, 1920),
                        Bar()})),
            ShowEvents(r.events));
}

TEST(TrackMerge, ResolveSameMeasureRefFollowsOnlyGoodLinks) {
  // 0 n, 1 ref->0, 2 ref->1, 3 ref->3, 4 ref->5 (end), 5 end, 6 spare
  Events e = {N(60, 10), Ref(0, 48), Ref(1, 49), Ref(2, 51), Ref(3, 53), EndEvent(), N(1, 1)};
  const int n = static_cast<int>(e.size());
  EXPECT_EQ(0, ResolveSameMeasureRef(e.data(), n, 0));
  EXPECT_EQ(0, ResolveSameMeasureRef(e.data(), n, 1));
  EXPECT_EQ(0, ResolveSameMeasureRef(e.data(), n, 2));
  EXPECT_EQ(3, ResolveSameMeasureRef(e.data(), n, 3));
  EXPECT_EQ(4, ResolveSameMeasureRef(e.data(), n, 4));
  EXPECT_EQ(-1, ResolveSameMeasureRef(e.data(), n, -1));
  EXPECT_EQ(9, ResolveSameMeasureRef(e.data(), n, 9));
  // Ten links are followed, an eleventh is not.
  Events chain(12, Ref(0));
  chain[0] = N(60, 1);
  for (int i = 1; i < 12; ++i) chain[i].gate = static_cast<uint16_t>(48 + i - 1);
  EXPECT_EQ(0, ResolveSameMeasureRef(chain.data(), 12, 10));
  EXPECT_EQ(11, ResolveSameMeasureRef(chain.data(), 12, 11));
}

TEST(TrackMerge, LoopFaultsDoNotBreakAnything) {
  // A repeat end without a start is passed over.
  MergeResult r = Mix(Block({N(60, 960), Repeat(3), N(61, 960), Bar()}), Block({}));
  ASSERT_FALSE(r.overflow);
  EXPECT_EQ(ShowEvents(Block({N(60, 960), N(61, 960), Bar()})), ShowEvents(r.events));

  // Six nested loops of 2: the sixth start is ignored, its end passed over.
  Events deep;
  for (int i = 0; i < 6; ++i) deep.push_back(Loop());
  deep.push_back(N(60, 10));
  for (int i = 0; i < 6; ++i) deep.push_back(Repeat(2));
  deep.push_back(Bar());
  deep.push_back(EndEvent());
  r = Mix(deep, Block({}));
  ASSERT_FALSE(r.overflow);
  EXPECT_EQ(32, Count(r.events, 60));
  EXPECT_EQ(1, Count(r.events, 0xFD));

  // Loops of empty measures nested five deep, 65,536 times each, in the
  // added source: nothing to write, so they end at once.
  Events empty;
  for (int i = 0; i < 5; ++i) empty.push_back(Loop());
  empty.push_back(Bar());
  for (int i = 0; i < 5; ++i) empty.push_back(Repeat(0));
  empty.push_back(N(61, 1920));
  empty.push_back(Bar());
  empty.push_back(EndEvent());
  r = Mix(Block({N(70, 1920), Bar(), N(70, 1920), Bar()}), empty);
  ASSERT_FALSE(r.overflow);
  // The empty measures take no time, so the note lands at step 0.
  EXPECT_EQ(ShowEvents(Block({N(70, 0), N(61, 1920), Bar(), N(70, 1920), Bar()})), ShowEvents(r.events));
}

TEST(TrackMerge, BlocksWithoutEndEventStopAtTheirSize) {
  Events base = {N(60, 480), Bar(), N(61, 480)};
  Events source = {N(62, 240), Ref(0, 48 + 70)};
  MergeResult r = MergeEventBlocks(source.data(), 2, base.data(), 3, MergeOptions{});
  ASSERT_FALSE(r.overflow);
  EXPECT_EQ(ShowEvents(Block({N(60, 0), N(62, 240), Rest(240), Bar(), N(61, 480), Bar()})),
            ShowEvents(r.events));
  r = MergeEventBlocks(nullptr, 0, nullptr, 0, MergeOptions{});
  ASSERT_FALSE(r.overflow);
  EXPECT_EQ(ShowEvents(Block({})), ShowEvents(r.events));
}

TEST(TrackMerge, CutAfterMeasures) {
  Events take = Block({N(60, 100), Bar(), N(61, 200), Ref(0, 48), N(62, 300), Bar()});
  const int n = static_cast<int>(take.size());
  EXPECT_EQ(ShowEvents(Block({N(60, 100), Bar()})), ShowEvents(CutAfterMeasures(take.data(), n, 1)));
  EXPECT_EQ(ShowEvents(Block({N(60, 100), Bar(), N(61, 200), Ref(0, 48)})),
            ShowEvents(CutAfterMeasures(take.data(), n, 2)));
  EXPECT_EQ(ShowEvents(take), ShowEvents(CutAfterMeasures(take.data(), n, 9)));
  EXPECT_EQ(ShowEvents(Block({})), ShowEvents(CutAfterMeasures(nullptr, 0, 1)));
  EXPECT_EQ(100, PlainStepTotal(take.data(), 2));
  EXPECT_EQ(600, PlainStepTotal(take.data(), n));
}

// --- Over the open song -------------------------------------------------

void SetTrack(int n, const Events& events) { ReplaceTrackEvents(n, events); }

// The whole block, spare slot included.
Events TrackBlock(int n) {
  HGLOBAL h = SongEntry(TrackEventsEntry(n));
  if (!h) return {};
  Events e(GlobalSize(h) / sizeof(StepEvent));
  std::memcpy(e.data(), GlobalLock(h), e.size() * sizeof(StepEvent));
  GlobalUnlock(h);
  return e;
}

// The events up to and including the end event.
Events TrackEvents(int n) {
  Events e = TrackBlock(n);
  e.resize(CountEvents(e.data(), static_cast<int>(e.size())) + 1);
  return e;
}

TrackWindowTable Windows() {
  TrackWindowTable t{};
  SongDocument* doc = LockSongDocument(g_app.frame);
  std::memcpy(&t, GlobalLock(doc->trackWindows), sizeof t);
  GlobalUnlock(doc->trackWindows);
  UnlockSongDocument(g_app.frame);
  return t;
}

void SetEditorWord(int n, HWND value) {
  SongDocument* doc = LockSongDocument(g_app.frame);
  static_cast<TrackWindowTable*>(GlobalLock(doc->trackWindows))->editor[n - 1] = value;
  GlobalUnlock(doc->trackWindows);
  UnlockSongDocument(g_app.frame);
}

void SetTimeBase(int timeBase) {
  HGLOBAL h = SongEntry(kHeaderEntry);
  static_cast<SongHeader*>(GlobalLock(h))->timeBase = static_cast<uint16_t>(timeBase);
  GlobalUnlock(h);
}

int32_t ExpectedFree() {
  int32_t free = kMaxTrackEvents * g_song.trackCount;
  for (int n = 1; n <= g_song.trackCount; ++n) free -= static_cast<int32_t>(TrackEvents(n).size()) - 1;
  return free;
}

// A plain window carrying an editor record, as a step editor does.
HWND EditorWindow(StepEditorData* ed) {
  HWND w = CreateWindowA("STATIC", "", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, GetModuleHandleA(nullptr),
                         nullptr);
  SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(ed));
  return w;
}

class TrackMergeSongTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(NewSong(frame.hwnd())); }
  TempSettingsFile ini;
  TestFrame frame;
  MessageBoxRecorder boxes;
};

TEST_F(TrackMergeSongTest, RecordMergeReplacesTheTrack) {
  SetTrack(2, Block({N(70, 1920), Bar(), N(71, 1920), Bar()}));
  Events take = Block({N(60, 960), N(61, 960), Bar(), N(62, 1920), Bar()});
  g_song.freeEvents = 0;
  ASSERT_EQ(kMergeOk, RecordMerge(take.data(), static_cast<int>(take.size()), 2, 0, 3840, 0x04, 0));
  Events block = TrackBlock(2);
  // Events, end event and one spare slot.
  ASSERT_EQ(take.size() + 1, block.size());
  EXPECT_EQ(ShowEvents(take), ShowEvents(TrackEvents(2)));
  EXPECT_EQ(3u, Windows().state[1]);
  EXPECT_EQ(0u, Windows().state[0]);
  EXPECT_EQ(ExpectedFree(), g_song.freeEvents);
  EXPECT_EQ(36 * kMaxTrackEvents - 5, g_song.freeEvents);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(TrackMergeSongTest, RecordMergeMixModeKeepsTheTrack) {
  SetTrack(1, Block({N(70, 1920), Bar()}));
  Events take = Block({N(60, 960), N(61, 960), Bar()});
  ASSERT_EQ(kMergeOk, RecordMerge(take.data(), static_cast<int>(take.size()), 1, 1920, 0,
                                  kRecordMixFlag, 0));
  EXPECT_EQ(ShowEvents(Block({N(70, 0), N(60, 960), N(61, 960), Bar()})), ShowEvents(TrackEvents(1)));
}

TEST_F(TrackMergeSongTest, RecordWindowCountsInSongSteps) {
  // Base notes every 480 steps; the take is one long rest, so the notes
  // before the window start are the ones that stay, and the window's end
  // brings back the last two: both ends are song steps at any time base.
  Events base = Block({N(70, 480), N(70, 480), N(70, 480), N(70, 480), N(70, 480), N(70, 480),
                       N(71, 480), N(71, 480), Bar()});
  Events take = Block({Rest(3840), Bar()});
  struct {
    int timeBase;
    int32_t start, end;
    int kept, tail;
  } cases[] = {{480, 1920, 2880, 4, 2}, {240, 1920, 2880, 4, 2}, {96, 1000, 2880, 3, 2},
               {100, 1920, 2880, 4, 2}, {960, 1920, 2880, 4, 2}, {960, 0, 3840, 0, 0}};
  for (auto& c : cases) {
    SetTimeBase(c.timeBase);
    SetTrack(3, base);
    ASSERT_EQ(kMergeOk,
              RecordMerge(take.data(), static_cast<int>(take.size()), 3, c.start, c.end, 0, 0))
        << c.timeBase;
    EXPECT_EQ(c.kept, Count(TrackEvents(3), 70)) << c.timeBase;
    EXPECT_EQ(c.tail, Count(TrackEvents(3), 71)) << c.timeBase;
  }
}

TEST_F(TrackMergeSongTest, MeasureLimitCutsTheTake) {
  SetTrack(1, Block({N(70, 1920), Bar(), N(71, 1920), Bar()}));
  Events take = Block({N(60, 1920), Bar(), N(61, 1920), Bar()});
  ASSERT_EQ(kMergeOk, RecordMerge(take.data(), static_cast<int>(take.size()), 1, 0, 3840, 0, 1));
  EXPECT_EQ(ShowEvents(Block({N(60, 1920), Bar(), N(71, 1920), Bar()})), ShowEvents(TrackEvents(1)));
  // The caller's block is left as it was.
  EXPECT_EQ(0xFD, take[3].code);
}

TEST_F(TrackMergeSongTest, RecordMergeRenumbersTheTrackFirst) {
  // The reference still names index 0 + 48 from before measure 0 moved.
  SetTrack(1, Block({N(72, 1920), Bar(), N(70, 1920), Bar(), Ref(1, 48)}));
  Events take = Block({});
  ASSERT_EQ(kMergeOk, RecordMerge(take.data(), 1, 1, 0, 0, kRecordMixFlag, 0));
  EXPECT_EQ(ShowEvents(Block({N(72, 1920), Bar(), N(70, 1920), Bar(), N(70, 1920), Bar()})),
            ShowEvents(TrackEvents(1)));
}

TEST_F(TrackMergeSongTest, RecordOverflowLeavesTheTrack) {
  Events base = Block({Loop(), N(70, 10), Repeat(20000)});
  SetTrack(4, base);
  HGLOBAL before = SongEntry(TrackEventsEntry(4));
  g_song.freeEvents = 1234;
  Events take = Block({N(60, 100)});
  EXPECT_EQ(kMergeOverflow,
            RecordMerge(take.data(), static_cast<int>(take.size()), 4, 0, 100, kRecordMixFlag, 0));
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ(static_cast<UINT>(IDS_RECORD_TOO_BIG), boxes.boxes[0].stringId);
  EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), boxes.boxes[0].style);
  EXPECT_EQ(before, SongEntry(TrackEventsEntry(4)));
  EXPECT_EQ(ShowEvents(base), ShowEvents(TrackEvents(4)));
  EXPECT_EQ(0u, Windows().state[3]);
  EXPECT_EQ(1234, g_song.freeEvents);
}

TEST_F(TrackMergeSongTest, TrackMixAsksAndStoresTheMix) {
  Events a = Block({N(70, 960), N(71, 960), Bar()});
  Events b = Block({N(60, 480), N(61, 1440), Bar()});
  SetTrack(1, a);
  SetTrack(2, b);
  boxes.answers = {IDYES};
  ASSERT_EQ(kMergeOk, TrackMix(1, 2, 3));
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ(static_cast<UINT>(IDS_TRACK_MIX_CONFIRM), boxes.boxes[0].stringId);
  EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), boxes.boxes[0].style);
  EXPECT_EQ("3トラックの内容が破壊されますがよろしいですか?", boxes.boxes[0].text);
  EXPECT_EQ(ShowEvents(Block({N(70, 0), N(60, 480), N(61, 480), N(71, 960), Bar()})),
            ShowEvents(TrackEvents(3)));
  EXPECT_EQ(ShowEvents(a), ShowEvents(TrackEvents(1)));
  EXPECT_EQ(ShowEvents(b), ShowEvents(TrackEvents(2)));
  EXPECT_EQ(3u, Windows().state[2]);
  EXPECT_EQ(ExpectedFree(), g_song.freeEvents);

  // Into one of its own sources.
  boxes.answers = {IDYES};
  ASSERT_EQ(kMergeOk, TrackMix(1, 1, 1));
  EXPECT_EQ(ShowEvents(Block({N(70, 0), N(70, 960), N(71, 0), N(71, 960), Bar()})), ShowEvents(TrackEvents(1)));
}

TEST_F(TrackMergeSongTest, TrackMixNoDoesNothing) {
  SetTrack(1, Block({N(70, 960), Bar()}));
  SetTrack(2, Block({N(60, 960), Bar()}));
  HGLOBAL before = SongEntry(TrackEventsEntry(3));
  g_song.freeEvents = 77;
  boxes.answers = {IDNO};
  EXPECT_EQ(kMergeDeclined, TrackMix(1, 2, 3));
  EXPECT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ(before, SongEntry(TrackEventsEntry(3)));
  EXPECT_EQ(ShowEvents(Block({})), ShowEvents(TrackEvents(3)));
  EXPECT_EQ(0u, Windows().state[2]);
  EXPECT_EQ(77, g_song.freeEvents);
}

TEST_F(TrackMergeSongTest, TrackMixOverflowShows1930) {
  Events big(9000, N(70, 1));
  big.push_back(EndEvent());
  SetTrack(1, big);
  SetTrack(2, big);
  Events dest = Block({N(65, 5), Bar()});
  SetTrack(5, dest);
  boxes.answers = {IDYES};
  EXPECT_EQ(kMergeOverflow, TrackMix(1, 2, 5));
  ASSERT_EQ(2u, boxes.boxes.size());
  EXPECT_EQ(static_cast<UINT>(IDS_TRACK_MIX_TOO_BIG), boxes.boxes[1].stringId);
  EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), boxes.boxes[1].style);
  EXPECT_EQ(ShowEvents(dest), ShowEvents(TrackEvents(5)));
  EXPECT_EQ(0u, Windows().state[4]);
}

TEST_F(TrackMergeSongTest, TracksOutsideTheSongAreRefused) {
  Events take = Block({N(60, 10)});
  const int n = static_cast<int>(take.size());
  EXPECT_EQ(kMergeBadInput, RecordMerge(take.data(), n, 0, 0, 10, 0, 0));
  EXPECT_EQ(kMergeBadInput, RecordMerge(take.data(), n, 37, 0, 10, 0, 0));
  EXPECT_EQ(kMergeBadInput, RecordMerge(nullptr, 0, 1, 0, 10, 0, 0));
  EXPECT_EQ(kMergeBadInput, TrackMix(1, 2, 37));
  EXPECT_EQ(kMergeBadInput, TrackMix(0, 2, 3));
  EXPECT_TRUE(boxes.boxes.empty());
}

struct RefreshCall {
  HWND editor;
  int track;
  HGLOBAL block;
};
std::vector<RefreshCall> g_refreshCalls;
void RecordRefresh(HWND editor, int track) {
  g_refreshCalls.push_back({editor, track, SongEntry(TrackEventsEntry(track))});
}

TEST_F(TrackMergeSongTest, OpenEditorIsPointedAtTheNewBlock) {
  g_refreshCalls.clear();
  SetTrackEditorRefresh(&RecordRefresh);
  SetEditorWord(2, frame.hwnd());
  Events take = Block({N(60, 100)});
  ASSERT_EQ(kMergeOk, RecordMerge(take.data(), 2, 1, 0, 100, 0, 0));
  EXPECT_TRUE(g_refreshCalls.empty());  // no editor on track 1
  ASSERT_EQ(kMergeOk, RecordMerge(take.data(), 2, 2, 0, 100, 0, 0));
  SetTrackEditorRefresh(nullptr);
  ASSERT_EQ(1u, g_refreshCalls.size());
  EXPECT_EQ(frame.hwnd(), g_refreshCalls[0].editor);
  EXPECT_EQ(2, g_refreshCalls[0].track);
  EXPECT_EQ(SongEntry(TrackEventsEntry(2)), g_refreshCalls[0].block);
}

TEST_F(TrackMergeSongTest, MixedTrackOfTheCurrentEditorGetsItsFullBlock) {
  // Registering the window classes installs the step editor's refresh.
  RegisterWindowClasses(GetModuleHandleA(nullptr));
  SetTrack(1, Block({N(70, 960), N(71, 960), Bar()}));
  SetTrack(2, Block({N(60, 480), N(61, 1440), Bar()}));
  StepEditorData current = {}, other = {};
  HWND currentWindow = EditorWindow(&current), otherWindow = EditorWindow(&other);
  ASSERT_GE(AttachTrackToEditor(&current, currentWindow, 3), 0);
  ASSERT_GE(AttachTrackToEditor(&other, otherWindow, 4), 0);
  current.topLine = 2;
  g_prog.currentStep = currentWindow;

  boxes.answers = {IDYES, IDYES};
  ASSERT_EQ(kMergeOk, TrackMix(1, 2, 3));
  ASSERT_EQ(kMergeOk, TrackMix(1, 2, 4));
  const Events mixed = Block({N(70, 0), N(60, 480), N(61, 480), N(71, 960), Bar()});
  for (StepEditorData* ed : {&current, &other}) {
    const HGLOBAL block = SongEntry(TrackEventsEntry(ed->track));
    EXPECT_EQ(ShowEvents(mixed), ShowEvents(TrackEvents(ed->track)));
    EXPECT_EQ(block, ReadTrackBlock(*ed).events);
    EXPECT_EQ(5, ed->eventCount);
    EXPECT_EQ(0, ed->topLine);
  }
  // The current editor can insert a line at once; the other keeps its events
  // and one spare slot until it is activated.
  EXPECT_EQ(kTrackSlots, SlotsOf(SongEntry(TrackEventsEntry(3))));
  EXPECT_EQ(static_cast<SIZE_T>(7 * sizeof(StepEvent)), GlobalSize(SongEntry(TrackEventsEntry(4))));

  SetTrackEditorRefresh(nullptr);
  g_prog.currentStep = nullptr;
  FreeTrackViewBuffers(&current);
  FreeTrackViewBuffers(&other);
  DestroyWindow(currentWindow);
  DestroyWindow(otherWindow);
}

}  // namespace
