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
#include "boundengine.h"
#include "engine.h"
#include "inprocess.h"
#include "playcontrol.h"
#include "playstate.h"
#include "portsetup.h"
#include "programstate.h"
#include "resource.h"
#include "settings.h"
#include "shellprocess.h"
#include "songmodel.h"
#include "startup.h"
#include "lineindex.h"
#include "msgbox.h"
#include "stepeditdata.h"
#include "stepwnd.h"
#include "testsongs.h"
#include "testsupport.h"
#include "toolpalette.h"
#include "viewglobals.h"
#include "viewwindows.h"
#include "vwinmm.h"
#include "songcontext.h"

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
  int headerTempoOnly = -1;
  std::vector<StepEvent> trackBlock;  // what the copy's entry of the track held
  bool songEntryKept = false;         // the song's own table still names its block
};
PointRecord g_point;
zkengine::PointPlayExecFn g_realPointPlayExec = nullptr;

int WINAPI RecordingPointPlayExec(int a, int b, HGLOBAL table, int trackCount, int solo, int event, int track,
                                  int headerTempoOnly) {
  ++g_point.calls;
  g_point.solo = solo;
  g_point.event = event;
  g_point.track = track;
  g_point.headerTempoOnly = headerTempoOnly;
  if (const auto* t = static_cast<const SongHandleTable*>(GlobalLock(table))) {
    HGLOBAL block = t->h[TrackEventsEntry(track)];
    g_point.songEntryKept = block == SongEntry(TrackEventsEntry(track));
    if (const auto* ev = static_cast<const StepEvent*>(GlobalLock(block))) {
      g_point.trackBlock.assign(ev, ev + GlobalSize(block) / sizeof(StepEvent));
      GlobalUnlock(block);
    }
    GlobalUnlock(table);
  }
  return g_realPointPlayExec(a, b, table, trackCount, solo, event, track, headerTempoOnly);
}

// A step editor a test opened, closed again after it.
HWND g_openedEditor = nullptr;

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
    ASSERT_TRUE(engine_.Bind("zkpoly.dll", false));
    // Start and end commands show when and whether they run.
    g_settings.mmedia = 1;
    std::memset(g_settings.startMci, 0, sizeof g_settings.startMci);
    std::memset(g_settings.endMci, 0, sizeof g_settings.endMci);
    std::memset(g_settings.startRun, 0, sizeof g_settings.startRun);
    std::memset(g_settings.endRun, 0, sizeof g_settings.endRun);
    std::strcpy(g_settings.startMci[0], "play start.wav");
    std::strcpy(g_settings.endMci[0], "play end.wav");
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
    engine_.Release();
    SetTrackOne({});
    if (g_openedEditor) SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(g_openedEditor), 0);
    g_openedEditor = nullptr;
  }
  bool Playing() { return g_engine.checkPlaying && g_engine.checkPlaying() != 0; }

  BoundEngine engine_;
  VirtualMidi& vm_ = engine_.vm;
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
  // The playing state: play buttons off, the play button itself down.
  for (int button : {0, 1, 2, 3, 4, 5, 7, 11, 12}) EXPECT_EQ(ToolButtonState(button), 1) << button;
  EXPECT_EQ(ToolButtonState(8), 0);
  HMENU menu = GetMenu(g_app.frame);
  SendMessageA(g_app.frame, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
  EXPECT_TRUE(GetMenuState(menu, IDM_PLAY_START, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_FALSE(GetMenuState(menu, IDM_PLAY_STOP, MF_BYCOMMAND) & MF_GRAYED);

  ASSERT_TRUE(RunLoopUntil([this] { return !Playing() && MciTexts(vm_).size() == 2; }));
  RunLoopFor(50);
  for (int button : {0, 1, 2, 3, 4, 5, 7, 8, 11, 12}) EXPECT_EQ(ToolButtonState(button), 0) << button;
  SendMessageA(g_app.frame, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
  EXPECT_FALSE(GetMenuState(menu, IDM_PLAY_START, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_TRUE(GetMenuState(menu, IDM_PLAY_STOP, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_TRUE(IsWindow(g_app.frame));
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
  ed->viewMode = kModeStepList;
  ed->indexCurrent = 1;
  if (!BuildTrackLineIndex(*ed, OpenSongContext().get())) return nullptr;
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

// The step-list row whose line starts at the event (rows count from 1).
int RowOfEvent(HWND editor, int event) {
  const StepEditorData* ed = GetStepEditorData(editor);
  if (!ed) return 0;
  const auto* lines = static_cast<const LineEntry*>(GlobalLock(ed->lineTable));
  int row = 0;
  for (int line = 0; lines && line < ed->lineCount && !row; ++line)
    if (lines[line].firstEvent == static_cast<uint32_t>(event)) row = line + 1;
  GlobalUnlock(ed->lineTable);
  return row;
}

// Puts track 1's caret on the event's line.
HWND CaretOnEvent(int event) {
  HWND editor = EditorOfTrackOne(1);
  if (!editor) return nullptr;
  const int row = RowOfEvent(editor, event);
  if (!row) return nullptr;
  GetStepEditorData(editor)->caretRow = static_cast<int16_t>(row);
  return editor;
}

std::vector<int> NoteOnKeys(VirtualMidi& vm) {
  std::vector<int> keys;
  for (const TickMsg& m : NoteMessages(vm))
    if ((m.second & 0xF0) == 0x90 && (m.second >> 16) != 0) keys.push_back(static_cast<int>((m.second >> 8) & 0x7F));
  return keys;
}

// Three measures: 60 62 | 64 65 | 67, the first with a program and a volume.
const std::vector<StepEvent> kThreeMeasures = {
    E(0xEC, 0, 0, 5), E(0xEB, 90, 0, 7), E(60, 100, 240, 120), E(62, 100, 240, 120), E(0xFD),
    E(64, 100, 240, 120), E(65, 100, 240, 120), E(0xFD), E(67, 100, 240, 120), E(0xFD)};
constexpr int kMeasure2First = 5;
constexpr int kMeasure2End = 7;
constexpr int kMeasure3First = 8;

struct MeasureCase {
  const char* name;
  int caretEvent;
  std::vector<int> keys;
};

class MeasurePlayTest : public PlayCommandTest, public ::testing::WithParamInterface<MeasureCase> {};

TEST_P(MeasurePlayTest, PlaysTheCaretsMeasureAloneAndFreesItsBlock) {
  SetTrackOne(kThreeMeasures);
  ASSERT_NE(CaretOnEvent(GetParam().caretEvent), nullptr);
  Command(IDM_PLAY_MEASURE);
  ASSERT_TRUE(Playing());
  EXPECT_EQ(g_play.partialPlay, 1u);
  EXPECT_EQ(g_point.solo, 1);
  EXPECT_EQ(g_point.event, 0);
  EXPECT_EQ(g_point.headerTempoOnly, 1);
  // The engine got a block of the measure's own; the song keeps its block.
  EXPECT_FALSE(g_point.songEntryKept);
  ASSERT_FALSE(g_point.trackBlock.empty());
  EXPECT_EQ(g_point.trackBlock.back().code, 0xFE);
  HGLOBAL block = g_play.measurePlayBlock;
  ASSERT_NE(block, nullptr);
  ASSERT_TRUE(RunLoopUntil([this] { return !Playing() && !MciTexts(vm_).empty(); }));
  RunLoopFor(100);
  EXPECT_EQ(NoteOnKeys(vm_), GetParam().keys);
  EXPECT_EQ(g_play.measurePlayBlock, nullptr);
  EXPECT_EQ(GlobalSize(block), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MeasurePlayTest,
    ::testing::Values(MeasureCase{"SecondMeasure", kMeasure2First, {64, 65}},
                      MeasureCase{"LastNoteOfTheMeasure", kMeasure2First + 1, {64, 65}},
                      // A caret on a measure end takes that measure and the next.
                      MeasureCase{"OnAMeasureEnd", kMeasure2End, {64, 65, 67}}),
    [](const ::testing::TestParamInfo<MeasureCase>& info) { return std::string(info.param.name); });

TEST_F(PlayCommandTest, MeasurePlayEndsItsLastNoteWithAGateZeroCopy) {
  SetTrackOne(kThreeMeasures);
  ASSERT_NE(CaretOnEvent(kMeasure2First), nullptr);
  Command(IDM_PLAY_MEASURE);
  ASSERT_EQ(g_point.trackBlock.size(), 4u);
  EXPECT_EQ(g_point.trackBlock[0].code, 64);
  EXPECT_EQ(g_point.trackBlock[1].code, 65);
  EXPECT_EQ(g_point.trackBlock[2].code, 65);
  EXPECT_EQ(g_point.trackBlock[2].gate, 0);
  EXPECT_EQ(g_point.trackBlock[3].code, 0xFE);
  ASSERT_TRUE(RunLoopUntil([this] { return !Playing(); }));
}

TEST_F(PlayCommandTest, MeasurePlayOfAnEmptyTrackPlaysNothing) {
  SetTrackOne({});
  ASSERT_NE(EditorOfTrackOne(1), nullptr);
  Command(IDM_PLAY_MEASURE);
  EXPECT_FALSE(Playing());
  EXPECT_EQ(g_point.calls, 0);
  EXPECT_EQ(g_play.measurePlayBlock, nullptr);
  EXPECT_EQ(MciTexts(vm_), std::vector<std::string>{"play end.wav"});
}

TEST_F(PlayCommandTest, PointPlayChasesProgramAndControllersThenContinuesFromTheCaret) {
  SetTrackOne(kThreeMeasures);
  ASSERT_NE(CaretOnEvent(kMeasure3First), nullptr);
  Command(IDM_PLAY_POINT);
  ASSERT_TRUE(RunLoopUntil([this] { return !Playing() && !MciTexts(vm_).empty(); }));
  const std::vector<uint32_t> shorts = ImmediateShorts(vm_);
  ASSERT_GE(shorts.size(), 4u);
  EXPECT_EQ(shorts[0], M(0xC0, 5));
  EXPECT_EQ(shorts[1], M(0xB0, 7, 90));
  EXPECT_EQ(shorts[2] & 0xFF, 0xF2u);
  EXPECT_GT(shorts[2] >> 8, 0u);
  EXPECT_EQ(shorts[3], 0xFBu);
  EXPECT_EQ(NoteOnKeys(vm_), std::vector<int>{67});
}

TEST_F(PlayCommandTest, PreviewPlaysThePartAloneWithItsReferencesAsMeasureEnds) {
  SetTrackOne(kThreeMeasures);
  HWND editor = EditorOfTrackOne(1);
  ASSERT_NE(editor, nullptr);
  const std::vector<StepEvent> part = {E(70, 100, 240, 120), E(0xFD), E(0xFC, 0, 0, 48), E(72, 100, 240, 120),
                                       E(0xFE)};
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, part.size() * sizeof(StepEvent));
  std::memcpy(GlobalLock(block), part.data(), part.size() * sizeof(StepEvent));
  GlobalUnlock(block);

  ASSERT_EQ(PreviewPlay(editor, block), 1);
  EXPECT_EQ(g_play.partialPlay, 1u);
  EXPECT_EQ(g_point.solo, 1);
  EXPECT_EQ(g_point.headerTempoOnly, 1);
  EXPECT_FALSE(g_point.songEntryKept);
  // A preview runs no start commands and changes no song data.
  EXPECT_TRUE(MciTexts(vm_).empty());
  ASSERT_TRUE(RunLoopUntil([this] { return !Playing(); }));
  RunLoopFor(100);
  EXPECT_EQ(NoteOnKeys(vm_), (std::vector<int>{70, 72}));
  const auto* after = static_cast<const StepEvent*>(GlobalLock(block));
  EXPECT_EQ(after[2].code, 0xFD);
  GlobalUnlock(block);
  // The part's block is the dialog's: still there after the play.
  EXPECT_NE(GlobalSize(block), 0u);
  GlobalFree(block);
}

TEST_F(PlayCommandTest, PreviewIsRefusedWhileASongPlays) {
  SetTrackOne(LongSong());
  HWND editor = EditorOfTrackOne(1);
  ASSERT_NE(editor, nullptr);
  Command(IDM_PLAY_START);
  ASSERT_TRUE(Playing());
  const std::vector<StepEvent> part = {E(70, 100, 240, 120), E(0xFE)};
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, part.size() * sizeof(StepEvent));
  std::memcpy(GlobalLock(block), part.data(), part.size() * sizeof(StepEvent));
  GlobalUnlock(block);
  EXPECT_EQ(PreviewPlay(editor, block), 0);
  EXPECT_EQ(g_point.calls, 0);
  EXPECT_EQ(g_play.partialPlay, 0u);
  Command(IDM_PLAY_STOP);
  GlobalFree(block);
}

// Start and end commands by the multimedia switch and the play filter: MCI
// texts reach the device, command lines leave a file behind.
struct CommandCase {
  const char* name;
  int32_t mmedia;
  uint32_t filter;
  bool mci;
  bool run;
};

class PlayCommandsTest : public PlayCommandTest, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(PlayCommandsTest, RunAsTheSwitchAndTheFilterSay) {
  TempDir dir;
  const std::string startFile = dir.File("start.txt"), endFile = dir.File("end.txt");
  std::snprintf(g_settings.startRun[0], kPathTextSize, "cmd.exe /c echo start> \"%s\"", startFile.c_str());
  std::snprintf(g_settings.endRun[2], kPathTextSize, "cmd.exe /c echo end> \"%s\"", endFile.c_str());
  std::strcpy(g_settings.startMci[3], "open cue.wav");
  g_settings.mmedia = GetParam().mmedia;
  g_play.playFilter = GetParam().filter;
  SetTrackOne(kShortSong);
  Command(IDM_PLAY_START);
  ASSERT_TRUE(RunLoopUntil([this] { return !Playing(); }));
  std::vector<std::string> mci;
  if (GetParam().mci) mci = {"play start.wav", "open cue.wav", "play end.wav"};
  EXPECT_EQ(MciTexts(vm_), mci);
  // The command lines run by themselves; give them time to write.
  const bool both = RunLoopUntil([&] { return FileExists(startFile) && FileExists(endFile); }, GetParam().run ? 10000 : 1500);
  EXPECT_EQ(both, GetParam().run);
  EXPECT_EQ(FileExists(startFile), GetParam().run);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlayCommandsTest,
    ::testing::Values(CommandCase{"SwitchOff", 0, 0, false, false}, CommandCase{"SwitchOn", 1, 0, true, true},
                      CommandCase{"NoMci", 1, 0x8000, false, true}, CommandCase{"NoCommandLines", 1, 0x4000, true, false},
                      CommandCase{"Neither", 1, 0xC000, false, false}),
    [](const ::testing::TestParamInfo<CommandCase>& info) { return std::string(info.param.name); });

// Where a play stands, in milliseconds.
int PlayTime() { return g_engine.getPlayTime ? g_engine.getPlayTime() : -1; }

TEST_F(PlayCommandTest, AMarkerStoredDuringPlayJumpsBackThroughAHold) {
  SetTrackOne(LongSong());
  g_song.markers[0] = 0;
  Command(IDM_PLAY_START);
  ASSERT_TRUE(RunLoopUntil([this] { return NoteOns(vm_) >= 2; }));
  Command(2380);
  const uint32_t stored = g_song.markers[0];
  ASSERT_GT(stored, 1u);
  ASSERT_TRUE(RunLoopUntil([this] { return NoteOns(vm_) >= 6; }));
  const int before = NoteOns(vm_);
  Command(2380);
  EXPECT_EQ(g_play.seekPending, 1);
  EXPECT_EQ(g_play.seekTarget, static_cast<int32_t>(stored));
  // A second press before the hold is reached starts no second jump.
  Command(2380);
  ASSERT_TRUE(RunLoopUntil([] { return g_play.seekPending == 0; }));
  EXPECT_EQ(g_play.holdReached, 1);
  EXPECT_LT(PlayTime(), static_cast<int>(stored) + 400);
  ASSERT_TRUE(RunLoopUntil([this] { return !Playing(); }, 15000));
  // The notes after the marker sound again.
  EXPECT_GE(NoteOns(vm_), 8 + (8 - before) - 1);
  EXPECT_EQ(g_song.markers[0], stored);
  g_song.markers[0] = 0;
}

struct MarkerRefusal {
  const char* name;
  std::function<void()> arrange;  // run after the start
  bool start;
};

class MarkerRefusalTest : public PlayCommandTest, public ::testing::WithParamInterface<MarkerRefusal> {};

TEST_P(MarkerRefusalTest, MarkersDoNothing) {
  SetTrackOne(LongSong());
  g_song.markers[1] = 0;
  if (GetParam().start) {
    Command(IDM_PLAY_START);
    ASSERT_TRUE(RunLoopUntil([this] { return NoteOns(vm_) >= 1; }));
  }
  GetParam().arrange();
  Command(2381);
  EXPECT_EQ(g_song.markers[1], 0u);
  g_song.markers[1] = 500;
  Command(2381);
  EXPECT_EQ(g_play.seekPending, 0);
  EXPECT_EQ(g_song.markers[1], 500u);
  g_song.markers[1] = 0;
  g_play.recordingFlags = 0;
  g_play.syncMode = 0;
  g_play.partialPlay = 0;
  Command(IDM_PLAY_STOP);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MarkerRefusalTest,
    ::testing::Values(MarkerRefusal{"Stopped", [] {}, false},
                      MarkerRefusal{"Recording", [] { g_play.recordingFlags = 1; }, true},
                      MarkerRefusal{"ExternalSync", [] { g_play.syncMode = 1; }, true},
                      MarkerRefusal{"PartialPlay", [] { g_play.partialPlay = 1; }, true}),
    [](const ::testing::TestParamInfo<MarkerRefusal>& info) { return std::string(info.param.name); });

// MIDI step input forwarding restarts at the end of a play in a MIDI mode.
std::vector<int> g_inputStarts;
int WINAPI RecordStartInput(int mode) {
  g_inputStarts.push_back(mode);
  return 1;
}

struct InputCase {
  const char* name;
  int32_t mode;
  std::vector<int> starts;
};

class InputRestartTest : public PlayCommandTest, public ::testing::WithParamInterface<InputCase> {};

TEST_P(InputRestartTest, ForwardingRestartsInMidiModesOnly) {
  g_inputStarts.clear();
  g_engine.startMIDIInPort = RecordStartInput;
  g_settings.stepInputMode = GetParam().mode;
  SetTrackOne(kShortSong);
  Command(IDM_PLAY_START);
  ASSERT_TRUE(RunLoopUntil([this] { return !Playing(); }));
  RunLoopFor(200);
  EXPECT_EQ(g_inputStarts, GetParam().starts);
}

INSTANTIATE_TEST_SUITE_P(Cases, InputRestartTest,
                         ::testing::Values(InputCase{"Normal", 0, {}}, InputCase{"Sound1", 2, {}},
                                           // The full mode, the EDIT bit included.
                                           InputCase{"MidiPolyEdit", 9, {9}}, InputCase{"MidiFKey", 10, {10}}),
                         [](const ::testing::TestParamInfo<InputCase>& info) { return std::string(info.param.name); });

// The position timer on the play palette, counted through a subclass.
int g_positionTicks = 0;
WNDPROC g_paletteProc = nullptr;
LRESULT CALLBACK CountingPaletteProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kPositionTimerId) ++g_positionTicks;
  return CallWindowProcA(g_paletteProc, window, message, wParam, lParam);
}

struct TimerCase {
  const char* name;
  int32_t playPallet;
  int32_t playTimer;
  int minTicks;
  int maxTicks;
};

class PositionTimerTest : public PlayCommandTest, public ::testing::WithParamInterface<TimerCase> {};

TEST_P(PositionTimerTest, TicksAsThePaletteSwitchAndTheSpeedSay) {
  HWND palette = g_views.playPalette;
  ASSERT_NE(palette, nullptr);
  g_settings.playPallet = GetParam().playPallet;
  g_settings.playTimer = GetParam().playTimer;
  g_positionTicks = 0;
  g_paletteProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(palette, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingPaletteProc)));
  SetTrackOne(LongSong());
  Command(IDM_PLAY_START);
  EXPECT_EQ(g_play.positionTimer != 0, GetParam().playPallet != 0);
  RunLoopFor(2000);
  const int ticks = g_positionTicks;
  Command(IDM_PLAY_STOP);
  EXPECT_EQ(g_play.positionTimer, 0u);
  RunLoopFor(600);
  SetWindowLongPtrA(palette, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_paletteProc));
  EXPECT_GE(ticks, GetParam().minTicks);
  EXPECT_LE(ticks, GetParam().maxTicks);
  // None after the stop.
  EXPECT_EQ(g_positionTicks, ticks);
}

INSTANTIATE_TEST_SUITE_P(Cases, PositionTimerTest,
                         ::testing::Values(TimerCase{"Fast", 1, 1, 10, 21}, TimerCase{"Slow", 1, 0, 2, 5},
                                           TimerCase{"NoPalette", 0, 1, 0, 0}),
                         [](const ::testing::TestParamInfo<TimerCase>& info) { return std::string(info.param.name); });

std::string WindowText(HWND window) {
  char text[64] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

TEST_F(PlayCommandTest, TheConductorShowsTheTempoAsItPlaysAndTheSongsTempoAfter) {
  HWND tempo = ConductorField(2);
  ASSERT_NE(tempo, nullptr) << "the shell opens the conductor at start";
  const auto* header = static_cast<const SongHeader*>(GlobalLock(SongEntry(kHeaderEntry)));
  ASSERT_NE(header, nullptr);
  char songTempo[16];
  std::snprintf(songTempo, sizeof songTempo, "%3d", header->tempo);
  GlobalUnlock(SongEntry(kHeaderEntry));
  // Twice the song's tempo after the first note.
  std::vector<StepEvent> events = LongSong();
  events.insert(events.begin() + 1, E(0xE7, 0, 0, 128));
  SetTrackOne(events);
  SetWindowTextA(tempo, "");
  Command(IDM_PLAY_START);
  ASSERT_TRUE(RunLoopUntil([&] { return !WindowText(tempo).empty() && WindowText(tempo) != songTempo; }, 3000))
      << "\"" << WindowText(tempo) << "\"";
  EXPECT_TRUE(Playing());
  Command(IDM_PLAY_STOP);
  EXPECT_EQ(WindowText(tempo), songTempo);
}

TEST_F(PlayCommandTest, ScreenshotsOfTheMainWindowWhilePlaying) {
  SetTrackOne(LongSong());
  HWND editor = EditorOfTrackOne(3);
  ASSERT_NE(editor, nullptr);
  ASSERT_NE(g_views.playPalette, nullptr);
  UpdateSongSize(g_app.frame);
  ShowWindow(g_app.frame, SW_SHOWNORMAL);
  // Raised after the frame is shown: with no window manager the screen
  // keeps the last window shown on top, and the palette belongs above it.
  ShowWindow(g_views.playPalette, SW_SHOWNOACTIVATE);
  SetWindowPos(g_views.playPalette, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Command(IDM_PLAY_START);
  ASSERT_TRUE(RunLoopUntil([this] { return NoteOns(vm_) >= 2; }));
  ASSERT_TRUE(IsWindowVisible(g_views.playPalette));
  RedrawWindow(g_app.frame, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RedrawWindow(g_views.playPalette, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
  EXPECT_TRUE(SaveScreenshot(g_app.frame, OutputFolder() + "\\play-playing.bmp"));
  EXPECT_TRUE(SaveScreenshot(g_views.playPalette, OutputFolder() + "\\play-palette.bmp"));
  Command(IDM_PLAY_STOP);
  RunLoopFor(100);
  EXPECT_TRUE(SaveScreenshot(g_app.frame, OutputFolder() + "\\play-stopped.bmp"));
}

// Sets or clears a track's record bit; returns the old mode byte.
uint8_t SetRecordTrack(int n, bool records) {
  HGLOBAL h = SongEntry(TrackHeaderEntry(n));
  auto* th = static_cast<TrackHeader*>(GlobalLock(h));
  const uint8_t old = th->mode;
  th->mode = records ? static_cast<uint8_t>(old | 0x02) : static_cast<uint8_t>(old & ~0x06);
  GlobalUnlock(h);
  return old;
}

void RestoreMode(int n, uint8_t mode) {
  HGLOBAL h = SongEntry(TrackHeaderEntry(n));
  static_cast<TrackHeader*>(GlobalLock(h))->mode = mode;
  GlobalUnlock(h);
}

// The metronome's clicks: velocities of the note-ons of key 37 on channel 10.
std::vector<int> MetronomeClicks(VirtualMidi& vm) {
  std::vector<int> clicks;
  for (const TickMsg& m : StreamShorts(DeviceLog(vm), 0))
    if ((m.second & 0xFF) == 0x99 && ((m.second >> 8) & 0x7F) == 37 && (m.second >> 16) != 0)
      clicks.push_back(static_cast<int>(m.second >> 16));
  return clicks;
}

std::vector<UINT> g_boxes;
int RecordBox(const MessageBoxCall& call) {
  g_boxes.push_back(call.stringId);
  return IDOK;
}

TEST_F(PlayCommandTest, RecordingPlaysTheSongWithTheMetronomeAndLetsTheBuffersGoAtTheStop) {
  SetTrackOne(LongSong());
  const uint8_t mode = SetRecordTrack(2, true);
  Command(2354);
  ASSERT_TRUE(Playing());
  EXPECT_EQ(g_play.recordingFlags, 0x5u);  // recording, metronome
  EXPECT_NE(g_play.recordBufferA, nullptr);
  EXPECT_NE(g_play.recordBufferB, nullptr);
  EXPECT_EQ(g_point.track, 1);   // the measure track
  EXPECT_EQ(g_point.solo, 0);
  // The record button is down, not the play button.
  EXPECT_EQ(ToolButtonState(8), 1);
  EXPECT_EQ(ToolButtonState(7), 0);
  ASSERT_TRUE(RunLoopUntil([this] { return MetronomeClicks(vm_).size() >= 3; }, 4000));
  const std::vector<int> clicks = MetronomeClicks(vm_);
  EXPECT_EQ(clicks[0], 120);  // the accent first
  EXPECT_EQ(clicks[1], 64);
  EXPECT_EQ(clicks[2], 64);
  EXPECT_GE(NoteOns(vm_), 1);  // the song plays under it

  // A second start while recording changes nothing.
  HGLOBAL buffer = g_play.recordBufferA;
  Command(2354);
  EXPECT_EQ(g_play.recordBufferA, buffer);

  Command(IDM_PLAY_STOP);
  EXPECT_FALSE(Playing());
  EXPECT_EQ(g_play.recordingFlags, 0u);
  EXPECT_EQ(g_play.recordBufferA, nullptr);
  EXPECT_EQ(g_play.recordBufferB, nullptr);
  EXPECT_EQ(g_play.metronomeEvents, nullptr);
  RestoreMode(2, mode);
}

TEST_F(PlayCommandTest, RecordingWithoutARecordTrackSaysSoAndStartsNothing) {
  SetTrackOne(LongSong());
  const uint8_t mode1 = SetRecordTrack(1, false), mode2 = SetRecordTrack(2, false);
  g_boxes.clear();
  SetMessageBoxHook(RecordBox);
  Command(2354);
  SetMessageBoxHook(nullptr);
  EXPECT_FALSE(Playing());
  EXPECT_EQ(g_boxes, std::vector<UINT>{1937});
  EXPECT_EQ(g_point.calls, 0);
  EXPECT_EQ(g_play.recordingFlags, 0u);
  EXPECT_EQ(g_play.recordBufferA, nullptr);
  RestoreMode(1, mode1);
  RestoreMode(2, mode2);
}

// SetPlayMode's arguments as the engine got them.
std::vector<int> g_modeArgs;
zkengine::SetPlayModeFn g_realSetPlayMode = nullptr;
int WINAPI RecordingSetPlayMode(int a1, int a2, int a3, int a4, int a5, int a6, int a7, int a8, int a9, int a10,
                                int a11, int a12, int a13, int a14, int a15, int a16) {
  g_modeArgs = {a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15, a16};
  return g_realSetPlayMode(a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15, a16);
}

TEST_F(PlayCommandTest, RecordingFromALaterMeasureCountsThePunchPointsFromThePlayStart) {
  // Measures of 1,920 ticks (a whole note each at 480).
  std::vector<StepEvent> bars;
  for (int m = 0; m < 6; ++m) {
    bars.push_back(E(60, 100, 1920, 100));
    bars.push_back(E(0xFD));
  }
  SetTrackOne(bars);
  const uint8_t mode = SetRecordTrack(2, true);
  const RecordSettings saved = g_play.record;
  g_play.record.playStartMeasure = 2;
  g_play.record.punchInMeasure = 3;
  g_play.record.punchOutMeasure = 4;
  g_play.record.metronome = false;
  g_realSetPlayMode = g_engine.setPlayMode;
  g_engine.setPlayMode = RecordingSetPlayMode;
  Command(2354);
  ASSERT_TRUE(Playing());
  ASSERT_EQ(g_modeArgs.size(), 16u);
  EXPECT_EQ(g_modeArgs[0], 0x1);     // recording, no metronome, no key-on start
  EXPECT_EQ(g_modeArgs[7], 1920);    // punch-in: one measure after the play start
  EXPECT_EQ(g_modeArgs[8], 5760);    // punch-out: the end of measure 4, from the play start
  EXPECT_EQ(g_point.event, 2);       // the play starts at measure 2's first event
  EXPECT_EQ(g_point.solo, 0);
  Command(IDM_PLAY_STOP);
  g_play.record = saved;
  RestoreMode(2, mode);
}

}  // namespace
