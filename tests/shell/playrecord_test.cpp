// Recording from the frame with an engine bound on the virtual device: notes
// injected on the virtual input while the song plays, the stop, and what the
// record track holds afterwards.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "appglobals.h"
#include "boundengine.h"
#include "binding.h"
#include "engine.h"
#include "inprocess.h"
#include "msgbox.h"
#include "playstate.h"
#include "portsetup.h"
#include "resource.h"
#include "settings.h"
#include "songmodel.h"
#include "testsongs.h"
#include "testsupport.h"
#include "viewwindows.h"
#include "vwinmm.h"
#include "windownav.h"
#include "zk/messages.h"

namespace {

using Events = std::vector<StepEvent>;
constexpr uint8_t kBar = 0xFD;
constexpr uint16_t kMeasure = 1920;  // steps of a 4/4 measure at 480 a quarter
// At 120 quarters a minute one millisecond is 0.96 steps: 500 ms are 480.
constexpr DWORD kMeasureMs = 2000;

// Six whole-note measures of the given key, each closed by a bar line.
Events Measures(int count, uint8_t firstKey) {
  Events e;
  for (int m = 0; m < count; ++m) {
    e.push_back(E(static_cast<uint8_t>(firstKey + m), 100, kMeasure, 100));
    e.push_back(E(kBar));
  }
  return e;
}

Events WithEnd(Events e) {
  e.push_back(EndEvent());
  return e;
}

// The track's events measure by measure (bar lines left out).
std::vector<Events> ByMeasure(const Events& events) {
  std::vector<Events> out(1);
  for (const StepEvent& e : events) {
    if (e.code == kBar) {
      out.emplace_back();
    } else {
      out.back().push_back(e);
    }
  }
  if (out.back().empty()) out.pop_back();
  return out;
}

// Keys of the sounding notes (velocity above 0, gate above 0).
std::vector<int> Keys(const Events& events) {
  std::vector<int> keys;
  for (const StepEvent& e : events)
    if (e.code < 0x80 && e.vel > 0 && e.gate > 0) keys.push_back(e.code);
  return keys;
}

std::vector<UINT> Ids(const MessageBoxRecorder& boxes) {
  std::vector<UINT> ids;
  for (const RecordedBox& b : boxes.boxes) ids.push_back(b.stringId);
  return ids;
}

class RecordFixture : public ::testing::Test {
 protected:
  virtual const char* Engine() const { return "zkpoly.dll"; }
  void SetUp() override {
    ASSERT_TRUE(StartInProcessShell());
    ASSERT_TRUE(engine_.Bind(Engine()));
    g_settings.autoRecConvert = 1;
    g_play.record.metronome = true;
    SetSong();
    vm_.LogClear();
  }
  void TearDown() override {
    engine_.Release();
    for (int n = 1; n <= 3; ++n) {
      ReplaceTrackEvents(n, WithEnd({}));
      SetMode(n, 0);
    }
    ClearSongModified();
  }

  // 4/4 at 120 and 480 a quarter; track 1 measures the time, track 2
  // records (channel 2), track 3 keeps what it has.
  void SetSong() {
    HGLOBAL h = SongEntry(kHeaderEntry);
    auto* header = static_cast<SongHeader*>(GlobalLock(h));
    header->timeBase = 480;
    header->tempo = 120;
    header->beatNum = 4;
    header->beatDen = 4;
    GlobalUnlock(h);
    ReplaceTrackEvents(1, WithEnd(Measures(6, 40)));
    ReplaceTrackEvents(2, WithEnd({}));
    ReplaceTrackEvents(3, WithEnd(third_));
    for (int n = 1; n <= 3; ++n) SetHeader(n, static_cast<uint8_t>(n - 1), 0);
    SetMode(2, 0x02);
  }
  static void SetHeader(int n, uint8_t channel, uint8_t mode) {
    HGLOBAL h = SongEntry(TrackHeaderEntry(n));
    auto* th = static_cast<TrackHeader*>(GlobalLock(h));
    th->channel = channel;
    th->mode = mode;
    th->keyShift = 0;
    th->stepShift = 0;
    GlobalUnlock(h);
  }
  static void SetMode(int n, uint8_t mode) {
    HGLOBAL h = SongEntry(TrackHeaderEntry(n));
    static_cast<TrackHeader*>(GlobalLock(h))->mode = mode;
    GlobalUnlock(h);
  }

  bool Playing() { return g_engine.checkPlaying && g_engine.checkPlaying() != 0; }
  // A note on channel 1 from `on` to `off` milliseconds after the play start.
  void Note(int key, DWORD on, DWORD off) {
    EXPECT_TRUE(vm_.Inject(0, M(0x90, key, 100), on));
    EXPECT_TRUE(vm_.Inject(0, M(0x80, key, 64), off));
  }
  // Short messages played on device 0, by a stream or one at a time.
  std::vector<uint32_t> Played() {
    std::vector<uint32_t> out;
    for (const VMidiLogEntry& e : DeviceLog(vm_))
      if (e.device == 0 && (e.kind == kVmShort || e.kind == kVmStreamShort)) out.push_back(e.message);
    return out;
  }
  // Velocities of the metronome's clicks: key 37 on channel 10.
  std::vector<int> Clicks() {
    std::vector<int> clicks;
    for (uint32_t m : Played())
      if ((m & 0xFF) == 0x99 && ((m >> 8) & 0x7F) == 37 && (m >> 16) != 0) clicks.push_back(static_cast<int>(m >> 16));
    return clicks;
  }
  int SongNotes() {
    int n = 0;
    for (uint32_t m : Played()) n += (m & 0xFF) == 0x90 && (m >> 16) != 0;
    return n;
  }
  void StartAndWaitForTheMetronome() {
    Command(2354);
    ASSERT_TRUE(Playing());
    ASSERT_TRUE(RunLoopUntil([this] { return !Clicks().empty(); }, 4000));
  }

  const Events third_ = Measures(3, 90);
  BoundEngine engine_;
  VirtualMidi& vm_ = engine_.vm;
};

// The main paths on both stream engines.
class RecordTest : public RecordFixture, public ::testing::WithParamInterface<const char*> {
 protected:
  const char* Engine() const override { return GetParam(); }
};

TEST_P(RecordTest, InjectedNotesLandInTheRecordTrack) {
  StartAndWaitForTheMetronome();
  EXPECT_EQ(Clicks()[0], 120);  // the accent first

  Note(64, 500, 1000);                            // measure 1, beat 2, a quarter
  Note(67, kMeasureMs + 500, kMeasureMs + 1000);  // measure 2, beat 2
  Command(IDM_PLAY_STOP);
  EXPECT_FALSE(Playing());
  EXPECT_EQ(g_play.recordBufferA, nullptr);
  EXPECT_EQ(g_play.recordBufferB, nullptr);

  EXPECT_EQ(ShowEvents(TrackEventsOf(2)),
            ShowEvents({E(60, 0, 480), E(64, 100, 1440, 481), E(kBar), E(64, 0, 480), E(67, 100, 480, 481), E(kBar)}));
  EXPECT_EQ(ShowEvents(TrackEventsOf(1)), ShowEvents(Measures(6, 40)));
  EXPECT_EQ(ShowEvents(TrackEventsOf(3)), ShowEvents(third_));
}

TEST_P(RecordTest, PunchInAndOutKeepTheTrackOutsideThem) {
  // Track 2 has notes of its own in every measure.
  const Events own = Measures(6, 70);
  ReplaceTrackEvents(2, WithEnd(own));
  SetMode(2, 0x04);  // the take replaces what the track had
  g_play.record.playStartMeasure = 2;
  g_play.record.punchInMeasure = 3;
  g_play.record.punchOutMeasure = 4;
  StartAndWaitForTheMetronome();
  // Key 80 + m in measures m = 2 to 6, counted from the play start (measure 2).
  for (int m = 2; m <= 6; ++m) {
    const DWORD at = (m - 2) * kMeasureMs + 500;
    Note(80 + m, at, at + 500);
  }
  Command(IDM_PLAY_STOP);
  EXPECT_EQ(g_play.recordBufferA, nullptr);

  SCOPED_TRACE(ShowEvents(TrackEventsOf(2)));
  const std::vector<Events> measures = ByMeasure(TrackEventsOf(2));
  ASSERT_EQ(measures.size(), 6u) << ShowEvents(TrackEventsOf(2));
  const std::vector<Events> before = ByMeasure(own);
  for (int m : {1, 2, 5, 6}) EXPECT_EQ(ShowEvents(measures[m - 1]), ShowEvents(before[m - 1])) << "measure " << m;
  EXPECT_EQ(Keys(measures[2]), std::vector<int>{83});
  EXPECT_EQ(Keys(measures[3]), std::vector<int>{84});
  // Every measure keeps its length.
  for (const Events& m : measures) {
    int steps = 0;
    for (const StepEvent& e : m) steps += e.code < 0xF0 ? e.step : 0;
    EXPECT_EQ(steps, kMeasure);
  }
}

TEST_P(RecordTest, KeyOnStartWaitsForTheFirstNote) {
  g_play.record.keyOnStart = true;
  g_play.record.metronome = false;
  Command(2354);
  ASSERT_TRUE(Playing());
  EXPECT_EQ(g_play.recordingFlags, 0x3u);  // recording, key-on start
  RunLoopFor(300);
  EXPECT_EQ(SongNotes(), 0);  // nothing plays before the first note
  Note(72, 5000, 5500);
  ASSERT_TRUE(RunLoopUntil([this] { return SongNotes() >= 1; }, 4000));
  // The device's clock starts again with the song.
  Note(74, 500, 1000);
  Command(IDM_PLAY_STOP);
  const Events two = TrackEventsOf(2);
  EXPECT_EQ(Keys(two), (std::vector<int>{72, 74}));
  ASSERT_GE(two.size(), 2u);
  EXPECT_EQ(two[0].code, 72);  // the first note stands at the measure's start
}

INSTANTIATE_TEST_SUITE_P(Engines, RecordTest, ::testing::Values("zkpoly.dll", "zkmme.dll"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param).substr(0, std::strlen(info.param) - 4);
                         });

// The rest run on one engine: what they test is the shell's part.
struct AskCase {
  const char* name;
  int answer;
  bool converts;
};

class AskConvertTest : public RecordFixture, public ::testing::WithParamInterface<AskCase> {};

TEST_P(AskConvertTest, OnlyYesConvertsAndTheBuffersGoEitherWay) {
  g_settings.autoRecConvert = 0;
  StartAndWaitForTheMetronome();
  Note(64, 500, 1000);
  MessageBoxRecorder boxes;
  boxes.answers = {GetParam().answer};
  Command(IDM_PLAY_STOP);
  ASSERT_EQ(Ids(boxes), std::vector<UINT>{IDS_ASK_CONVERT});
  EXPECT_EQ(boxes.boxes[0].style & 0x0F, static_cast<UINT>(MB_YESNOCANCEL));
  EXPECT_EQ(g_play.recordBufferA, nullptr);
  EXPECT_EQ(g_play.recordBufferB, nullptr);
  EXPECT_EQ(Keys(TrackEventsOf(2)), GetParam().converts ? std::vector<int>{64} : std::vector<int>{});
}

INSTANTIATE_TEST_SUITE_P(Answers, AskConvertTest,
                         ::testing::Values(AskCase{"Yes", IDYES, true}, AskCase{"No", IDNO, false},
                                           AskCase{"Cancel", IDCANCEL, false}),
                         [](const ::testing::TestParamInfo<AskCase>& info) { return info.param.name; });

using RecordShellTest = RecordFixture;

// The metronome repeats for as good as ever, so a recording ends by the stop
// or by the engine's end notice, which the frame handles like the stop.
TEST_F(RecordShellTest, TheEndOfPlayNoticeConvertsAsTheStopDoes) {
  StartAndWaitForTheMetronome();
  Note(64, 500, 1000);
  SendMessageA(g_app.frame, WM_ZK_PLAYNOTIFY, static_cast<WPARAM>(-1), 0);
  EXPECT_FALSE(Playing());
  EXPECT_EQ(g_play.recordingFlags, 0u);
  EXPECT_EQ(g_play.recordBufferA, nullptr);
  EXPECT_EQ(Keys(TrackEventsOf(2)), std::vector<int>{64});
}

TEST_F(RecordShellTest, AFullBufferStopsAndWhatWasRecordedConverts) {
  MessageBoxRecorder boxes;
  StartAndWaitForTheMetronome();
  Note(64, 100, 300);
  // All notes off, over and over: rests that fold into the note before them.
  for (int i = 0; i < 16400; ++i) vm_.Inject(0, M(0xB0, 123, 0), 400);
  ASSERT_TRUE(RunLoopUntil([this] { return !Playing(); }, 10000));
  RunLoopFor(100);
  EXPECT_EQ(Ids(boxes), std::vector<UINT>{IDS_RECORD_BUFFER_FULL});
  EXPECT_EQ(g_play.recordingFlags, 0u);
  EXPECT_EQ(g_play.recordBufferA, nullptr);
  EXPECT_EQ(Keys(TrackEventsOf(2)), std::vector<int>{64});
}

TEST_F(RecordShellTest, ATakeTooLargeForTheTrackLeavesItAsItWas) {
  // The track's own notes after the take, and a take of 16,000 controller
  // changes: together more than a track holds.
  Events own = Measures(1, 70);
  for (int m = 0; m < 10; ++m) {
    for (int k = 0; k < 40; ++k) own.push_back(E(72, 100, 48, 24));
    own.push_back(E(kBar));
  }
  ReplaceTrackEvents(2, WithEnd(own));
  MessageBoxRecorder boxes;
  StartAndWaitForTheMetronome();
  for (int i = 0; i < 16000; ++i) EXPECT_TRUE(vm_.Inject(0, M(0xB0, 7, i % 128), 400)) << i;
  Command(IDM_PLAY_STOP);
  EXPECT_EQ(Ids(boxes), std::vector<UINT>{IDS_RECORD_TOO_BIG});
  EXPECT_EQ(ShowEvents(TrackEventsOf(2)), ShowEvents(own));
  EXPECT_EQ(g_play.recordBufferA, nullptr);
}

TEST_F(RecordShellTest, RecordCommandOpensTheRecordSetUpThenStarts) {
  HWND open = g_viewWindows.trackWindow;
  if (open) SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(open), 0);
  ASSERT_EQ(g_viewWindows.trackWindow, nullptr);
  // No window: the record set-up opens, nothing plays yet.
  Command(IDM_PLAY_RECORD);
  ASSERT_NE(g_viewWindows.trackWindow, nullptr);
  EXPECT_EQ(g_viewWindows.trackWindowMode, kRecordSetupMode);
  EXPECT_FALSE(Playing());
  char title[64] = {};
  GetWindowTextA(g_viewWindows.trackWindow, title, sizeof title);
  EXPECT_EQ(std::string(title), LoadAppString(IDS_RECORD_TITLE));
  // Open in record set-up: the same command records.
  Command(IDM_PLAY_RECORD);
  EXPECT_TRUE(Playing());
  EXPECT_EQ(g_play.recordingFlags & 1u, 1u);
  Command(IDM_PLAY_STOP);

  // The track view is another class: it closes and the frame is asked to
  // open the record set-up again.
  Command(IDM_VIEW_TRKVIEW);
  RunLoopFor(100);  // the posted command reopens it
  ASSERT_NE(g_viewWindows.trackWindow, nullptr);
  char cls[32] = {};
  GetClassNameA(g_viewWindows.trackWindow, cls, sizeof cls);
  EXPECT_STREQ(cls, "TrkView");
  Command(IDM_PLAY_RECORD);
  RunLoopFor(100);  // the posted command
  ASSERT_NE(g_viewWindows.trackWindow, nullptr);
  GetClassNameA(g_viewWindows.trackWindow, cls, sizeof cls);
  EXPECT_STREQ(cls, "TrkSet");
  EXPECT_EQ(g_viewWindows.trackWindowMode, kRecordSetupMode);
  EXPECT_FALSE(Playing());
}

}  // namespace
