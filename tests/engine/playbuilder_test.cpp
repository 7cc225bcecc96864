#include "playbuilder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "playrings.h"
#include "songbuilder.h"

namespace {

using namespace songbuilder;

// Plays a song to its end and keeps what was emitted.
struct Player {
  PlaySong song;
  PlayBuilder builder;
  RecordingEmitter out;
  bool ended = false;

  explicit Player(PlaySong s, const BuilderOptions& opt = {}, PlayRings* rings = nullptr,
                  bool run = true)
      : song(std::move(s)) {
    builder.SetEmitter(&out);
    builder.Prepare(song, opt, rings);
    if (run) ended = RunToEnd(builder);
  }
  std::vector<Msg> NoteOns() const {
    std::vector<Msg> r;
    for (const auto& m : out.Channels())
      if ((m[1] & 0xF0) == 0x90 && m[3] != 0) r.push_back(m);
    return r;
  }
  std::vector<int> NoteOnKeys() const {
    std::vector<int> r;
    for (const auto& m : NoteOns()) r.push_back(static_cast<int>(m[2]));
    return r;
  }
  int64_t EndStep() const {
    auto e = out.Of(Kind::End);
    return e.size() == 1 ? e[0].step : -1;
  }
};

TrackHeader NoDelay(int channel = 0) { return Track(channel, 0, -1); }

// ---------------------------------------------------------------- notes

TEST(PlayBuilderNotes, NotesAndTheirNoteOffsAtTheirSteps) {
  // Step shift 0 plays every track one step late.
  Player p(OneTrack({Note(60, 100, 480, 240), Note(62, 90, 480, 480), End()}));
  ASSERT_TRUE(p.ended);
  std::vector<Msg> want = {{1, 0x90, 60, 100}, {241, 0x90, 60, 0}, {481, 0x90, 62, 90}, {961, 0x90, 62, 0}};
  EXPECT_EQ(p.out.Channels(), want);
  EXPECT_EQ(p.EndStep(), 961);
  EXPECT_EQ(p.out.log.back().kind, Kind::End);
}

TEST(PlayBuilderNotes, StepShiftMovesTheTrack) {
  Player late(OneTrack({Note(60, 100, 10, 5), End()}, Track(0, 0, 4)));
  Player early(OneTrack({Note(60, 100, 10, 5), End()}, Track(0, 0, -3)));
  ASSERT_EQ(late.NoteOns().size(), 1u);
  ASSERT_EQ(early.NoteOns().size(), 1u);
  EXPECT_EQ(late.NoteOns()[0][0], 5);
  EXPECT_EQ(early.NoteOns()[0][0], 0);
}

TEST(PlayBuilderNotes, KeyAlreadySoundingExtendsItsGate) {
  Player p(OneTrack({Note(60, 100, 100, 200), Note(60, 80, 100, 300), End()}));
  std::vector<Msg> want = {{1, 0x90, 60, 100}, {401, 0x90, 60, 0}};
  EXPECT_EQ(p.out.Channels(), want);
  // The track ended at 201, the note still sounded: the end follows its note-off.
  EXPECT_EQ(p.EndStep(), 401);
}

TEST(PlayBuilderNotes, SeventeenthHeldNoteStealsSlotZero) {
  std::vector<StepEvent> ev;
  for (int i = 0; i < 16; ++i) ev.push_back(Note(40 + i, 100, 0, 100));
  ev.push_back(Note(56, 99, 10, 100));
  ev.push_back(End());
  Player p(OneTrack(ev), {}, nullptr, false);
  p.builder.Step();  // tempo at 0
  p.builder.Step();  // the chord at 1
  EXPECT_EQ(p.builder.Track(0).held, 16);
  auto ch = p.out.Channels();
  ASSERT_EQ(ch.size(), 18u);
  EXPECT_EQ(ch[15], (Msg{1, 0x90, 55, 100}));
  EXPECT_EQ(ch[16], (Msg{1, 0x90, 40, 0}));
  EXPECT_EQ(ch[17], (Msg{1, 0x90, 56, 99}));
  ASSERT_TRUE(RunToEnd(p.builder));
  ch = p.out.Channels();
  ASSERT_EQ(ch.size(), 34u);
  // Slot order: 56 took slot 0, then 41 to 55.
  EXPECT_EQ(ch[18], (Msg{101, 0x90, 56, 0}));
  EXPECT_EQ(ch[19], (Msg{101, 0x90, 41, 0}));
  EXPECT_EQ(ch[33], (Msg{101, 0x90, 55, 0}));
  EXPECT_EQ(p.builder.Track(0).held, 0);
}

TEST(PlayBuilderNotes, ZeroGateOrVelocityStartsNothingAndVelocityIsClamped) {
  Player p(OneTrack({Note(60, 0, 10, 50), Note(61, 100, 10, 0), Note(62, 200, 10, 5), End()}));
  std::vector<Msg> want = {{21, 0x90, 62, 127}, {26, 0x90, 62, 0}};
  EXPECT_EQ(p.out.Channels(), want);
}

TEST(PlayBuilderNotes, ChannelWordGivesStatusAndPort) {
  Player p(OneTrack({Note(60, 100, 10, 5), End()}, Track(0x25)));
  auto l = p.out.Of(Kind::Channel);
  ASSERT_EQ(l.size(), 2u);
  EXPECT_EQ(l[0].channelWord, 0x25);
  EXPECT_EQ(l[0].data, (std::vector<int>{0x95, 60, 100}));
}

// ---------------------------------------------------------------- transposition

struct TransposeCase {
  int bias, keyShift, rhythm, key, want;
};

TEST(PlayBuilderNotes, PlayBiasThenKeyShiftClamped) {
  const TransposeCase cases[] = {
      {0, 0, 0, 60, 60},      {12, 0, 0, 60, 72},      {0, 5, 0, 60, 65},
      {0, 0x7F, 0, 60, 59},   {0, 0x5C, 0, 60, 24},    // -36
      {0, 0x50, 0, 60, 24},   // -48 clamped to -36
      {0, 0x30, 0, 60, 96},   // 48 clamped to 36
      {36, 36, 0, 100, 127},  {-36, 0x5C, 0, 10, 0},
      {24, 0x7B, 0, 120, 122},  // 144 clamps to 127 before the shift
      {50, 0, 0, 60, 96},       // bias beyond 36 is taken as 36
      {12, 0x85, 0, 60, 60},    // key shift bit 7: not transposed
      {12, 5, 0x80, 60, 60},    // rhythm track: not transposed
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "bias " << c.bias << " shift " << c.keyShift << " key " << c.key);
    PlaySong s = Song(Header(480, 120, c.bias), {{Track(0, c.keyShift, 0, 0, c.rhythm), {Note(c.key, 100, 10, 5), End()}}});
    Player p(s);
    ASSERT_EQ(p.NoteOnKeys().size(), 1u);
    EXPECT_EQ(p.NoteOnKeys()[0], c.want);
  }
}

TEST(PlayBuilderCommands, KeyPressureFoldsByOctaves) {
  const TransposeCase cases[] = {
      {24, 0, 0, 120, 120},   // 144 -> 132 -> 120
      {24, 12, 0, 120, 120},  // then 132 -> 120
      {-12, 0, 0, 5, 5},      // -7 -> 5
      {5, 0x7E, 0, 60, 63},
      {24, 0x80, 0, 120, 120},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "bias " << c.bias << " key " << c.key);
    PlaySong s = Song(Header(480, 120, c.bias), {{Track(3, c.keyShift), {Cmd(0xED, c.key, 50, 10), End()}}});
    Player p(s);
    std::vector<Msg> want = {{1, 0xA3, c.want, 50}};
    EXPECT_EQ(p.out.Channels(), want);
  }
}

// ---------------------------------------------------------------- loops

TEST(PlayBuilderLoops, RepeatCounts) {
  struct C {
    int count;
    int plays;
  } cases[] = {{1, 1}, {2, 2}, {3, 3}, {0, 65536}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count);
    Player p(OneTrack({RepeatStart(), Note(60, 100, 2, 1), RepeatEnd(c.count), Note(70, 100, 2, 1), End()}));
    ASSERT_TRUE(p.ended);
    auto on = p.NoteOns();
    ASSERT_EQ(on.size(), static_cast<size_t>(c.plays) + 1);
    EXPECT_EQ(on[c.plays - 1][0], 1 + 2 * (c.plays - 1));
    EXPECT_EQ(on.back(), (Msg{1 + 2 * c.plays, 0x90, 70, 100}));
  }
}

TEST(PlayBuilderLoops, NestedLoops) {
  Player p(OneTrack({RepeatStart(), RepeatStart(), Note(60, 100, 10, 5), RepeatEnd(3), Note(62, 100, 10, 5),
                     RepeatEnd(2), End()}));
  EXPECT_EQ(p.NoteOnKeys(), (std::vector<int>{60, 60, 60, 62, 60, 60, 60, 62}));
  EXPECT_EQ(p.EndStep(), 81);
}

TEST(PlayBuilderLoops, RepeatEndWithoutFrameIsPassedOver) {
  Player p(OneTrack({Note(60, 100, 10, 5), RepeatEnd(3), Note(62, 100, 10, 5), End()}));
  EXPECT_EQ(p.NoteOnKeys(), (std::vector<int>{60, 62}));
}

TEST(PlayBuilderLoops, LoopOverMeasuresRestoresTheMeasure) {
  Player p(OneTrack({Note(59, 100, 480, 5), Bar(), RepeatStart(), Note(60, 100, 480, 5), Bar(), RepeatEnd(2),
                     Note(62, 100, 480, 5), Bar(), End()}));
  EXPECT_EQ(p.NoteOnKeys(), (std::vector<int>{59, 60, 60, 62}));
  EXPECT_EQ(p.NoteOns()[3][0], 1441);
  EXPECT_EQ(p.EndStep(), 1921);
}

// A sixth nested start is ignored; its repeat end then closes the fifth.
TEST(PlayBuilderLoops, DeeperThanFiveIgnoresTheInnerStart) {
  std::vector<StepEvent> ev;
  for (int i = 0; i < 6; ++i) ev.push_back(RepeatStart());
  ev.push_back(Note(60, 100, 10, 5));
  ev.push_back(RepeatEnd(2));  // closes the fifth frame: two plays
  for (int i = 0; i < 5; ++i) ev.push_back(RepeatEnd(1));
  ev.push_back(End());
  Player p(OneTrack(ev));
  ASSERT_TRUE(p.ended);
  EXPECT_EQ(p.NoteOnKeys().size(), 2u);
}

// ---------------------------------------------------------------- same-measure references

TEST(PlayBuilderMeasures, ReferencePlaysTheReferencedMeasure) {
  Player p(OneTrack({Note(60, 100, 480, 100), Bar(), Ref(0), Note(62, 100, 480, 100), Bar(), End()}));
  std::vector<Msg> want = {{1, 0x90, 60, 100}, {481, 0x90, 60, 100}, {961, 0x90, 62, 100}};
  EXPECT_EQ(p.NoteOns(), want);
  EXPECT_EQ(p.EndStep(), 1441);
}

TEST(PlayBuilderMeasures, ReferenceChainIsFollowed) {
  Player p(OneTrack({Note(60, 100, 480, 100), Bar(), Note(62, 100, 480, 100), Bar(), Ref(2), Ref(4), End()}));
  std::vector<Msg> want = {{1, 0x90, 60, 100}, {481, 0x90, 62, 100}, {961, 0x90, 62, 100}, {1441, 0x90, 62, 100}};
  EXPECT_EQ(p.NoteOns(), want);
  EXPECT_EQ(p.EndStep(), 1921);
}

TEST(PlayBuilderMeasures, ReferenceEndingInAReferenceMeasure) {
  // The first measure is closed by the reference itself (no measure end).
  Player p(OneTrack({Note(60, 100, 480, 100), Ref(0), Ref(0), End()}));
  std::vector<Msg> want = {{1, 0x90, 60, 100}, {481, 0x90, 60, 100}, {961, 0x90, 60, 100}};
  EXPECT_EQ(p.NoteOns(), want);
}

TEST(PlayBuilderMeasures, SelfAndBrokenReferencesPlayAnEmptyMeasure) {
  const int gates[] = {2 + 48, 5000 + 48, 0, 10};
  for (int g : gates) {
    SCOPED_TRACE(g);
    Player p(OneTrack({Note(60, 100, 480, 100), Bar(), Ev(0xFC, 0, 0, g), Note(62, 100, 480, 100), Bar(), End()}));
    ASSERT_TRUE(p.ended);
    std::vector<Msg> want = {{1, 0x90, 60, 100}, {481, 0x90, 62, 100}};
    EXPECT_EQ(p.NoteOns(), want);
  }
}

TEST(PlayBuilderMeasures, ReferenceToTheEndEndsTheTrack) {
  Player p(OneTrack({Note(60, 100, 480, 100), Bar(), Ref(4), Note(62, 100, 480, 100), End()}));
  ASSERT_TRUE(p.ended);
  EXPECT_EQ(p.NoteOnKeys(), (std::vector<int>{60}));
}

// ---------------------------------------------------------------- tempo

TEST(PlayBuilderTempo, RateZeroTempoEventEmitsPairAndMark) {
  PlaySong s = OneTrack({Note(60, 100, 480, 10), Cmd(0xE7, 128, 0), Note(60, 100, 480, 10), End()}, NoDelay());
  Player p(s);
  std::vector<TempoEntry> map = p.builder.TempoMap();
  ASSERT_EQ(map.size(), 2u);
  EXPECT_EQ(map[0].code, 5209);
  EXPECT_EQ(map[0].steps, 480);
  EXPECT_EQ(map[1].code, 2604);
  EXPECT_EQ(map[1].steps, 480);
  auto tempos = p.out.Of(Kind::Tempo);
  ASSERT_EQ(tempos.size(), 2u);
  EXPECT_EQ(tempos[0].step, 0);
  EXPECT_EQ(tempos[0].data, (std::vector<int>{240, 6000, 120}));
  EXPECT_EQ(tempos[1].step, 480);
  EXPECT_EQ(tempos[1].data, (std::vector<int>{240, 2999, 240}));
  EXPECT_EQ(p.out.Marks(kMarkTempo), (std::vector<int>{1200, 2400}));
  EXPECT_EQ(p.builder.CurrentTempo(), 240);
}

TEST(PlayBuilderTempo, FactorLimitedTo240) {
  // Tempo 240 at factor 128 would be 480: it plays at factor 64.
  PlaySong s = Song(Header(480, 240), {{NoDelay(), {Note(60, 100, 480, 10), Cmd(0xE7, 128, 0), Note(60, 100, 480, 10), End()}}});
  Player p(s);
  ASSERT_EQ(p.builder.TempoMap().size(), 1u);
  EXPECT_EQ(p.builder.TempoMap()[0].code, 2604);
  EXPECT_EQ(p.builder.TempoMap()[0].steps, 960);
  auto m = p.out.Marks(kMarkTempo);
  ASSERT_FALSE(m.empty());
  for (int v : m) EXPECT_EQ(v, 2400);
}

TEST(PlayBuilderTempo, TimeBases) {
  struct C {
    int timeBase;
  } cases[] = {{480}, {96}, {960}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.timeBase);
    int q = c.timeBase;
    PlaySong s = Song(Header(q, 120), {{NoDelay(), {Note(60, 100, q, 10), Cmd(0xE7, 128, 0), Note(60, 100, q, 10), End()}}});
    Player p(s);
    ASSERT_TRUE(p.ended);
    auto map = p.builder.TempoMap();
    ASSERT_EQ(map.size(), 2u);
    EXPECT_EQ(map[0].code, 5209);
    EXPECT_EQ(map[0].steps, q);
    EXPECT_EQ(map[1].code, 2604);
    EXPECT_EQ(map[1].steps, q);
    EXPECT_EQ(p.out.Marks(kMarkTempo), (std::vector<int>{1200, 2400}));
    auto tempos = p.out.Of(Kind::Tempo);
    ASSERT_EQ(tempos.size(), 2u);
    EXPECT_EQ(tempos[1].step, q);
  }
}

TEST(PlayBuilderTempo, HeaderTempoOnlyIgnoresTempoEvents) {
  PlaySong s = OneTrack({Note(60, 100, 480, 10), Cmd(0xE7, 128, 0), Note(60, 100, 480, 10), End()}, NoDelay());
  BuilderOptions o;
  o.headerTempoOnly = true;
  Player p(s, o);
  ASSERT_EQ(p.builder.TempoMap().size(), 1u);
  EXPECT_EQ(p.builder.TempoMap()[0].code, 5209);
  EXPECT_EQ(p.builder.TempoMap()[0].steps, 960);
  EXPECT_EQ(p.out.Marks(kMarkTempo), (std::vector<int>{1200}));
}

TEST(PlayBuilderTempo, LongEntryIsTakenInQuarters) {
  // 40,000 steps at one code: entries 39,840 (bit 15 set) and 160.
  PlaySong s = OneTrack({Note(60, 100, 40000, 10), End()}, NoDelay());
  Player p(s);
  ASSERT_EQ(p.builder.TempoMap().size(), 2u);
  EXPECT_EQ(p.builder.TempoMap()[0].steps, 39840);
  EXPECT_EQ(p.builder.TempoMap()[1].steps, 160);
  std::vector<int64_t> at;
  for (const auto& t : p.out.Of(Kind::Tempo)) at.push_back(t.step);
  EXPECT_EQ(at, (std::vector<int64_t>{0, 0x4000, 0x8000, 39840}));
  EXPECT_EQ(p.EndStep(), 40000);
}

TEST(PlayBuilderTempo, TempoMonitorRecordsOnlyOnChange) {
  PlayRings rings;
  ASSERT_TRUE(rings.Allocate(50, 256));
  // One step late: the first code runs 721 steps, two entries.
  PlaySong s = OneTrack({Note(60, 100, 480, 10), Cmd(0xE7, 64, 0), Note(60, 100, 240, 10), Cmd(0xE7, 128, 0),
                         Note(60, 100, 480, 10), End()});
  Player p(s, {}, &rings);
  EXPECT_EQ(p.out.Marks(kMarkTempo), (std::vector<int>{1200, 1200, 2400}));
  std::vector<int> tempoRecords;
  for (int i = 0; i < rings.MonitorWriteIndex(); ++i)
    if (rings.Monitor()[i].track == kMonTempo) tempoRecords.push_back(rings.Monitor()[i].value);
  EXPECT_EQ(tempoRecords, (std::vector<int>{1200, 2400}));
}

// ---------------------------------------------------------------- tracks, channels

TEST(PlayBuilderTracks, MutedTrackKeepsTimingFollowsChannelButSendsNothing) {
  PlaySong s = Song(Header(), {{Track(0, 0, 0, 1), {Cmd(0xEB, 7, 100), Note(60, 100, 480, 10), Cmd(0xE6, 3, 0),
                                                     Cmd(0x90, 1, 2), Cmd(0xDE, 1, 2), Cmd(0x99, 0, 0),
                                                     Cont('a', 0, 0, 0, 0), Note(61, 100, 480, 10), End()}},
                               {Track(1), {Note(70, 100, 10, 5), End()}}});
  s.header.userExcl[0].data[0] = 0x41;
  PlayRings rings;
  ASSERT_TRUE(rings.Allocate(50, 256));
  Player p(s, {}, &rings);
  ASSERT_TRUE(p.ended);
  for (const auto& m : p.out.Channels()) EXPECT_EQ(m[1] & 0x0F, 1) << "only track 2 sends";
  EXPECT_TRUE(p.out.SysExes().empty());
  EXPECT_EQ(rings.TextWriteOffset(), 0);
  EXPECT_EQ(p.builder.Track(0).channelWord, 2);
  EXPECT_EQ(p.EndStep(), 961);
}

TEST(PlayBuilderTracks, ChannelChangeResetsAndMovesTheTrack) {
  Player p(OneTrack({Cmd(0xEE, 0, 0x50), Cmd(0xEB, 64, 127), Cmd(0xEB, 1, 10), Note(60, 100, 0, 50),
                     Cmd(0xE6, 18, 0, 10), Note(62, 100, 10, 5), End()}));
  std::vector<Msg> want = {{1, 0xE0, 0, 0x50},   {1, 0xB0, 64, 127}, {1, 0xB0, 1, 10}, {1, 0x90, 60, 100},
                           {1, 0x90, 60, 0},     {1, 0xE0, 0, 0x40}, {1, 0xB0, 64, 0}, {1, 0xB0, 1, 0},
                           {11, 0x91, 62, 100},  {16, 0x91, 62, 0}};
  EXPECT_EQ(p.out.Channels(), want);
  auto l = p.out.Of(Kind::Channel);
  EXPECT_EQ(l.back().channelWord, 17);
  EXPECT_EQ(p.builder.Track(0).bend, 8192);
  EXPECT_EQ(p.builder.Track(0).held, 0);
}

TEST(PlayBuilderTracks, ChannelChangeOutOfRangeTurnsTheChannelOff) {
  for (int t : {0, 33, 200}) {
    SCOPED_TRACE(t);
    Player p(OneTrack({Note(60, 100, 10, 5), Cmd(0xE6, t, 0), Note(61, 100, 10, 5), Cmd(0xEB, 7, 1), End()}));
    EXPECT_EQ(p.NoteOnKeys(), (std::vector<int>{60}));
    EXPECT_FALSE(p.builder.Track(0).ChannelOn());
  }
}

TEST(PlayBuilderTracks, ChannelOffSendsNothingButKeepsTime) {
  PlaySong s = OneTrack({Note(60, 100, 100, 50), Cmd(0xEB, 7, 100), Cmd(0xEC, 5, 0), Cmd(0xDE, 1, 2), Note(61, 100, 100, 50), End()},
                        Track(0xF3));
  s.header.userExcl[0].data[0] = 0x41;
  Player p(s);
  EXPECT_TRUE(p.out.Channels().empty());
  EXPECT_TRUE(p.out.SysExes().empty());
  EXPECT_EQ(p.EndStep(), 201);
  EXPECT_EQ(p.builder.Track(0).program, 5);  // a program is kept even so
}

TEST(PlayBuilderTracks, SoloEndsTheOtherTracks) {
  PlaySong s = Song(Header(), {{Track(0), {Note(60, 100, 10, 5), End()}}, {Track(1), {Note(61, 100, 10, 5), End()}}});
  Player p(s, {}, nullptr, false);
  p.builder.SoloTrack(2);
  ASSERT_TRUE(RunToEnd(p.builder));
  EXPECT_EQ(p.NoteOnKeys(), (std::vector<int>{61}));
}

TEST(PlayBuilderTracks, PunchSilencesTheRecordTargetBetweenItsMeasures) {
  std::vector<StepEvent> ev = {Note(60, 100, 480, 10), Bar(), Note(62, 100, 480, 10), Bar(),
                               Note(64, 100, 480, 10), Bar(), End()};
  BuilderOptions o;
  o.recording = true;
  o.punchInMeasure = 2;
  o.punchOutMeasure = 2;
  struct C {
    int mode;
    bool recording;
    std::vector<int> keys;
  } cases[] = {{4, true, {60, 64}}, {6, true, {60, 64}}, {2, true, {60, 62, 64}}, {0, true, {60, 62, 64}},
               {4, false, {60, 62, 64}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    BuilderOptions oc = o;
    oc.recording = c.recording;
    Player p(OneTrack(ev, Track(0, 0, 0, c.mode)), oc);
    EXPECT_EQ(p.NoteOnKeys(), c.keys);
    EXPECT_EQ(p.EndStep(), 1441);
  }
}

TEST(PlaySongTest, CopyFromHandleTable) {
  auto block = [](const void* data, size_t n) {
    HGLOBAL h = GlobalAlloc(kShareableZeroed, n);
    void* p = GlobalLock(h);
    std::memcpy(p, data, n);
    GlobalUnlock(h);
    return h;
  };
  SongHeader h = Header(96, 100, 3);
  TrackHeader t1 = Track(4, 2);
  StepEvent ev1[2] = {Note(60, 100, 10, 5), Note(61, 100, 10, 5)};  // no end event
  StepEvent ev2[3] = {Note(70, 100, 10, 5), End(), Note(71, 1, 1, 1)};
  SongHandleTable table{};
  table.h[kHeaderEntry] = block(&h, sizeof h);
  table.h[TrackHeaderEntry(1)] = block(&t1, sizeof t1);
  table.h[TrackEventsEntry(1)] = block(ev1, sizeof ev1);
  table.h[TrackEventsEntry(2)] = block(ev2, sizeof ev2);  // no track header
  HGLOBAL ht = block(&table, sizeof table);

  PlaySong s;
  ASSERT_TRUE(CopyPlaySong(ht, 3, s));
  EXPECT_EQ(s.trackCount, 3);
  EXPECT_EQ(s.header.timeBase, 96);
  EXPECT_EQ(s.header.playBias, 3);
  EXPECT_EQ(s.tracks[0].channel, 4);
  ASSERT_EQ(s.events[0].size(), 3u);
  EXPECT_EQ(s.events[0][2].code, kEndCode);
  EXPECT_EQ(s.tracks[1].channel, 0xFF);
  ASSERT_EQ(s.events[1].size(), 3u);
  ASSERT_EQ(s.events[2].size(), 1u);  // nothing at all: an empty track
  EXPECT_EQ(s.events[2][0].code, kEndCode);

  Player p(s);
  ASSERT_TRUE(p.ended);
  // Track 1 alone sounds: 60 + 3 + 2, 61 + 3 + 2; track 2's channel is off.
  EXPECT_EQ(p.NoteOnKeys(), (std::vector<int>{65, 66}));

  PlaySong none;
  EXPECT_FALSE(CopyPlaySong(nullptr, 1, none));
  SongHandleTable empty{};
  HGLOBAL he = block(&empty, sizeof empty);
  EXPECT_FALSE(CopyPlaySong(he, 1, none));
  for (HGLOBAL x : {table.h[0], table.h[1], table.h[101], table.h[102], ht, he}) GlobalFree(x);
}

// ---------------------------------------------------------------- channel commands

struct ChannelCase {
  const char* name;
  std::vector<StepEvent> events;
  uint32_t filter;
  std::vector<Msg> want;  // steps left out: all at 1
};

TEST(PlayBuilderCommands, ChannelMessagesAndFilters) {
  const ChannelCase cases[] = {
      {"bank E1", {Cmd(0xE1, 5, 3)}, 0, {{0xB0, 0, 0}, {0xB0, 32, 3}, {0xC0, 5, 0}}},
      {"bank E2", {Cmd(0xE2, 5, 3)}, 0, {{0xB0, 0, 3}, {0xB0, 32, 0}, {0xC0, 5, 0}}},
      {"bank 128", {Cmd(0xE1, 5, 128)}, 0, {}},
      {"bank, program 200", {Cmd(0xE2, 200, 3)}, 0, {{0xB0, 0, 3}, {0xB0, 32, 0}}},
      {"bank filtered", {Cmd(0xE1, 5, 3)}, kFilterProgram, {}},
      {"program", {Cmd(0xEC, 7, 0)}, 0, {{0xC0, 7, 0}}},
      {"program 128", {Cmd(0xEC, 128, 0)}, 0, {}},
      {"program filtered", {Cmd(0xEC, 7, 0)}, kFilterProgram, {}},
      {"control", {Cmd(0xEB, 7, 100)}, 0, {{0xB0, 7, 100}}},
      {"control filtered", {Cmd(0xEB, 7, 100)}, kFilterControl, {}},
      {"control masked", {Cmd(0xEB, 7, 200)}, 0, {{0xB0, 7, 72}}},
      {"bend", {Cmd(0xEE, 0x10, 0x40)}, 0, {{0xE0, 0x10, 0x40}}},
      {"bend filtered", {Cmd(0xEE, 0x10, 0x40)}, kFilterBend, {}},
      {"channel pressure", {Cmd(0xEA, 0x30, 9)}, 0, {{0xD0, 0x30, 0}}},
      {"channel pressure filtered", {Cmd(0xEA, 0x30, 9)}, kFilterChannelPressure, {}},
      {"key pressure", {Cmd(0xED, 60, 50)}, 0, {{0xA0, 60, 50}}},
      {"key pressure filtered", {Cmd(0xED, 60, 50)}, kFilterKeyPressure, {}},
      {"others filtered alone", {Cmd(0xEB, 7, 1), Cmd(0xEE, 0, 64)}, kFilterControl, {{0xE0, 0, 64}}},
      {"unknown command", {Cmd(0x85, 1, 2), Cmd(0xE7, 64, 0), Cmd(0xE0, 1, 2)}, 0, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<StepEvent> ev = c.events;
    ev.push_back(End());
    BuilderOptions o;
    o.filter = c.filter;
    Player p(OneTrack(ev), o);
    std::vector<Msg> want;
    for (const auto& m : c.want) want.push_back({1, m[0], m[1], m[2]});
    EXPECT_EQ(p.out.Channels(), want);
  }
}

TEST(PlayBuilderCommands, StateKeptForTheMonitor) {
  Player p(OneTrack({Cmd(0xE1, 5, 128), Cmd(0xEB, 7, 100), Cmd(0xEB, 10, 20), Cmd(0xEB, 11, 90), Cmd(0xEB, 64, 127),
                     Cmd(0xEB, 1, 3), Cmd(0xEE, 0x10, 0x40), Cmd(0xEA, 33, 0), End()}));
  const TrackPlayState& t = p.builder.Track(0);
  EXPECT_EQ(t.bank, 128);
  EXPECT_EQ(t.program, -1);
  EXPECT_EQ(t.volume, 100);
  EXPECT_EQ(t.pan, 20);
  EXPECT_EQ(t.expression, 90);
  EXPECT_EQ(t.hold, 127);
  EXPECT_EQ(t.modulation, 3);
  EXPECT_EQ(t.bend, 0x10 | (0x40 << 7));
  EXPECT_EQ(t.channelPressure, 33);
}

TEST(PlayBuilderCommands, BendKeepsTheValueItSent) {
  Player p(OneTrack({Cmd(0xEE, 0x90, 0xC0), End()}));
  ASSERT_EQ(p.out.Channels().size(), 1u);
  EXPECT_EQ(p.out.Channels()[0], (Msg{1, 0xE0, 0x10, 0x40}));
  EXPECT_EQ(p.builder.Track(0).bend, 0x10 | (0x40 << 7));
}

// ---------------------------------------------------------------- exclusives

struct ExclCase {
  const char* name;
  std::vector<StepEvent> events;
  std::vector<std::vector<int>> want;
};

TEST(PlayBuilderExclusive, YamahaAndRolandMessages) {
  using V = std::vector<int>;
  const ExclCase cases[] = {
      {"C0", {Cmd(0xC0, 0x85, 0x20)}, {V{0xF0, 0x43, 0x15, 0x09, 0x05, 0x20, 0xF7}}},
      {"C1", {Cmd(0xC1, 10, 20)}, {V{0xF0, 0x43, 0x15, 0x00, 10, 20, 0xF7}}},
      {"C2", {Cmd(0xC2, 10, 20)}, {V{0xF0, 0x43, 0x15, 0x04, 10, 20, 0xF7}}},
      {"C3", {Cmd(0xC3, 10, 20)}, {V{0xF0, 0x43, 0x15, 0x11, 10, 20, 0xF7}}},
      {"C7", {Cmd(0xC7, 10, 20)}, {V{0xF0, 0x43, 0x15, 0x12, 10, 20, 0xF7}}},
      {"C8", {Cmd(0xC8, 10, 20)}, {V{0xF0, 0x43, 0x15, 0x13, 10, 20, 0xF7}}},
      {"C9", {Cmd(0xC9, 10, 20)}, {V{0xF0, 0x43, 0x15, 0x10, 10, 20, 0xF7}}},
      {"CC", {Cmd(0xCC, 10, 20)}, {V{0xF0, 0x43, 0x15, 0x1B, 10, 20, 0xF7}}},
      {"CD", {Cmd(0xCD, 10, 20)}, {V{0xF0, 0x43, 0x15, 0x18, 10, 20, 0xF7}}},
      {"CE", {Cmd(0xCE, 0x1FF, 20)}, {V{0xF0, 0x43, 0x15, 0x1B, 0x7F, 20, 0xF7}}},
      {"CA", {Cmd(0xCA, 1, 2)}, {V{0xF0, 0x43, 0x15, 0x10, 0x7B, 1, 2, 0xF7}}},
      {"CB", {Cmd(0xCB, 1, 2)}, {V{0xF0, 0x43, 0x15, 0x10, 0x7C, 1, 2, 0xF7}}},
      {"C5 high", {Cmd(0xC5, 70, 0x35)}, {V{0xF0, 0x43, 0x15, 0x15, 70, 0x05, 0x03, 0xF7}}},
      {"C5 low", {Cmd(0xC5, 10, 0x35)}, {V{0xF0, 0x43, 0x15, 0x15, 10, 0x35, 0xF7}}},
      {"C6", {Cmd(0xC6, 1, 2)}, {V{0xF0, 0x43, 0x75, 0x05, 0x10, 1, 2, 0xF7}}},
      {"CF split", {Cmd(0xCF, 20, 0x81)}, {V{0xF0, 0x43, 0x15, 0x1A, 20, 0x01, 0x01, 0xF7}}},
      {"CF split 88", {Cmd(0xCF, 88, 5)}, {V{0xF0, 0x43, 0x15, 0x1A, 88, 0x00, 0x05, 0xF7}}},
      {"CF single", {Cmd(0xCF, 30, 0x22)}, {V{0xF0, 0x43, 0x15, 0x1A, 30, 0x22, 0xF7}}},
      {"D1 defaults", {Cmd(0xD1, 5, 6)}, {V{0xF0, 0x43, 0x10, 0x4C, 0, 0, 5, 6, 0x75, 0xF7}}},
      {"D0 D2 D1", {Cmd(0xD0, 1, 2), Cmd(0xD2, 0x11, 0x4C), Cmd(0xD1, 3, 4)},
       {V{0xF0, 0x43, 0x11, 0x4C, 1, 2, 3, 4, 0x76, 0xF7}}},
      {"D3", {Cmd(0xD0, 1, 2), Cmd(0xD2, 0x11, 0x4C), Cmd(0xD3, 3, 4)}, {V{0xF0, 0x43, 0x11, 0x4C, 1, 2, 3, 4, 0xF7}}},
      {"DC", {Cmd(0xDC, 3, 4)}, {V{0xF0, 0x41, 0x32, 0x00, 3, 4, 0xF7}}},
      {"DE defaults", {Cmd(0xDE, 0x20, 0x7F)}, {V{0xF0, 0x41, 0x10, 0x16, 0x12, 0x00, 0x10, 0x20, 0x7F, 0x51, 0xF7}}},
      {"DD DF DE", {Cmd(0xDD, 0x40, 0x01), Cmd(0xDF, 0x10, 0x42), Cmd(0xDE, 0x30, 0x05)},
       {V{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x01, 0x30, 0x05, 0x0A, 0xF7}}},
      {"DE checksum 0", {Cmd(0xDD, 0x40, 0x00), Cmd(0xDE, 0x40, 0x00)},
       {V{0xF0, 0x41, 0x10, 0x16, 0x12, 0x40, 0x00, 0x40, 0x00, 0x00, 0xF7}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<StepEvent> ev = c.events;
    ev.push_back(End());
    Player p(OneTrack(ev, Track(5)));
    EXPECT_EQ(p.out.SysExes(), c.want);
    BuilderOptions o;
    o.filter = kFilterExclusive;
    Player f(OneTrack(ev, Track(5)), o);
    EXPECT_TRUE(f.out.SysExes().empty());
    Player off(OneTrack(ev, Track(0xF5)));
    EXPECT_TRUE(off.out.SysExes().empty());
  }
}

TEST(PlayBuilderExclusive, AddressSetWhileChannelOffIsNotKept) {
  Player p(OneTrack({Cmd(0xD0, 1, 2), Cmd(0xDD, 0x40, 0x01), Cmd(0xE6, 6, 0), Cmd(0xD1, 3, 4), Cmd(0xDE, 3, 4), End()},
                    Track(0xFF)));
  using V = std::vector<int>;
  std::vector<V> want = {V{0xF0, 0x43, 0x10, 0x4C, 0, 0, 3, 4, 0x79, 0xF7},
                         V{0xF0, 0x41, 0x10, 0x16, 0x12, 0x00, 0x10, 3, 4, 0x69, 0xF7}};
  EXPECT_EQ(p.out.SysExes(), want);
}

TEST(PlayBuilderExclusive, UserExclusiveTemplate) {
  SongHeader h = Header();
  const uint8_t tmpl[] = {0xC1, 0x10, 0x42, 0x12, 0x83, 0x40, 0x00, 0x7F, 0x80, 0x81, 0x84, 0x82, 0xF7, 0x55};
  std::memcpy(h.userExcl[2].data, tmpl, sizeof tmpl);
  std::memset(h.userExcl[1].data, 0x01, 25);
  h.userExcl[7].data[1] = 0x41;  // first byte stays 0xF7: nothing is sent
  PlaySong s = Song(h, {{Track(3), {Cmd(0x92, 0x1234, 0x05), Cmd(0x91, 0, 0), Cmd(0x97, 1, 1), Cmd(0x90, 1, 1), End()}}});
  Player p(s);
  auto x = p.out.SysExes();
  ASSERT_EQ(x.size(), 2u);
  EXPECT_EQ(x[0], (std::vector<int>{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x34, 0x05, 0x08, 0x03, 0xF7}));
  std::vector<int> full(27, 0x01);
  full.front() = 0xF0;
  full.back() = 0xF7;
  EXPECT_EQ(x[1], full);
  auto l = p.out.Of(Kind::SysEx);
  EXPECT_EQ(l[0].channelWord, 3);
  EXPECT_EQ(l[0].step, 1);
}

TEST(PlayBuilderExclusive, TrackExclusiveWithContinuations) {
  std::vector<StepEvent> ev = {Cmd(0x98, 0x22, 0x33, 0),           Cont(0x41, 0x10, 0x42, 0x12, 0x83),
                               Cont(0x40, 0x00, 0x7F, 0x80, 0x84), Cont(0x81, 0xF7, 0x00, 0x00, 0x00),
                               Cont(0x11, 0x22, 0x33, 0x44, 0x55), Note(60, 100, 10, 5),
                               End()};
  Player p(OneTrack(ev, Track(2)));
  auto x = p.out.SysExes();
  ASSERT_EQ(x.size(), 1u);
  EXPECT_EQ(x[0], (std::vector<int>{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x22, 0x1F, 0x33, 0xF7}));
  EXPECT_EQ(p.NoteOns(), (std::vector<Msg>{{1, 0x92, 60, 100}}));

  // Filtered, muted or on a channel that is off: nothing, and the events
  // after the continuations still play.
  BuilderOptions o;
  o.filter = kFilterExclusive;
  Player f(OneTrack(ev, Track(2)), o);
  EXPECT_TRUE(f.out.SysExes().empty());
  EXPECT_EQ(f.NoteOnKeys(), (std::vector<int>{60}));
  Player m(OneTrack(ev, Track(2, 0, 0, 1)));
  EXPECT_TRUE(m.out.SysExes().empty());
  EXPECT_TRUE(m.out.Channels().empty());
  EXPECT_EQ(m.EndStep(), 11);
}

TEST(PlayBuilderExclusive, TrackExclusiveWithoutEndByte) {
  Player p(OneTrack({Cmd(0x98, 0, 0, 5), Cont(0x43, 0x10, 0x01, 0x02, 0x03), Note(60, 100, 10, 5), End()}));
  auto x = p.out.SysExes();
  ASSERT_EQ(x.size(), 1u);
  EXPECT_EQ(x[0], (std::vector<int>{0xF0, 0x43, 0x10, 0x01, 0x02, 0x03, 0xF7}));
  EXPECT_EQ(p.NoteOns(), (std::vector<Msg>{{6, 0x90, 60, 100}}));
}

// ---------------------------------------------------------------- text events and rings

std::string TextAt(const PlayRings& r, int offset) {
  std::string s;
  for (int i = 0; i < r.TextSize(); ++i) {
    char c = r.Text()[(offset + i) % r.TextSize()];
    if (!c) break;
    s += c;
  }
  return s;
}

TextEventRecord RecordAt(const PlayRings& r, int offset) {
  uint8_t b[sizeof(TextEventRecord)];
  for (size_t i = 0; i < sizeof b; ++i) b[i] = static_cast<uint8_t>(r.Text()[(offset + i) % r.TextSize()]);
  TextEventRecord rec;
  std::memcpy(&rec, b, sizeof rec);
  return rec;
}

TEST(PlayBuilderText, ExternalCommandWritesATextRecordAndAnnouncesIt) {
  PlayRings rings;
  ASSERT_TRUE(rings.Allocate(50, 256));
  PlaySong s = Song(Header(), {{Track(0), {Note(50, 100, 0, 5), Bar()}},
                               {Track(1), {Note(60, 100, 480, 5), Bar(), Note(61, 100, 7, 5), Cmd(0x99, 1, 0, 3),
                                           Cont('c', 'a', 'l', 'c', '.'), Cont('e', 'x', 'e', 0, 'Z'),
                                           Cont('Q', 'Q', 'Q', 'Q', 'Q'), Note(62, 100, 10, 5), End()}}});
  Player p(s, {}, &rings);
  ASSERT_TRUE(p.ended);
  TextEventRecord rec = RecordAt(rings, 0);
  EXPECT_EQ(rec.kind, 1);
  EXPECT_EQ(rec.track, 1);
  EXPECT_EQ(rec.eventIndex, 3);
  EXPECT_EQ(rec.measure, 1);
  EXPECT_EQ(rec.stepInMeasure, 2);
  EXPECT_EQ(TextAt(rings, 10), "calc.exe");
  EXPECT_EQ(rings.TextWriteOffset(), 19);
  // The event after the text still plays at its time.
  EXPECT_EQ(p.NoteOns().back(), (Msg{491, 0x91, 62, 100}));
  int found = -1;
  for (int i = 0; i < rings.MonitorWriteIndex(); ++i)
    if (rings.Monitor()[i].track == kMonText) found = i;
  ASSERT_GE(found, 0);
  EXPECT_EQ(rings.Monitor()[found].value, 19);
  EXPECT_EQ(rings.Monitor()[found].measure, 1);
  // A mark 31 with the next free index follows in the same step.
  bool marked = false;
  for (const auto& l : p.out.log)
    if (l.kind == Kind::Mark && l.data[0] == kMarkMonitor && l.data[1] == found + 1 && l.step == 488) marked = true;
  EXPECT_TRUE(marked);
}

TEST(PlayBuilderText, KindFromBothBytesAndTextEndsAtAnotherCode) {
  PlayRings rings;
  ASSERT_TRUE(rings.Allocate(50, 256));
  Player p(OneTrack({Cmd(0x99, 0x0302, 0x01), Cont('a', 'b', 'c', 'd', 'e'), Note(60, 100, 10, 5), End()}), {}, &rings);
  EXPECT_EQ(RecordAt(rings, 0).kind, 0x0102);
  EXPECT_EQ(TextAt(rings, 10), "abcde");
  EXPECT_EQ(rings.TextWriteOffset(), 16);
}

TEST(PlayBuilderText, FilterBitsAndChannel) {
  struct C {
    const char* name;
    int t, v;
    uint32_t filter;
    int channel;
    bool written;
  } cases[] = {
      {"mci", 0, 0, 0, 0, true},
      {"mci filtered", 0, 0, kFilterMci, 0, false},
      {"mci, command lines filtered", 0, 0, kFilterCommandLine, 0, true},
      {"command line filtered", 1, 0, kFilterCommandLine, 0, false},
      {"command line, mci filtered", 1, 0, kFilterMci, 0, true},
      {"other kind", 2, 0, kFilterMci | kFilterCommandLine, 0, true},
      {"high byte makes it no mci", 0, 1, kFilterMci, 0, true},
      {"channel off", 0, 0, 0, 0xF0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PlayRings rings;
    ASSERT_TRUE(rings.Allocate(50, 256));
    BuilderOptions o;
    o.filter = c.filter;
    Player p(OneTrack({Cmd(0x99, c.t, c.v), Cont('x', 0, 0, 0, 0), Note(60, 100, 10, 5), End()}, Track(c.channel)), o,
             &rings);
    EXPECT_EQ(rings.TextWriteOffset(), c.written ? 12 : 0);
    bool textRecord = false;
    for (int i = 0; i < rings.MonitorWriteIndex(); ++i)
      if (rings.Monitor()[i].track == kMonText) textRecord = true;
    EXPECT_EQ(textRecord, c.written);
  }
}

TEST(PlayBuilderText, RecordWrapsAtTheRingEnd) {
  PlayRings rings;
  ASSERT_TRUE(rings.Allocate(50, 32));
  std::vector<StepEvent> ev = {Cmd(0x99, 1, 0, 10), Cont('c', 'a', 'l', 'c', '.'), Cont('e', 'x', 'e', 0, 0),
                               Cmd(0x99, 0, 0, 10), Cont('p', 'l', 'a', 'y', ' '), Cont('c', 'd', 0, 0, 0), End()};
  Player p(OneTrack(ev), {}, &rings, false);
  while (rings.TextWriteOffset() == 0) ASSERT_TRUE(p.builder.Step());
  EXPECT_EQ(rings.TextWriteOffset(), 19);
  // The host read everything announced so far.
  rings.HostReadUpTo(rings.MonitorWriteIndex());
  ASSERT_TRUE(RunToEnd(p.builder));
  EXPECT_EQ(rings.TextWriteOffset(), (19 + 18) % 32);
  TextEventRecord rec = RecordAt(rings, 19);
  EXPECT_EQ(rec.kind, 0);
  EXPECT_EQ(rec.eventIndex, 3);
  EXPECT_EQ(TextAt(rings, 29), "play cd");
  EXPECT_EQ(rings.Text()[31], 'a');
  EXPECT_EQ(rings.Text()[0], 'y');
  EXPECT_EQ(rings.Text()[4], 0);
}

TEST(PlayBuilderText, UnreadTextIsNeverOverwritten) {
  PlayRings rings;
  ASSERT_TRUE(rings.Allocate(50, 32));
  std::vector<StepEvent> ev = {Cmd(0x99, 1, 0, 10), Cont('c', 'a', 'l', 'c', '.'), Cont('e', 'x', 'e', 0, 0),
                               Cmd(0x99, 0, 0, 10), Cont('p', 'l', 'a', 'y', ' '), Cont('c', 'd', 0, 0, 0), End()};
  Player p(OneTrack(ev), {}, &rings);
  ASSERT_TRUE(p.ended);
  EXPECT_EQ(rings.TextWriteOffset(), 19);
  EXPECT_EQ(TextAt(rings, 10), "calc.exe");
  EXPECT_EQ(rings.DroppedRecords(), 1);
  int texts = 0;
  for (int i = 0; i < rings.MonitorWriteIndex(); ++i)
    if (rings.Monitor()[i].track == kMonText) ++texts;
  EXPECT_EQ(texts, 1);
}

TEST(PlayBuilderMonitor, TrackRecordsCarryTheTrackState) {
  PlayRings rings;
  ASSERT_TRUE(rings.Allocate(100, 256));
  BuilderOptions o;
  o.monitorTracks = true;
  Player p(OneTrack({Cmd(0xEB, 7, 100), Cmd(0xEC, 5, 0), Note(60, 100, 480, 240), Bar(), Note(62, 50, 480, 10), End()},
                    Track(0x12)),
           o, &rings, false);
  ASSERT_TRUE(p.builder.Step());  // tempo at 0: no track ran yet
  EXPECT_EQ(rings.MonitorWriteIndex(), 0);
  ASSERT_TRUE(p.builder.Step());  // step 1
  ASSERT_EQ(rings.MonitorWriteIndex(), 2);
  const PlayMonRecord& tempo = rings.Monitor()[0];
  EXPECT_EQ(tempo.track, kMonTempo);
  EXPECT_EQ(tempo.value, 1200);
  const PlayMonRecord& r = rings.Monitor()[1];
  EXPECT_EQ(r.track, 0);
  EXPECT_EQ(r.value, 1);
  EXPECT_EQ(r.eventIndex, 2);
  EXPECT_EQ(r.measure, 0);
  EXPECT_EQ(r.stepInMeasure, 1);
  EXPECT_EQ(r.soundingCount, 1);
  EXPECT_EQ(r.channelWord, 0x12);
  EXPECT_EQ(r.bank, -1);
  EXPECT_EQ(r.program, 5);
  EXPECT_EQ(r.bend, 8192);
  EXPECT_EQ(r.hold, 0);
  EXPECT_EQ(r.modulation, -1);
  EXPECT_EQ(r.volume, 100);
  EXPECT_EQ(r.expression, -1);
  EXPECT_EQ(r.pan, 64);
  EXPECT_EQ(r.level, 200);
  EXPECT_EQ(r.keys[7], 0x10);
  EXPECT_EQ(p.out.Marks(kMarkMonitor), (std::vector<int>{2}));

  ASSERT_TRUE(p.builder.Step());  // note-off at 241
  ASSERT_EQ(rings.MonitorWriteIndex(), 3);
  EXPECT_EQ(rings.Monitor()[2].soundingCount, 0);
  EXPECT_EQ(rings.Monitor()[2].level, 0);
  EXPECT_EQ(rings.Monitor()[2].keys[7], 0);

  ASSERT_TRUE(p.builder.Step());  // second measure at 481
  const PlayMonRecord& m2 = rings.Monitor()[3];
  EXPECT_EQ(m2.measure, 1);
  EXPECT_EQ(m2.stepInMeasure, 1);
  EXPECT_EQ(m2.level, 100);
  EXPECT_EQ(m2.eventIndex, 4);
}

TEST(PlayBuilderMonitor, NoTrackRecordsWithoutMonitorMode) {
  PlayRings rings;
  ASSERT_TRUE(rings.Allocate(100, 256));
  Player p(OneTrack({Note(60, 100, 480, 240), Note(62, 50, 480, 10), End()}), {}, &rings);
  ASSERT_EQ(rings.MonitorWriteIndex(), 1);  // the tempo record alone
  EXPECT_EQ(rings.Monitor()[0].track, kMonTempo);
  EXPECT_EQ(p.out.Marks(kMarkMonitor), (std::vector<int>{1}));
}

TEST(PlayBuilderMonitor, RingNeverOvertakesTheHost) {
  PlayRings rings;
  ASSERT_TRUE(rings.Allocate(4, 64));
  BuilderOptions o;
  o.monitorTracks = true;
  std::vector<StepEvent> ev;
  for (int i = 0; i < 10; ++i) ev.push_back(Note(40 + i, 100, 10, 5));
  ev.push_back(End());
  Player p(OneTrack(ev), o, &rings, false);
  for (int i = 0; i < 4; ++i) p.builder.Step();  // 0, 1, 6, 11
  ASSERT_EQ(rings.MonitorWriteIndex(), 3);
  EXPECT_EQ(rings.Monitor()[0].track, kMonTempo);
  EXPECT_EQ(rings.Monitor()[1].keys[40 / 8], 1 << (40 % 8));
  EXPECT_EQ(rings.Monitor()[2].soundingCount, 0);
  EXPECT_EQ(rings.DroppedRecords(), 1);
  rings.HostReadUpTo(3);
  p.builder.Step();  // 16: note-off of 41
  EXPECT_EQ(rings.MonitorWriteIndex(), 0);
  EXPECT_EQ(rings.Monitor()[3].soundingCount, 0);
  p.builder.Step();  // 21: 42 starts, over the record the host has read
  EXPECT_EQ(rings.MonitorWriteIndex(), 1);
  EXPECT_EQ(rings.Monitor()[0].keys[42 / 8], 1 << (42 % 8));
  p.builder.Step();  // 26
  p.builder.Step();  // 31: no room before the host's position
  EXPECT_EQ(rings.MonitorWriteIndex(), 2);
  EXPECT_EQ(rings.DroppedRecords(), 2);
  EXPECT_EQ(rings.Monitor()[3].soundingCount, 0);
  ASSERT_TRUE(RunToEnd(p.builder));
}

TEST(PlayRingsTest, HostFieldsSurviveAWrite) {
  PlayRings rings;
  ASSERT_TRUE(rings.Allocate(3, 16));
  rings.Monitor()[0].stripWindow = 77;
  rings.Monitor()[0].repaint = 5;
  rings.Monitor()[0].meterDrawn = 9;
  PlayMonRecord r{};
  r.stripWindow = 1;
  r.track = 3;
  EXPECT_EQ(rings.WriteMonitor(r), 0);
  EXPECT_EQ(rings.Monitor()[0].stripWindow, 77);
  EXPECT_EQ(rings.Monitor()[0].repaint, 5);
  EXPECT_EQ(rings.Monitor()[0].meterDrawn, 9);
  EXPECT_EQ(rings.Monitor()[0].track, 3);
}

TEST(PlayRingsTest, TextFitsOnlyIntoWhatTheHostRead) {
  PlayRings rings;
  ASSERT_TRUE(rings.Allocate(8, 16));
  const uint8_t a[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  EXPECT_EQ(rings.WriteText(a, 10), 10);
  EXPECT_EQ(rings.WriteText(a, 6), -1);  // would fill the ring up to the reader
  PlayMonRecord r{};
  EXPECT_EQ(rings.WriteMonitor(r), 0);
  rings.HostReadUpTo(1);
  EXPECT_EQ(rings.WriteText(a, 10), 4);
  EXPECT_EQ(rings.Text()[15], 6);
  EXPECT_EQ(rings.Text()[0], 7);
  EXPECT_EQ(rings.Text()[3], 10);
  EXPECT_EQ(rings.WriteText(a, 0), -1);
}

// ---------------------------------------------------------------- end, chase

TEST(PlayBuilderEnd, EndFollowsTheLastNoteOffOfAllTracks) {
  PlaySong s = Song(Header(), {{Track(0), {Note(60, 100, 10, 1000), End()}}, {Track(1), {Note(61, 100, 500, 10), End()}}});
  Player p(s);
  ASSERT_TRUE(p.ended);
  EXPECT_EQ(p.EndStep(), 1001);
  auto ch = p.out.Channels();
  EXPECT_EQ(ch.back(), (Msg{1001, 0x90, 60, 0}));
  EXPECT_EQ(p.out.Of(Kind::End).size(), 1u);
  EXPECT_FALSE(p.builder.Step());
  EXPECT_EQ(p.out.Of(Kind::End).size(), 1u);
  EXPECT_TRUE(p.builder.Ended());
  EXPECT_FALSE(p.builder.DataRemains());
}

TEST(PlayBuilderEnd, EmptySongEndsAtOnce) {
  PlaySong s = Song(Header(), {{NoDelay(), {End()}}});
  Player p(s);
  ASSERT_TRUE(p.ended);
  EXPECT_EQ(p.EndStep(), 0);
  PlaySong none = Song(Header(), {});
  Player q(none);
  ASSERT_TRUE(q.ended);
  EXPECT_EQ(q.out.Of(Kind::End).size(), 1u);
}

TEST(PlayBuilderChase, ChasePassesSendControllersButNoNotes) {
  PlaySong s = OneTrack({Cmd(0xEB, 7, 90), Note(60, 100, 120, 60), Cmd(0xEC, 9, 0), Note(62, 100, 120, 60),
                         Note(64, 100, 120, 60), End()});
  Player p(s, {}, nullptr, false);
  p.builder.SetChasing(true);
  p.builder.ChasePass(0);
  EXPECT_EQ(p.out.Marks(kMarkTempo), (std::vector<int>{1200}));
  EXPECT_TRUE(p.out.Channels().empty());
  p.builder.ChasePass(120);
  EXPECT_TRUE(p.builder.AnyTrackActive());
  EXPECT_EQ(p.out.Channels(), (std::vector<Msg>{{0, 0xB0, 7, 90}}));
  EXPECT_EQ(p.builder.Now(), 120);
  p.builder.SetChasing(false);
  ASSERT_TRUE(RunToEnd(p.builder));
  std::vector<Msg> want = {{0, 0xB0, 7, 90}, {1, 0xC0, 9, 0}, {1, 0x90, 62, 100}, {61, 0x90, 62, 0},
                           {121, 0x90, 64, 100}, {181, 0x90, 64, 0}};
  EXPECT_EQ(p.out.Channels(), want);
}

TEST(PlayBuilderChase, ChasePastTheEndLeavesNoTrackActive) {
  Player p(OneTrack({Note(60, 100, 100, 60), End()}), {}, nullptr, false);
  p.builder.SetChasing(true);
  p.builder.ChasePass(0);
  for (int i = 0; i < 3; ++i) p.builder.ChasePass(120);
  EXPECT_FALSE(p.builder.AnyTrackActive());
  EXPECT_TRUE(p.out.Channels().empty());
}

// ---------------------------------------------------------------- measure position

TEST(PlayBuilderPosition, StepsToMeasureOf) {
  PlaySong loops = OneTrack({Note(59, 100, 480, 5), Bar(), RepeatStart(), Note(60, 100, 480, 5), Bar(), RepeatEnd(3),
                             Note(62, 100, 480, 5), Bar(), End()},
                            Track(0, 0, 7));
  PlaySong refs = OneTrack({Note(60, 100, 480, 100), Bar(), Ref(0), Note(62, 100, 480, 100), Bar(), End()});
  struct C {
    const PlaySong* song;
    int track, event;
    int64_t want;
  } cases[] = {
      {&loops, 1, 0, 0},    {&loops, 1, 1, 0},     {&loops, 1, 3, 480}, {&loops, 1, 4, 480},
      {&loops, 1, 6, 1920},  // after the loop's three passes
      {&loops, 1, 7, 1920}, {&refs, 1, 2, 480},    {&refs, 1, 3, 960},  {&refs, 1, 0, 0},
      {&refs, 0, 3, -1},    {&refs, 2, 3, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "event " << c.event);
    EXPECT_EQ(PlayBuilder::StepsToMeasureOf(*c.song, c.track, c.event), c.want);
  }
}

TEST(PlayBuilderPosition, StepsToMeasureOfAnUnreachedMeasure) {
  // The track ends in its first measure: the second is never played.
  PlaySong s = OneTrack({Note(60, 100, 480, 5), End(), Bar(), Note(62, 100, 480, 5), Bar(), End()});
  EXPECT_EQ(PlayBuilder::StepsToMeasureOf(s, 1, 3), -1);
}

// ---------------------------------------------------------------- damaged songs

TEST(PlayBuilderDamaged, NoEndEvent) {
  PlaySong s = OneTrack({Note(60, 100, 10, 5), Note(61, 100, 10, 5)});
  s.events[0].pop_back();
  ASSERT_EQ(s.events[0].size(), 2u);
  Player p(s);
  ASSERT_TRUE(p.ended);
  EXPECT_EQ(p.NoteOnKeys(), (std::vector<int>{60, 61}));
  EXPECT_EQ(PlayBuilder::StepsToMeasureOf(s, 1, 1), 0);
}

TEST(PlayBuilderDamaged, TrackCountBeyondTheBlocks) {
  PlaySong s = Song(Header(), {{Track(0), {Note(60, 100, 10, 5), End()}}, {Track(1), {Note(61, 100, 10, 5), End()}}});
  s.trackCount = 5;
  s.events.pop_back();
  Player p(s);
  ASSERT_TRUE(p.ended);
  EXPECT_EQ(p.builder.TrackCount(), 1);
  EXPECT_EQ(p.NoteOnKeys(), (std::vector<int>{60}));
  EXPECT_EQ(PlayBuilder::StepsToMeasureOf(s, 2, 1), -1);
  s.trackCount = -3;
  Player q(s);
  ASSERT_TRUE(q.ended);
  EXPECT_TRUE(q.NoteOnKeys().empty());
}

TEST(PlayBuilderDamaged, EmptyEventBlock) {
  PlaySong s = OneTrack({});
  s.events[0].clear();
  Player p(s);
  ASSERT_TRUE(p.ended);
}

TEST(PlayBuilderDamaged, HeaderValues) {
  struct C {
    int timeBase, tempo;
    int wantTimeBase, wantTempo10;
  } cases[] = {{0, 120, 480, 1200}, {960, 120, 960, 1200}, {480, 0, 480, 1200}, {1, 120, 1, 1200}, {65535, 65535, 65535, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.timeBase << " " << c.tempo);
    PlaySong s = Song(Header(c.timeBase, c.tempo), {{Track(), {Note(60, 100, 480, 10), Cmd(0xE7, 200, 10), Note(61, 100, 480, 10), End()}}});
    Player p(s);
    ASSERT_TRUE(p.ended);
    EXPECT_EQ(p.builder.TimeBase(), c.wantTimeBase);
    EXPECT_EQ(p.NoteOnKeys(), (std::vector<int>{60, 61}));
    if (c.wantTempo10 >= 0) {
      ASSERT_FALSE(p.out.Marks(kMarkTempo).empty());
      EXPECT_EQ(p.out.Marks(kMarkTempo)[0], c.wantTempo10);
    }
  }
}

TEST(PlayBuilderDamaged, LoopsOfNothingEndTheTrack) {
  Player p(OneTrack({Note(60, 100, 10, 5), RepeatStart(), RepeatStart(), RepeatEnd(0), RepeatEnd(0), Note(61, 100, 10, 5), End()}));
  ASSERT_TRUE(p.ended);
  EXPECT_EQ(p.NoteOnKeys(), (std::vector<int>{60}));
}

TEST(PlayBuilderDamaged, EndlessLoopsStillPrepareAndPlay) {
  // Five nested loops of 65,536: the song is far too long to walk through
  // before play; preparation must not try.
  std::vector<StepEvent> ev;
  for (int i = 0; i < 5; ++i) ev.push_back(RepeatStart());
  ev.push_back(Note(60, 100, 1, 1));
  ev.push_back(Cmd(0xE7, 100, 0));
  for (int i = 0; i < 5; ++i) ev.push_back(RepeatEnd(0));
  ev.push_back(Bar());
  ev.push_back(Note(61, 100, 1, 1));
  ev.push_back(End());
  Player p(OneTrack(ev), {}, nullptr, false);
  EXPECT_FALSE(p.builder.TempoMap().empty());
  for (int i = 0; i < 1000; ++i) ASSERT_TRUE(p.builder.Step());
  EXPECT_GT(p.NoteOns().size(), 100u);
  EXPECT_EQ(PlayBuilder::StepsToMeasureOf(p.song, 1, 13), -1);
}

TEST(PlayBuilderDamaged, ManyTracksManyEvents) {
  std::vector<TrackData> tracks;
  for (int t = 0; t < 100; ++t) {
    std::vector<StepEvent> ev;
    for (int i = 0; i < 200; ++i) ev.push_back(Note(30 + (i + t) % 60, 100, (i % 3) ? 5 : 0, 7));
    ev.push_back(End());
    tracks.push_back({Track(t % 16), ev});
  }
  PlaySong s = Song(Header(), tracks);
  PlayRings rings;
  ASSERT_TRUE(rings.Allocate(300, 1024));
  BuilderOptions o;
  o.monitorTracks = true;
  Player p(s, o, &rings);
  ASSERT_TRUE(p.ended);
  EXPECT_EQ(p.NoteOns().size(), 100u * 200u);
  EXPECT_GT(rings.DroppedRecords(), 0);
}

}  // namespace
