// The play commands of the frame with the stream engine bound on the virtual
// device: start, stop, pause and resume of the open song, run through the
// program's own main loop so that the end of play arrives as it does there.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "appglobals.h"
#include "binding.h"
#include "engine.h"
#include "inprocess.h"
#include "playstate.h"
#include "portsetup.h"
#include "programstate.h"
#include "resource.h"
#include "settings.h"
#include "songmodel.h"
#include "startup.h"
#include "lineindex.h"
#include "stepeditdata.h"
#include "stepwnd.h"
#include "testsongs.h"
#include "testsupport.h"
#include "viewglobals.h"
#include "vwinmm.h"

namespace {

// What the engine was handed at its start, recorded on the way through.
struct StartRecord {
  int calls = 0;
  HGLOBAL table = nullptr;
  int trackCount = -1;
  int time = -1;
  bool tableIsCopy = false;
  bool entriesMatch = false;
};
StartRecord g_start;
zkengine::SetStartTime0Fn g_realSetStartTime0 = nullptr;

bool TableMatchesSong(HGLOBAL copy) {
  const auto* t = static_cast<const SongHandleTable*>(GlobalLock(copy));
  if (!t) return false;
  bool same = true;
  for (int i = 0; i < kHandleTableEntries; ++i) same = same && t->h[i] == SongEntry(i);
  GlobalUnlock(copy);
  return same;
}

int WINAPI RecordingSetStartTime0(int a, int b, HGLOBAL table, int trackCount, int time) {
  ++g_start.calls;
  g_start.table = table;
  g_start.trackCount = trackCount;
  g_start.time = time;
  g_start.tableIsCopy = table != SongEntry(0) && (GlobalFlags(table) & GMEM_DDESHARE) != 0;
  g_start.entriesMatch = TableMatchesSong(table);
  return g_realSetStartTime0(a, b, table, trackCount, time);
}

struct PointRecord {
  int calls = 0;
  int solo = -1;
  int event = -1;
  int track = -1;
};
PointRecord g_point;
zkengine::PointPlayExecFn g_realPointPlayExec = nullptr;

int WINAPI RecordingPointPlayExec(int a, int b, HGLOBAL table, int trackCount, int solo, int event, int track,
                                  int headerTempoOnly) {
  ++g_point.calls;
  g_point.solo = solo;
  g_point.event = event;
  g_point.track = track;
  return g_realPointPlayExec(a, b, table, trackCount, solo, event, track, headerTempoOnly);
}

// A step editor a test opened, closed again after it.
HWND g_openedEditor = nullptr;

// Runs the program's main loop until done() or timeoutMs.
std::function<bool()> g_done;
DWORD g_deadline = 0;
void CALLBACK LoopCheck(HWND, UINT, UINT_PTR, DWORD) {
  if (g_done() || GetTickCount() > g_deadline) PostQuitMessage(0);
}
bool RunLoopUntil(std::function<bool()> done, DWORD timeoutMs = 10000) {
  g_done = std::move(done);
  g_deadline = GetTickCount() + timeoutMs;
  UINT_PTR timer = SetTimer(nullptr, 0, 5, LoopCheck);
  RunMainLoop();
  KillTimer(nullptr, timer);
  return g_done();
}
void RunLoopFor(DWORD ms) {
  RunLoopUntil([] { return false; }, ms);
}

void Command(UINT id) { SendMessageA(g_app.frame, WM_COMMAND, id, 0); }

// Puts events (an end event follows) into the open song's track 1.
void SetTrackOne(const std::vector<StepEvent>& events) {
  std::vector<StepEvent> block(events);
  block.push_back(E(0xFF));
  HGLOBAL h = SongEntry(TrackEventsEntry(1));
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(GlobalReAlloc(h, block.size() * sizeof(StepEvent), GMEM_MOVEABLE), h);
  std::memcpy(GlobalLock(h), block.data(), block.size() * sizeof(StepEvent));
  GlobalUnlock(h);
}

std::vector<TickMsg> NoteMessages(VirtualMidi& vm) {
  std::vector<TickMsg> out;
  for (const TickMsg& m : StreamShorts(DeviceLog(vm), 0))
    if ((m.second & 0xE0) == 0x80) out.push_back(m);
  return out;
}

int NoteOns(VirtualMidi& vm) {
  int n = 0;
  for (const TickMsg& m : NoteMessages(vm)) n += (m.second & 0xF0) == 0x90 && (m.second >> 16) != 0;
  return n;
}

std::vector<std::string> MciTexts(VirtualMidi& vm) {
  std::vector<std::string> out;
  for (const VMidiLogEntry& e : DeviceLog(vm))
    if (e.kind == kVmMci) out.emplace_back(reinterpret_cast<const char*>(e.data), std::min<int32_t>(e.length, sizeof e.data));
  return out;
}

// Short messages sent at once (not by the stream) on device 0.
std::vector<uint32_t> ImmediateShorts(VirtualMidi& vm) {
  std::vector<uint32_t> out;
  for (const VMidiLogEntry& e : DeviceLog(vm))
    if (e.kind == kVmShort && e.device == 0) out.push_back(e.message);
  return out;
}

// Three notes on channel 1 at 120 quarters a minute, 480 ticks a quarter.
const std::vector<StepEvent> kShortSong = {E(60, 100, 240, 120), E(64, 90, 480, 240), E(67, 80, 240, 120)};
const std::vector<TickMsg> kShortSongNotes = {
    {1, M(0x90, 60, 100)}, {121, M(0x90, 60, 0)}, {241, M(0x90, 64, 90)},
    {481, M(0x90, 64, 0)}, {721, M(0x90, 67, 80)}, {841, M(0x90, 67, 0)},
};

// Eight half-second notes: long enough to stop or pause in the middle.
std::vector<StepEvent> LongSong() {
  std::vector<StepEvent> events;
  for (int i = 0; i < 8; ++i) events.push_back(E(static_cast<uint8_t>(60 + i), 100, 480, 240));
  return events;
}

class PlayCommandTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { started_ = StartInProcessShell(); }
  static void TearDownTestSuite() { g_engine = EngineEntries{}; }
  void SetUp() override {
    ASSERT_TRUE(started_);
    ASSERT_TRUE(vm_.Bind());
    saved_ = g_settings;
    std::strcpy(g_settings.applet, "zkpoly.dll");
    const int32_t outPorts[5] = {0, -1, -1, -1, 0};
    std::memcpy(g_settings.outPorts, outPorts, sizeof outPorts);
    g_settings.inPorts[0] = g_settings.inPorts[1] = -1;
    // Start and end commands show when and whether they run.
    g_settings.mmedia = 1;
    std::memset(g_settings.startMci, 0, sizeof g_settings.startMci);
    std::memset(g_settings.endMci, 0, sizeof g_settings.endMci);
    std::memset(g_settings.startRun, 0, sizeof g_settings.startRun);
    std::memset(g_settings.endRun, 0, sizeof g_settings.endRun);
    std::strcpy(g_settings.startMci[0], "play start.wav");
    std::strcpy(g_settings.endMci[0], "play end.wav");
    g_app.portsUnavailable = 0;
    g_play = PlayState{};
    g_engine = EngineEntries{};
    BindEngine();
    ASSERT_NE(g_engine.library, nullptr);
    SetUpPorts();
    g_start = StartRecord{};
    g_realSetStartTime0 = g_engine.setStartTime0;
    ASSERT_NE(g_realSetStartTime0, nullptr);
    g_engine.setStartTime0 = RecordingSetStartTime0;
    g_point = PointRecord{};
    g_realPointPlayExec = g_engine.pointPlayExec;
    ASSERT_NE(g_realPointPlayExec, nullptr);
    g_engine.pointPlayExec = RecordingPointPlayExec;
    bound_ = g_engine;
    vm_.LogClear();
  }
  void TearDown() override {
    // A test may have unbound the engine; its ports are still open.
    g_engine = bound_;
    if (g_engine.stopSeqPlay) g_engine.stopSeqPlay();
    RunLoopFor(50);
    ReleasePorts();
    if (g_engine.library) FreeLibrary(g_engine.library);
    g_engine = EngineEntries{};
    g_play = PlayState{};
    SetTrackOne({});
    if (g_openedEditor) SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(g_openedEditor), 0);
    g_openedEditor = nullptr;
    g_settings = saved_;
  }
  bool Playing() { return g_engine.checkPlaying && g_engine.checkPlaying() != 0; }

  VirtualMidi vm_;
  AppSettings saved_{};
  EngineEntries bound_{};
  static bool started_;
};
bool PlayCommandTest::started_ = false;

// The start command and the play key while stopped both play the song
// whole; the end of data brings back the stopped state.
class WholeSongTest : public PlayCommandTest, public ::testing::WithParamInterface<UINT> {};

TEST_P(WholeSongTest, PlaysEveryNoteAtItsTickThenStops) {
  SetTrackOne(kShortSong);
  g_play.recordingFlags = 4;
  g_play.holdFlag = 1;
  Command(GetParam());
  ASSERT_TRUE(Playing());
  EXPECT_EQ(g_play.recordingFlags, 0u);
  EXPECT_EQ(g_play.holdFlag, 0u);
  EXPECT_EQ(g_play.partialPlay, 0u);
  EXPECT_EQ(g_start.calls, 1);
  EXPECT_TRUE(g_start.tableIsCopy);
  EXPECT_TRUE(g_start.entriesMatch);
  EXPECT_EQ(g_start.trackCount, g_song.trackCount);
  EXPECT_EQ(g_start.time, 0);
  if (g_views.playPalette && g_settings.playPallet) {
    EXPECT_NE(g_play.positionTimer, 0u);
  }

  ASSERT_TRUE(RunLoopUntil([this] { return !Playing() && MciTexts(vm_).size() == 2; }));
  EXPECT_EQ(NoteMessages(vm_), kShortSongNotes);
  EXPECT_EQ(MciTexts(vm_), (std::vector<std::string>{"play start.wav", "play end.wav"}));
  EXPECT_EQ(g_play.positionTimer, 0u);
  EXPECT_FALSE(TakePlayEnded());
  // The engine freed the table it was handed.
  EXPECT_EQ(GlobalSize(g_start.table), 0u);
}

INSTANTIATE_TEST_SUITE_P(StartAndPlayKey, WholeSongTest, ::testing::Values(IDM_PLAY_START, IDM_PLAY_KEY));

TEST_F(PlayCommandTest, StartWhilePlayingChangesNothing) {
  SetTrackOne(kShortSong);
  Command(IDM_PLAY_START);
  ASSERT_TRUE(Playing());
  g_play.holdFlag = 1;
  Command(IDM_PLAY_START);
  Command(IDM_PLAY_KEY);
  EXPECT_EQ(g_start.calls, 1);
  EXPECT_EQ(g_play.holdFlag, 1u);
  ASSERT_TRUE(RunLoopUntil([this] { return !Playing() && MciTexts(vm_).size() == 2; }));
  EXPECT_EQ(NoteMessages(vm_), kShortSongNotes);
}

// Refusals: nothing starts, no start command runs, no flag changes.
struct Refusal {
  const char* name;
  std::function<void()> arrange;
};

class StartRefusalTest : public PlayCommandTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(StartRefusalTest, NothingStartsAndNothingChanges) {
  SetTrackOne(kShortSong);
  GetParam().arrange();
  g_play.recordingFlags = 4;
  g_play.holdFlag = 1;
  Command(IDM_PLAY_START);
  RunLoopFor(300);
  EXPECT_EQ(g_start.calls, 0);
  EXPECT_EQ(g_play.recordingFlags, 4u);
  EXPECT_EQ(g_play.holdFlag, 1u);
  EXPECT_EQ(g_play.positionTimer, 0u);
  EXPECT_TRUE(MciTexts(vm_).empty());
  EXPECT_EQ(NoteOns(vm_), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartRefusalTest,
    ::testing::Values(Refusal{"NoEngine", [] { g_engine = EngineEntries{}; }},
                      Refusal{"Busy", [] { g_play.busyFlag = 1; }},
                      Refusal{"PortsHeldElsewhere", [] { g_app.portsUnavailable = 1; }}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

TEST_F(PlayCommandTest, StopMidSongSendsTheStopSequenceAndRestoresTheStoppedState) {
  SetTrackOne(LongSong());
  Command(IDM_PLAY_START);
  ASSERT_TRUE(RunLoopUntil([this] { return NoteOns(vm_) >= 2; }));
  Command(IDM_PLAY_STOP);
  EXPECT_FALSE(Playing());
  EXPECT_EQ(g_play.positionTimer, 0u);
  const int played = NoteOns(vm_);
  EXPECT_LT(played, 8);
  // All notes off on every channel of the port, then no more notes.
  const std::vector<uint32_t> shorts = ImmediateShorts(vm_);
  for (uint32_t ch = 0; ch < 16; ++ch)
    EXPECT_NE(std::find(shorts.begin(), shorts.end(), M(0xB0 | ch, 123, 0)), shorts.end()) << ch;
  RunLoopFor(700);
  EXPECT_EQ(NoteOns(vm_), played);
  EXPECT_EQ(MciTexts(vm_), (std::vector<std::string>{"play start.wav", "play end.wav"}));
  EXPECT_EQ(GlobalSize(g_start.table), 0u);

  // Stop while stopped does nothing; a new start plays from the beginning.
  Command(IDM_PLAY_STOP);
  EXPECT_EQ(MciTexts(vm_).size(), 2u);
  vm_.LogClear();
  SetTrackOne(kShortSong);
  Command(IDM_PLAY_START);
  ASSERT_TRUE(RunLoopUntil([this] { return !Playing() && MciTexts(vm_).size() == 2; }));
  EXPECT_EQ(NoteMessages(vm_), kShortSongNotes);
}

TEST_F(PlayCommandTest, StopWhileBusyChangesNothing) {
  SetTrackOne(LongSong());
  Command(IDM_PLAY_START);
  ASSERT_TRUE(RunLoopUntil([this] { return NoteOns(vm_) >= 1; }));
  g_play.busyFlag = 1;
  Command(IDM_PLAY_STOP);
  EXPECT_TRUE(Playing());
  EXPECT_EQ(MciTexts(vm_).size(), 1u);
  g_play.busyFlag = 0;
  Command(IDM_PLAY_STOP);
  EXPECT_FALSE(Playing());
}

TEST_F(PlayCommandTest, PauseHoldsThePlayAndThePlayKeyResumesIt) {
  SetTrackOne(LongSong());
  Command(IDM_PLAY_START);
  ASSERT_TRUE(RunLoopUntil([this] { return NoteOns(vm_) >= 2; }));
  Command(IDM_PLAY_PAUSE);
  ASSERT_NE(g_engine.checkPauseing(), 0);
  const int notes = NoteOns(vm_);
  const int time = g_engine.getPlayTime();
  RunLoopFor(800);
  EXPECT_EQ(NoteOns(vm_), notes);
  EXPECT_EQ(g_engine.getPlayTime(), time);
  EXPECT_TRUE(Playing());
  // Pause is refused while busy: the play stays paused.
  g_play.busyFlag = 1;
  Command(IDM_PLAY_KEY);
  EXPECT_NE(g_engine.checkPauseing(), 0);
  g_play.busyFlag = 0;

  Command(IDM_PLAY_KEY);
  EXPECT_EQ(g_engine.checkPauseing(), 0);
  EXPECT_EQ(g_start.calls, 1);
  ASSERT_TRUE(RunLoopUntil([this] { return !Playing() && MciTexts(vm_).size() == 2; }));
  EXPECT_EQ(NoteOns(vm_), 8);
  EXPECT_GE(g_engine.getPlayTime(), time);
}

TEST_F(PlayCommandTest, PauseTwiceResumesAndPortsHeldElsewhereRefusePause) {
  SetTrackOne(LongSong());
  Command(IDM_PLAY_START);
  ASSERT_TRUE(RunLoopUntil([this] { return NoteOns(vm_) >= 1; }));
  g_app.portsUnavailable = 1;
  Command(IDM_PLAY_PAUSE);
  g_app.portsUnavailable = 0;
  EXPECT_EQ(g_engine.checkPauseing(), 0);
  Command(IDM_PLAY_PAUSE);
  EXPECT_NE(g_engine.checkPauseing(), 0);
  Command(IDM_PLAY_PAUSE);
  EXPECT_EQ(g_engine.checkPauseing(), 0);
  ASSERT_TRUE(RunLoopUntil([this] { return !Playing(); }));
  EXPECT_EQ(NoteOns(vm_), 8);
}

// A step editor of track 1 showing the track as it is now, active, with
// its caret on step-list row `row`.
HWND EditorOfTrackOne(int row) {
  HWND editor = StepEditorOfTrack(1);
  if (!editor) editor = g_openedEditor = CreateStepEditor(1, 0);
  StepEditorData* ed = GetStepEditorData(editor);
  if (!ed) return nullptr;
  ed->mode = kModeStepList;
  ed->indexValid = 1;
  if (!BuildTrackLineIndex(ed)) return nullptr;
  ed->topLine = 0;
  ed->caretRow = static_cast<int16_t>(row);
  SendMessageA(g_app.mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(editor), 0);
  return editor;
}

struct PointCase {
  const char* name;
  UINT command;
  int caretRow;  // lines 1-3 the notes, 4 the end event
  int event;
  int solo;
};

class PointPlayTest : public PlayCommandTest, public ::testing::WithParamInterface<PointCase> {};

TEST_P(PointPlayTest, PlaysFromTheEventUnderTheCaret) {
  SetTrackOne(kShortSong);
  ASSERT_NE(EditorOfTrackOne(GetParam().caretRow), nullptr);
  Command(GetParam().command);
  EXPECT_TRUE(Playing());
  EXPECT_EQ(g_point.calls, 1);
  EXPECT_EQ(g_point.event, GetParam().event);
  EXPECT_EQ(g_point.solo, GetParam().solo);
  EXPECT_EQ(g_point.track, 1);
  EXPECT_EQ(g_play.partialPlay, 0u);
  ASSERT_TRUE(RunLoopUntil([this] { return !Playing() && MciTexts(vm_).size() == 1; }));
  // No start commands for a point play; the end commands run at its end.
  EXPECT_EQ(MciTexts(vm_), std::vector<std::string>{"play end.wav"});
  EXPECT_EQ(NoteOns(vm_), 3);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PointPlayTest,
    ::testing::Values(PointCase{"AllTracks", IDM_PLAY_POINT, 2, 1, 0}, PointCase{"TrackAlone", IDM_PLAY_TRACK, 2, 1, 1},
                      PointCase{"EndEventPlaysTheLineBefore", IDM_PLAY_POINT, 4, 2, 0}),
    [](const ::testing::TestParamInfo<PointCase>& info) { return std::string(info.param.name); });

TEST_F(PlayCommandTest, PointPlayOnAnEmptyTrackRestoresTheStoppedState) {
  SetTrackOne({});
  ASSERT_NE(EditorOfTrackOne(1), nullptr);
  Command(IDM_PLAY_POINT);
  EXPECT_FALSE(Playing());
  EXPECT_EQ(g_point.calls, 0);
  EXPECT_EQ(MciTexts(vm_), std::vector<std::string>{"play end.wav"});
}

}  // namespace
