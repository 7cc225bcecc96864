#include "recconvert.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "resource.h"
#include "songmodel.h"
#include "testsupport.h"
#include "trackmerge.h"
#include "zk/playdata.h"

namespace {

using Events = std::vector<StepEvent>;

// Record words as the engine writes them.
class Words {
 public:
  Words& Wait(int ticks) {
    for (; ticks >= 240; ticks -= 240) w.push_back(0xE8F0);
    if (ticks > 0) w.push_back(static_cast<uint16_t>(0xE800 | ticks));
    return *this;
  }
  Words& Msg(int status, int data1, int data2 = 0) {
    w.push_back(static_cast<uint16_t>((status & 0xF0) << 8 | (status & 0x0F)));
    w.push_back(static_cast<uint16_t>(data1 << 8 | data2));
    return *this;
  }
  Words& On(int channel, int key, int vel = 100) { return Msg(0x90 | channel, key, vel); }
  Words& Off(int channel, int key) { return Msg(0x80 | channel, key, 64); }
  Words& Cc(int channel, int controller, int value) { return Msg(0xB0 | channel, controller, value); }
  Words& Raw(std::initializer_list<uint16_t> words) {
    w.insert(w.end(), words);
    return *this;
  }
  Words& End() {
    w.push_back(kPwEndFill);
    return *this;
  }
  WordStream Stream() const { return WordStream{w.data(), static_cast<int>(w.size()), nullptr, 0}; }

  std::vector<uint16_t> w;
};

StepEvent N(uint8_t key, uint16_t step, uint16_t gate, uint8_t vel = 100) { return {key, vel, step, gate}; }
StepEvent R(uint16_t step, uint8_t key = 60) { return {key, 0, step, 0}; }
StepEvent Cmd(uint8_t code, uint8_t value, uint16_t step, uint16_t param) { return {code, value, step, param}; }
const StepEvent kBar = {0xFD, 0, 0, 0};

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

TrackHeader Header(uint8_t mode = 0x04, uint8_t keyShift = 0, int8_t stepShift = 0) {
  TrackHeader h{};
  h.mode = mode;
  h.keyShift = keyShift;
  h.stepShift = stepShift;
  return h;
}

RecordTake Take(const Words& words, int timeBase = 480) {
  RecordTake t;
  t.stream = words.Stream();
  t.timeBase = timeBase;
  return t;
}

const Events kEmptyTrack = {EndEvent()};

ConvertedTrack Convert(const RecordTake& take, const TrackHeader& header = Header(),
                       int channelFilter = kEveryChannel, const Events& track = kEmptyTrack) {
  return ConvertRecordedTrack(take, header, track.data(), static_cast<int>(track.size()), channelFilter);
}

// --- Reading the record words ---------------------------------------------------

struct ReadCase {
  const char* name;
  std::vector<uint16_t> first;
  std::vector<uint16_t> second;
  int filter;
  std::vector<uint32_t> values;   // up to and including the end value
  std::vector<int64_t> clocks;    // the reader's clock after each
};

class ReadRecordWordTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadRecordWordTest, EventsAndTheirTimes) {
  const ReadCase& c = GetParam();
  RecordWordReader reader(WordStream{c.first.data(), static_cast<int>(c.first.size()), c.second.data(),
                                     static_cast<int>(c.second.size())});
  std::vector<uint32_t> values;
  std::vector<int64_t> clocks;
  for (int guard = 0; guard < 20; ++guard) {
    values.push_back(ReadRecordWord(reader, c.filter));
    clocks.push_back(reader.clock());
    if (values.back() == kRecordEndValue) break;
  }
  EXPECT_EQ(values, c.values);
  EXPECT_EQ(clocks, c.clocks);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadRecordWordTest,
    ::testing::Values(
        ReadCase{"WaitsAddUp", {0xE8F0, 0xE801, 0x9000, 0x3C64, 0xE800, 0x8000, 0x3C40, 0xEAFC}, {}, kEveryChannel,
                 {0x90003C64, 0x80003C40, kRecordEndValue}, {241, 241, 241}},
        ReadCase{"OtherChannelsAreReadOver",
                 {0xE810, 0x9003, 0x3C64, 0xE820, 0x9001, 0x4064, 0xE830, 0xB001, 0x0740, 0xEAFD},
                 {},
                 1,
                 {0x90014064, 0xB0010740, kRecordEndValue},
                 {0x30, 0x60, 0x60}},
        ReadCase{"OneAndTwoWordEvents",
                 {0xF401, 0xE105, 0x1234, 0xE2AA, 0xE907, 0x1111, 0x2222, 0xCF00, 0xEAF9, 0xEAFA, 0xEAFC},
                 {},
                 kEveryChannel,
                 {0xF4010000, 0xE1051234, 0xE2AA0000, 0xE9070000, 0xCF000000, kRecordEndValue},
                 {0, 0, 0, 0, 0, 0}},
        // Events without a channel are channel 0; the marks pass any filter.
        ReadCase{"ChannelLessEventsAreChannelZero", {0xF401, 0xE2AA, 0xF500, 0xEAFC}, {}, 2,
                 {0xE2AA0000, kRecordEndValue}, {0, 0}},
        ReadCase{"ExclusiveIsSkippedToItsEnd",
                 {0xF000, 0x4110, 0x4212, 0xF700, 0x9000, 0x3C64, 0xF000, 0x7EF7, 0xE805, 0xEAFC},
                 {},
                 kEveryChannel,
                 {0x90003C64, kRecordEndValue},
                 {0, 5}},
        ReadCase{"FirstBlockRunsIntoTheSecond",
                 {0xE801, 0x9000},
                 {0x3C64, 0xE802, 0xEAFC},
                 kEveryChannel,
                 {0x90003C64, kRecordEndValue},
                 {1, 3}},
        ReadCase{"NoEndWordStopsAtTheStreamsEnd", {0xE801, 0x9000, 0x3C64}, {0xE802}, kEveryChannel,
                 {0x90003C64, kRecordEndValue}, {1, 3}},
        ReadCase{"ExclusiveWithoutItsEnd", {0xE801, 0xF000, 0x1234}, {0x5678, 0xE8F0}, kEveryChannel,
                 {kRecordEndValue}, {1}},
        ReadCase{"MessageCutShortByTheEnd", {0xE801, 0xB000}, {}, kEveryChannel, {kRecordEndValue}, {1}},
        ReadCase{"StrangeWordsAreReadOver", {0x1234, 0x8105, 0xEA00, 0xE803, 0xC002, 0x0500, 0xEAFC}, {},
                 kEveryChannel, {0xC0020500, kRecordEndValue}, {3, 3}}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

TEST(RecordLengthTest, EveryWaitToTheEnd) {
  Words w;
  w.Wait(300).On(0, 60).Wait(100).On(5, 62).Cc(7, 7, 100).Wait(500).End().Wait(999);
  const RecordLength l = ScanRecordLength(w.Stream());
  EXPECT_EQ(l.ticks, 900);
  EXPECT_EQ(l.messages, 3);
  EXPECT_EQ(ScanRecordLength(WordStream{}).ticks, 0);
}

// --- Record tracks and header bytes -------------------------------------------------

TEST(RecordTrackListTest, ChannelsTakenAndThru) {
  struct Case {
    const char* name;
    std::vector<TrackRecordBytes> tracks;
    std::vector<RecordTrackEntry> expected;
    int thru;
  } cases[] = {
      {"OneRecordTrackTakesEveryChannel", {{0, 0}, {3, 0x04}, {5, 0x01}}, {{2, 3, 0x04, kEveryChannel, true}}, 3},
      {"TwoTakeTheirOwn", {{0, 0x02}, {1, 0x04}, {2, 0}}, {{1, 0, 0x02, 0, true}, {2, 1, 0x04, 1, true}}, 1},
      {"PortBitsAreNoChannel", {{0x12, 0x06}, {0x21, 0x04}}, {{1, 0x12, 0x06, 2, true}, {2, 0x21, 0x04, 1, true}},
       0x21},
      {"OffBesideOthersIsLeftOut", {{4, 0x04}, {0xFF, 0x04}}, {{1, 4, 0x04, 4, true}, {2, 0xFF, 0x04, 15, false}}, 4},
      {"OffAloneTakesEveryChannel", {{0xFF, 0x02}}, {{1, 0xFF, 0x02, kEveryChannel, true}}, -1},
      {"NoRecordTrack", {{0, 0x01}, {1, 0}}, {}, -1},
  };
  for (const Case& c : cases) {
    const RecordTrackList list = BuildRecordTrackList(c.tracks.data(), static_cast<int>(c.tracks.size()));
    ASSERT_EQ(list.tracks.size(), c.expected.size()) << c.name;
    for (size_t i = 0; i < c.expected.size(); ++i) {
      EXPECT_EQ(list.tracks[i].track, c.expected[i].track) << c.name;
      EXPECT_EQ(list.tracks[i].channel, c.expected[i].channel) << c.name;
      EXPECT_EQ(list.tracks[i].mode, c.expected[i].mode) << c.name;
      EXPECT_EQ(list.tracks[i].convert, c.expected[i].convert) << c.name;
      if (c.expected[i].convert) {
        EXPECT_EQ(list.tracks[i].channelFilter, c.expected[i].channelFilter) << c.name;
      }
    }
    EXPECT_EQ(list.thruChannel, c.thru) << c.name;
  }
}

TEST(HeaderShiftTest, StepAndKeyShiftBytes) {
  const std::pair<uint8_t, int> steps[] = {{0, 0}, {10, 10}, {127, 127}, {128, 128}, {129, -127}, {246, -10}, {255, -1}};
  for (auto [byte, shift] : steps) EXPECT_EQ(StepShiftOf(byte), shift) << int{byte};
  const std::pair<uint8_t, int> keys[] = {{0, 0},     {12, 12}, {36, 36},  {37, 36}, {63, 36}, {64, -36},
                                          {100, -28}, {116, -12}, {127, -1}, {128, 0}, {0x8C, 0}, {255, 0}};
  for (auto [byte, shift] : keys) EXPECT_EQ(KeyShiftOf(byte), shift) << int{byte};
}

// --- Measure lengths and chunks ---------------------------------------------------

StepEvent Loop() { return {0xF9, 0, 0, 0}; }
StepEvent Repeat(uint16_t count) { return {0xF8, 0, count, 0}; }
StepEvent Ref(int index) { return {0xFC, 0, 0, static_cast<uint16_t>(index + 48)}; }

struct LengthCase {
  const char* name;
  Events track;
  int beats, beatUnit, timeBase;
  std::vector<int64_t> lengths;  // the track's own measures
  int64_t bar;                   // every measure after them
};

class MeasureLengthsTest : public ::testing::TestWithParam<LengthCase> {};

TEST_P(MeasureLengthsTest, AsTheTrackPlays) {
  const LengthCase& c = GetParam();
  const MeasureLengths m(c.track.data(), static_cast<int>(c.track.size()), c.timeBase, c.beats, c.beatUnit);
  std::vector<int64_t> lengths;
  for (int i = 0; i < m.trackMeasures(); ++i) lengths.push_back(m.Length(i));
  EXPECT_EQ(lengths, c.lengths);
  EXPECT_EQ(m.bar(), c.bar);
  EXPECT_EQ(m.Length(m.trackMeasures() + 5), c.bar);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MeasureLengthsTest,
    ::testing::Values(
        LengthCase{"EmptyTrackIsTheSongsMeter", Block({}), 6, 8, 480, {}, 1440},
        LengthCase{"OwnMeasures", Block({N(60, 480, 1), N(60, 480, 1), kBar, N(60, 100, 1), kBar}), 4, 4, 480,
                   {960, 100}, 1920},
        LengthCase{"UnfinishedLastMeasureCounts", Block({N(60, 1920, 1), kBar, N(60, 50, 1)}), 4, 4, 480,
                   {1920, 50}, 1920},
        LengthCase{"RepeatInsideAMeasure", Block({Loop(), N(60, 120, 1), Repeat(4), N(60, 100, 1), kBar}), 4, 4, 480,
                   {580}, 1920},
        LengthCase{"RepeatCountZeroPlays65536Times", Block({Loop(), N(60, 3, 1), Repeat(0), kBar}), 4, 4, 480,
                   {3 * 65536}, 1920},
        LengthCase{"RepeatOverMeasures",
                   Block({N(60, 10, 1), kBar, Loop(), N(60, 20, 1), kBar, N(60, 30, 1), kBar, Repeat(3), N(60, 40, 1),
                          kBar}),
                   4, 4, 480, {10, 20, 30, 20, 30, 20, 30, 40}, 1920},
        LengthCase{"NestedRepeats", Block({Loop(), Loop(), N(60, 10, 1), Repeat(3), N(60, 5, 1), Repeat(2), kBar}), 4,
                   4, 480, {70}, 1920},
        LengthCase{"ReferencePlaysItsMeasure", Block({N(60, 700, 1), kBar, N(60, 300, 1), kBar, Ref(0), Ref(2)}), 4,
                   4, 480, {700, 300, 700, 300}, 1920},
        LengthCase{"ReferenceOutsideTheBlockIsEmpty", Block({N(60, 700, 1), kBar, Ref(500), N(60, 5, 1), kBar}), 4,
                   4, 480, {700, 0, 5}, 1920},
        LengthCase{"EndlessChainIsEmpty", Block({N(60, 700, 1), kBar, Ref(3), Ref(2)}), 4, 4, 480, {700, 0, 0},
                   1920},
        LengthCase{"AtMost32000", Block({Loop(), N(60, 1, 1), kBar, Repeat(0)}), 4, 4, 480,
                   std::vector<int64_t>(32000, 1), 1920},
        LengthCase{"NoMeterIsAWholeNote", Block({}), 0, 0, 96, {}, 384}),
    [](const ::testing::TestParamInfo<LengthCase>& info) { return std::string(info.param.name); });

TEST(ChunkClockTest, WholeNotesAtMost) {
  // 4/4, then 6/4, then 9/4 measures at 480: 1920; 1920 + 960; 1920 x 2 + 480.
  const Events track = Block({N(60, 1920, 1), kBar, N(60, 2880, 1), kBar, N(60, 4320, 1), kBar, kBar});
  const MeasureLengths m(track.data(), static_cast<int>(track.size()), 480, 3, 4);
  ChunkClock clock(m, 480);
  std::string chunks;
  for (int i = 0; i < 8; ++i, clock.Next())
    chunks += std::to_string(clock.start()) + "-" + std::to_string(clock.end()) + (clock.closesMeasure() ? "| " : " ");
  EXPECT_EQ(chunks, "0-1920| 1920-3840 3840-4800| 4800-6720 6720-8640 8640-9120| 9120-9120| 9120-10560| ");
}

TEST(PlaceTakeTest, LeadShiftAndWindow) {
  const Events track = Block({N(60, 1000, 1), kBar, N(60, 1500, 1), kBar});
  const MeasureLengths m(track.data(), static_cast<int>(track.size()), 480, 4, 4);
  struct Case {
    int playStart, shift;
    int64_t punchIn, length;
    TakePlacement expected;
  } cases[] = {
      {1, 0, 0, 500, {0, 0, 0, 500, true}},
      {3, 0, 0, 500, {2500, 2500, 2500, 3000, true}},
      {4, 0, 960, 2000, {4420, 4420, 5380, 6420, true}},  // beyond the track: bars of 1,920
      {2, 0, 960, 959, {1000, 1000, 1960, 1959, false}},
      {2, 10, 0, 100, {1000, 990, 990, 1090, true}},
      {2, -10, 20, 100, {1000, 1010, 1030, 1110, true}},
      {1, 100, 30, 50, {0, -100, 0, 0, true}},
  };
  for (const Case& c : cases) {
    const TakePlacement p = PlaceTake(m, c.playStart, c.shift, c.punchIn, c.length);
    EXPECT_EQ(p.lead, c.expected.lead) << c.playStart << " " << c.shift;
    EXPECT_EQ(p.origin, c.expected.origin) << c.playStart << " " << c.shift;
    EXPECT_EQ(p.windowStart, c.expected.windowStart) << c.playStart << " " << c.shift;
    EXPECT_EQ(p.windowEnd, c.expected.windowEnd) << c.playStart << " " << c.shift;
    EXPECT_EQ(p.reached, c.expected.reached) << c.playStart << " " << c.shift;
  }
}

// --- Whole conversions --------------------------------------------------------------

struct ConvertCase {
  const char* name;
  Words words;
  int timeBase;
  int beats;
  TrackHeader header;
  int channelFilter;
  Events expected;
};

class ConvertTest : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(ConvertTest, StepEvents) {
  const ConvertCase& c = GetParam();
  RecordTake take = Take(c.words, c.timeBase);
  take.beats = c.beats;
  const ConvertedTrack t = Convert(take, c.header, c.channelFilter);
  ASSERT_EQ(t.status, ConvertStatus::kConverted);
  EXPECT_EQ(ShowEvents(t.events), ShowEvents(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConvertTest,
    ::testing::Values(
        ConvertCase{"OneTrackTakesEveryChannel",
                    Words().On(0, 60).Wait(480).Off(0, 60).On(9, 36).Wait(240).Off(9, 36).Cc(3, 7, 90).End(),
                    480, 4, Header(), kEveryChannel,
                    Block({R(0), N(60, 480, 481), N(36, 240, 241), Cmd(0xEB, 90, 0, 7)})},
        ConvertCase{"ChannelOneTakesItsOwn",
                    Words().On(0, 60).Wait(480).Off(0, 60).On(1, 62).Wait(240).Off(1, 62).Cc(0, 7, 90).End(),
                    480, 4, Header(), 0, Block({R(0), N(60, 720, 481), Cmd(0xEB, 90, 0, 7)})},
        ConvertCase{"ChannelTwoTakesItsOwn",
                    Words().On(0, 60).Wait(480).Off(0, 60).On(1, 62).Wait(240).Off(1, 62).Cc(0, 7, 90).End(),
                    480, 4, Header(), 1, Block({R(480), N(62, 240, 241)})},
        // A note-off on another channel ends no note.
        ConvertCase{"GateFromTheNoteOffOfItsChannel",
                    Words().On(0, 60).On(1, 60).Wait(100).Off(1, 60).Wait(100).Off(0, 60).Wait(100).End(), 480, 4,
                    Header(), kEveryChannel, Block({R(0), N(60, 0, 201), N(60, 300, 101)})},
        ConvertCase{"HeldAcrossTheBarLine",
                    Words().Wait(1440).On(0, 64).Wait(480).On(0, 67).Wait(480).Off(0, 64).Wait(480).Off(0, 67).End(),
                    480, 4, Header(), kEveryChannel,
                    Block({R(1440), N(64, 480, 481), kBar, N(64, 0, 481), N(67, 960, 961)})},
        ConvertCase{"SixFourSplitsAtTheFourthBeat",
                    Words().Wait(1440).On(0, 64).Wait(960).Off(0, 64).Wait(480).End(), 480, 6, Header(),
                    kEveryChannel, Block({R(1440), N(64, 480, 481), N(64, 960, 481), kBar})},
        ConvertCase{"HeldOverTwoBarLines", Words().Wait(1900).On(0, 50).Wait(2000).Off(0, 50).End(), 480, 4,
                    Header(), kEveryChannel,
                    Block({R(1900), N(50, 20, 21), kBar, N(50, 1920, 1921), kBar, N(50, 60, 61)})},
        ConvertCase{"NoNoteOffReachesTheEnd", Words().Wait(480).On(0, 72).Wait(960).End(), 480, 4, Header(),
                    kEveryChannel, Block({R(480), N(72, 960, 961)})},
        ConvertCase{"NoteOffAtOnceStillSounds", Words().On(0, 38).Off(0, 38).Wait(100).End(), 480, 4, Header(),
                    kEveryChannel, Block({R(0), N(38, 100, 1)})},
        // Silence becomes a rest only where a chunk starts.
        ConvertCase{"SilenceAfterABarLine",
                    Words().On(0, 60).Wait(100).Off(0, 60).Wait(2300).On(0, 62).Wait(100).Off(0, 62).End(), 480, 4,
                    Header(), kEveryChannel, Block({R(0), N(60, 1920, 101), kBar, R(480, 60), N(62, 100, 101)})},
        // One measure of 32 beats: whole-note chunks without bar lines; the
        // note takes the silence while its step stays below 9,999.
        ConvertCase{"SilenceLengthensANoteUpTo9998", Words().On(0, 60).Wait(100).Off(0, 60).Wait(15260).End(), 480,
                    32, Header(), kEveryChannel, Block({R(0), N(60, 9600, 101), R(5760), kBar})},
        ConvertCase{"AllFiveMessages",
                    Words()
                        .Msg(0xA2, 61, 30)
                        .Wait(10)
                        .Msg(0xB2, 10, 64)
                        .Wait(10)
                        .Msg(0xC2, 5)
                        .Wait(10)
                        .Msg(0xD2, 77)
                        .Wait(10)
                        .Msg(0xE2, 0x11, 0x40)
                        .Wait(10)
                        .End(),
                    480, 4, Header(), kEveryChannel,
                    Block({R(0), Cmd(0xED, 30, 10, 61), Cmd(0xEB, 64, 10, 10), Cmd(0xEC, 0, 10, 5),
                           Cmd(0xEA, 0, 10, 77), Cmd(0xEE, 0x40, 10, 0x11)})},
        ConvertCase{"ChannelModeControllersNeverAppear",
                    Words()
                        .On(0, 60)
                        .Cc(0, 121, 0)
                        .Wait(10)
                        .Cc(0, 122, 0)
                        .Cc(0, 123, 0)
                        .Wait(10)
                        .Cc(0, 124, 0)
                        .Cc(0, 125, 0)
                        .Cc(0, 126, 0)
                        .Cc(0, 127, 0)
                        .Wait(10)
                        .Off(0, 60)
                        .End(),
                    480, 4, Header(), kEveryChannel, Block({R(0), N(60, 0, 31), Cmd(0xEB, 0, 10, 121), R(20)})},
        // Key shift: 132 is lowered by an octave, -7 raised by one.
        ConvertCase{"KeyShiftUpFoldsAbove127",
                    Words().On(0, 120).On(0, 60).Msg(0xA0, 120, 9).Wait(50).Off(0, 120).Off(0, 60).End(), 480, 4,
                    Header(0x04, 12), kEveryChannel,
                    Block({R(0, 72), N(120, 0, 51), N(72, 0, 51), Cmd(0xED, 9, 50, 120)})},
        ConvertCase{"KeyShiftDownFoldsBelow0", Words().On(0, 5).On(0, 60).Wait(50).Off(0, 5).Off(0, 60).End(), 480, 4,
                    Header(0x04, 116), kEveryChannel, Block({R(0, 48), N(5, 0, 51), N(48, 50, 51)})},
        ConvertCase{"RhythmTrackKeepsItsKeys", Words().On(0, 36).Wait(50).Off(0, 36).End(), 480, 4,
                    Header(0x04, 0x80), kEveryChannel, Block({R(0), N(36, 50, 51)})},
        // A track that plays 10 steps late keeps its notes 10 steps early; one
        // that plays early keeps them late; before the song's start is 0.
        ConvertCase{"PositiveStepShift", Words().Wait(480).On(0, 60).Wait(100).Off(0, 60).End(), 480, 4,
                    Header(0x04, 0, 10), kEveryChannel, Block({R(470), N(60, 100, 101)})},
        ConvertCase{"NegativeStepShift", Words().Wait(480).On(0, 60).Wait(100).Off(0, 60).End(), 480, 4,
                    Header(0x04, 0, -10), kEveryChannel, Block({R(490), N(60, 100, 101)})},
        ConvertCase{"ShiftBeforeTheSongsStart",
                    Words().Wait(5).On(0, 60).Wait(10).On(0, 62).Wait(100).Off(0, 60).Off(0, 62).End(), 480, 4,
                    Header(0x04, 0, 20), kEveryChannel, Block({R(0), N(60, 0, 96), N(62, 95, 96)})}),
    [](const ::testing::TestParamInfo<ConvertCase>& info) { return std::string(info.param.name); });

// Every time base counts from the same ticks, exactly: a note at tick 250
// held to tick 730, the end at 2,000 ticks, just past the first bar line.
TEST(ConvertTimeBaseTest, ExactForEveryTimeBase) {
  const Words w = Words().Wait(250).On(0, 60).Wait(480).Off(0, 60).Wait(1270).End();
  struct Case {
    int timeBase;
    Events expected;
  } cases[] = {
      {480, Block({R(250), N(60, 1670, 481), kBar, R(80)})},
      {240, Block({R(125), N(60, 835, 241), kBar, R(40)})},
      {96, Block({R(50), N(60, 334, 97), kBar, R(16)})},
      {960, Block({R(500), N(60, 3340, 961), kBar, R(160)})},
      {100, Block({R(52), N(60, 348, 101), kBar, R(16)})},
  };
  for (const Case& c : cases) {
    const ConvertedTrack t = Convert(Take(w, c.timeBase));
    ASSERT_EQ(t.status, ConvertStatus::kConverted) << c.timeBase;
    EXPECT_EQ(ShowEvents(t.events), ShowEvents(c.expected)) << c.timeBase;
    EXPECT_EQ(t.windowEnd, 2000 * c.timeBase / 480) << c.timeBase;
  }
}

TEST(ConvertTimeBaseTest, NoDriftAtTimeBase100) {
  // 96 notes 20 ticks apart: at 100 a quarter each lands on the step its
  // tick falls in, and the 24th is exactly on the second quarter.
  Words w;
  for (int k = 0; k < 96; ++k) w.On(0, 40 + k % 40).Wait(10).Off(0, 40 + k % 40).Wait(10);
  w.End();
  const ConvertedTrack t = Convert(Take(w, 100));
  ASSERT_EQ(t.status, ConvertStatus::kConverted);
  int64_t at = 0;
  int note = 0;
  for (const StepEvent& e : t.events) {
    if (e.code < 0x80 && e.vel > 0) {
      EXPECT_EQ(at, note * 20 * 100 / 480) << note;
      ++note;
    }
    if (e.code < 0xF0) at += e.step;
  }
  EXPECT_EQ(note, 96);
  EXPECT_EQ(t.windowEnd, 400);
}

struct FilterCase {
  const char* name;
  Words words;      // one event at step 0, 480 ticks of silence after it
  uint32_t filter;
  int keyLow, keyHigh;
  Events expected;
};

class RecordFilterTest : public ::testing::TestWithParam<FilterCase> {};

TEST_P(RecordFilterTest, FilteredEventsBecomeRests) {
  const FilterCase& c = GetParam();
  RecordTake take = Take(c.words);
  take.recordFilter = c.filter;
  take.keyLow = c.keyLow;
  take.keyHigh = c.keyHigh;
  const ConvertedTrack t = Convert(take);
  ASSERT_EQ(t.status, ConvertStatus::kConverted);
  EXPECT_EQ(ShowEvents(t.events), ShowEvents(c.expected));
}

Words One(int status, int data1, int data2 = 0) { return Words().Msg(status, data1, data2).Wait(480).End(); }
Words Note(int key) { return Words().On(0, key).Wait(480).Off(0, key).End(); }
const Events kRestOnly = Block({R(480)});

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordFilterTest,
    ::testing::Values(
        FilterCase{"KeyPressure", One(0xA0, 60, 5), kFilterKeyPressure, 0, 127, kRestOnly},
        FilterCase{"KeyPressureKept", One(0xA0, 60, 5), 0x2FF, 0, 127, Block({R(0), Cmd(0xED, 5, 480, 60)})},
        FilterCase{"Program", One(0xC0, 5), kFilterProgram, 0, 127, kRestOnly},
        FilterCase{"ProgramKept", One(0xC0, 5), 0x3FD, 0, 127, Block({R(0), Cmd(0xEC, 0, 480, 5)})},
        FilterCase{"ChannelPressure", One(0xD0, 5), kFilterChannelPressure, 0, 127, kRestOnly},
        FilterCase{"ChannelPressureKept", One(0xD0, 5), 0x37F, 0, 127, Block({R(0), Cmd(0xEA, 0, 480, 5)})},
        FilterCase{"PitchBend", One(0xE0, 0, 64), kFilterPitchBend, 0, 127, kRestOnly},
        FilterCase{"PitchBendKept", One(0xE0, 0, 64), 0x3FE, 0, 127, Block({R(0), Cmd(0xEE, 64, 480, 0)})},
        FilterCase{"Modulation", One(0xB0, 1, 9), kFilterModulation, 0, 127, kRestOnly},
        FilterCase{"Volume", One(0xB0, 7, 9), kFilterVolume, 0, 127, kRestOnly},
        FilterCase{"Expression", One(0xB0, 11, 9), kFilterExpression, 0, 127, kRestOnly},
        FilterCase{"Hold", One(0xB0, 64, 9), kFilterHold, 0, 127, kRestOnly},
        FilterCase{"EveryController", One(0xB0, 10, 9), kFilterControl, 0, 127, kRestOnly},
        FilterCase{"OtherControllersKept", One(0xB0, 10, 9), 0x3BF, 0, 127, Block({R(0), Cmd(0xEB, 9, 480, 10)})},
        FilterCase{"KeyRangeOff", Note(30), 0, 48, 72, Block({R(0), N(30, 480, 481)})},
        FilterCase{"BelowTheRange", Note(47), kFilterKeyRange, 48, 72, kRestOnly},
        FilterCase{"InTheRange", Note(48), kFilterKeyRange, 48, 72, Block({R(0), N(48, 480, 481)})},
        FilterCase{"AboveTheRange", Note(73), kFilterKeyRange, 48, 72, kRestOnly},
        // Low above high: the keys from high to low are the ones left out.
        FilterCase{"ReversedRangeInside", Note(60), kFilterKeyRange, 72, 48, kRestOnly},
        FilterCase{"ReversedRangeEdge", Note(72), kFilterKeyRange, 72, 48, kRestOnly},
        FilterCase{"ReversedRangeOutside", Note(73), kFilterKeyRange, 72, 48, Block({R(0), N(73, 480, 481)})}),
    [](const ::testing::TestParamInfo<FilterCase>& info) { return std::string(info.param.name); });

TEST(ConvertPlacementTest, PlayStartAndPunchIn) {
  // The track's own measures: 1,000 and 1,500 steps, then bars of 1,920.
  const Events track = Block({N(70, 1000, 10), kBar, N(70, 1500, 10), kBar});
  const Words w = Words().Wait(960).On(0, 60).Wait(100).Off(0, 60).Wait(100).End();
  RecordTake take = Take(w);
  take.playStartMeasure = 3;
  take.punchInStep = 960;
  const ConvertedTrack t = Convert(take, Header(), kEveryChannel, track);
  ASSERT_EQ(t.status, ConvertStatus::kConverted);
  EXPECT_EQ(ShowEvents(t.events), ShowEvents(Block({R(1000), kBar, R(1500), kBar, R(960), N(60, 200, 101)})));
  EXPECT_EQ(t.windowStart, 2500 + 960);
  EXPECT_EQ(t.windowEnd, 2500 + 1160);
  EXPECT_EQ(t.recordBits, 0x04);

  // Stopped before the punch-in point: nothing to convert.
  take.punchInStep = 1161;
  const ConvertedTrack early = Convert(take, Header(0x06), kEveryChannel, track);
  EXPECT_EQ(early.status, ConvertStatus::kNotReached);
  EXPECT_TRUE(early.events.empty());
}

TEST(ConvertPlacementTest, PlayStartThousandsOfMeasuresIn) {
  const Words w = Words().On(0, 60).Wait(480).Off(0, 60).End();
  RecordTake take = Take(w);
  take.playStartMeasure = 3001;
  const ConvertedTrack t = Convert(take);
  ASSERT_EQ(t.status, ConvertStatus::kConverted);
  EXPECT_EQ(Count(t.events, 0xFD), 3000);
  EXPECT_EQ(t.windowStart, int64_t{3000} * 1920);
  EXPECT_EQ(t.windowEnd, int64_t{3000} * 1920 + 480);
  EXPECT_EQ(ShowEvents({t.events.end() - 3, t.events.end()}), ShowEvents(Block({R(0), N(60, 480, 481)})));

  // So far in that the bar lines alone overfill the block.
  take.playStartMeasure = 9000;
  const ConvertedTrack distant = Convert(take);
  EXPECT_EQ(distant.status, ConvertStatus::kTooBig);
  EXPECT_TRUE(distant.events.empty());
}

TEST(ConvertDamageTest, OverfullAndDamagedStreams) {
  // Both blocks full of controller changes and no end word.
  std::vector<uint16_t> a(kRecordBufferWords), b(kRecordBufferWords);
  for (size_t i = 0; i + 1 < a.size(); i += 2) {
    a[i] = b[i] = 0xB000;
    a[i + 1] = b[i + 1] = 0x0740;
  }
  RecordTake take;
  take.stream = RecordBufferStream(a.data(), b.data());
  ConvertedTrack t = Convert(take);
  EXPECT_EQ(t.status, ConvertStatus::kTooBig);

  // Half of that fits, and the reader never leaves the blocks.
  take.stream = WordStream{a.data(), 16000, nullptr, 0};
  t = Convert(take);
  ASSERT_EQ(t.status, ConvertStatus::kConverted);
  EXPECT_EQ(Count(t.events, 0xEB), 8000);

  // An exclusive without its end, a message cut short: what came before stays.
  const Words cut = Words().On(0, 60).Wait(240).Off(0, 60).Raw({0xE850, 0xF000, 0x1234, 0x5678});
  t = Convert(Take(cut));
  ASSERT_EQ(t.status, ConvertStatus::kConverted);
  EXPECT_EQ(ShowEvents(t.events), ShowEvents(Block({R(0), N(60, 320, 241)})));
  const Words shortMsg = Words().On(0, 60).Wait(240).Raw({0x8000});
  t = Convert(Take(shortMsg));
  ASSERT_EQ(t.status, ConvertStatus::kConverted);
  EXPECT_EQ(ShowEvents(t.events), ShowEvents(Block({R(0), N(60, 240, 241)})));

  // Data bytes above 127 never turn into command codes.
  t = Convert(Take(Words().Raw({0x9000, 0xC8FF}).Wait(10).End()));
  ASSERT_EQ(t.status, ConvertStatus::kConverted);
  EXPECT_EQ(ShowEvents(t.events), ShowEvents(Block({R(0), N(0x48, 10, 11, 0x7F)})));

  // Nothing recorded at all.
  t = Convert(RecordTake{});
  ASSERT_EQ(t.status, ConvertStatus::kConverted);
  EXPECT_EQ(ShowEvents(t.events), ShowEvents(Block({})));
}

TEST(ConvertDamageTest, NotesWithoutNoteOffsSplitAtEveryBarTillTheBlockIsFull) {
  // Every key of every channel held to the end, 40 measures on.
  Words w;
  for (int ch = 0; ch < 16; ++ch)
    for (int key = 0; key < 128; ++key) w.On(ch, key);
  w.Wait(1920 * 40).End();
  const ConvertedTrack t = Convert(Take(w));
  EXPECT_EQ(t.status, ConvertStatus::kTooBig);
}

// --- Into the open song ----------------------------------------------------------

class RecordIntoSongTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(NewSong(frame.hwnd())); }
  void SetMode(int n, uint8_t mode) {
    HGLOBAL h = SongEntry(TrackHeaderEntry(n));
    static_cast<TrackHeader*>(GlobalLock(h))->mode = mode;
    GlobalUnlock(h);
  }
  TempSettingsFile ini;
  TestFrame frame;
  MessageBoxRecorder boxes;
};

TEST_F(RecordIntoSongTest, RecordTracksTakeTheirChannelsAndTheRestStays) {
  // Tracks 2 and 3 (channels 2 and 3) record; track 1 has notes of its own.
  const Events one = Block({N(70, 1920, 100), kBar, N(71, 1920, 100), kBar});
  ReplaceTrackEvents(1, one);
  ReplaceTrackEvents(2, Block({N(72, 960, 100), N(73, 960, 100), kBar, N(74, 1920, 100), kBar}));
  SetMode(2, 0x04);
  SetMode(3, 0x04);
  std::vector<uint16_t> a(kRecordBufferWords, kPwEndFill), b(kRecordBufferWords, kPwEndFill);
  const Words w = Words().Wait(480).On(1, 60).On(2, 64).Wait(480).Off(1, 60).Off(2, 64).Wait(960);
  std::copy(w.w.begin(), w.w.end(), a.begin());

  RecordTake settings;
  const RecordConversion r = ConvertRecordingIntoSong(a.data(), b.data(), settings);
  EXPECT_EQ(r.thruChannel, 2);
  EXPECT_FALSE(r.tooBig);
  ASSERT_EQ(r.results.size(), 2u);
  EXPECT_EQ(r.results[0].track, 2);
  EXPECT_EQ(r.results[0].result, kMergeOk);
  EXPECT_EQ(r.results[1].track, 3);
  EXPECT_EQ(r.results[1].result, kMergeOk);
  // The first measure is the take's; the second is the track's own.
  Events two = TrackEventsOf(2);
  two.push_back(EndEvent());
  EXPECT_EQ(ShowEvents(two), ShowEvents(Block({R(480), N(60, 1440, 481), kBar, N(74, 1920, 100), kBar})));
  Events three = TrackEventsOf(3);
  three.push_back(EndEvent());
  EXPECT_EQ(ShowEvents(three), ShowEvents(Block({R(480), N(64, 1440, 481), kBar})));
  Events first = TrackEventsOf(1);
  first.push_back(EndEvent());
  EXPECT_EQ(ShowEvents(first), ShowEvents(one));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(RecordIntoSongTest, TooBigLeavesTheTrackAndShowsNothing) {
  SetMode(5, 0x04);
  const Events own = Block({N(70, 1920, 100), kBar});
  ReplaceTrackEvents(5, own);
  std::vector<uint16_t> a(kRecordBufferWords), b(kRecordBufferWords);
  for (size_t i = 0; i + 1 < a.size(); i += 2) {
    a[i] = b[i] = 0xB004;
    a[i + 1] = b[i + 1] = 0x0740;
  }
  const RecordConversion r = ConvertRecordingIntoSong(a.data(), b.data(), RecordTake{});
  EXPECT_TRUE(r.tooBig);
  ASSERT_EQ(r.results.size(), 1u);
  EXPECT_EQ(r.results[0].result, kConvertTooBig);
  Events after = TrackEventsOf(5);
  after.push_back(EndEvent());
  EXPECT_EQ(ShowEvents(after), ShowEvents(own));
  EXPECT_TRUE(boxes.boxes.empty());
}

}  // namespace
