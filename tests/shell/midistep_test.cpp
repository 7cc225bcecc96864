// MIDI step input in the program running in the test process: the step input
// mode commands, notes from the virtual MIDI input through the engine into
// the active step editor, and the piano palette's notes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "appglobals.h"
#include "boundengine.h"
#include "engine.h"
#include "inprocess.h"
#include "midistepinput.h"
#include "playstate.h"
#include "programstate.h"
#include "resource.h"
#include "settings.h"
#include "songmodel.h"
#include "stepeditdata.h"
#include "stepinput.h"
#include "stepwnd.h"
#include "testsongs.h"
#include "testsupport.h"
#include "windownav.h"
#include "zk/messages.h"

namespace {

using Events = std::vector<StepEvent>;

constexpr UINT kNormal = 2745, kSound1 = 2746, kMono = 2748, kPoly = 2749, kFKey = 2750;

// Track 2: a note with a step above the caret, then four lines to fill.
const Events kTrackTwo = {E(50, 90, 96, 80), E(0, 70, 10, 5), E(0, 71, 10, 5), E(0, 72, 10, 5), E(0, 73, 10, 5)};

class StepEditorFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartInProcessShell());
    saved_ = g_settings;
    Events events = kTrackTwo;
    events.push_back(EndEvent());
    ReplaceTrackEvents(2, events);
    ASSERT_EQ(OpenTrackEditorFromLog(nullptr, 2, 1), 1);
    editor_ = StepEditorOfTrack(2);
    ASSERT_NE(editor_, nullptr);
    ASSERT_EQ(g_prog.currentStep, editor_);
    g_settings.midiInSkipEvent = 1;
    g_settings.midiInVelocity = 0;
    g_settings.stepInputMode = 0;
    ClearHeldKeys();
  }
  void TearDown() override {
    if (HWND e = StepEditorOfTrack(2)) SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(e), 0);
    ReplaceTrackEvents(2, {EndEvent()});
    ClearSongModified();
    ClearHeldKeys();
    g_settings = saved_;
  }
  // Events 1-4, the lines under the caret.
  Events Lines() {
    Events all = TrackEventsOf(2);
    return Events(all.begin() + 1, all.end());
  }
  HWND editor_ = nullptr;
  AppSettings saved_{};
};

// Notes from the virtual device through the stream engine.
class MidiStepInputTest : public StepEditorFixture {
 protected:
  void SetUp() override {
    StepEditorFixture::SetUp();
    ASSERT_TRUE(engine_.Bind("zkpoly.dll"));
    g_settings.midiInSkipEvent = 1;
    g_settings.midiInVelocity = 0;
  }
  void TearDown() override {
    engine_.Release();
    StepEditorFixture::TearDown();
  }
  void Play(std::initializer_list<uint32_t> messages) {
    for (uint32_t m : messages) ASSERT_TRUE(engine_.vm.Inject(0, m, 0));
  }
  BoundEngine engine_;
};

TEST_F(MidiStepInputTest, PolyEntersTheChordWhenItsFirstKeyIsReleased) {
  Command(kSound1);
  Command(kPoly);
  ASSERT_EQ(g_settings.stepInputMode, 9) << "EDIT: the editor's events are contiguous";
  Play({M(0x90, 60, 100), M(0x90, 64, 100), M(0x90, 67, 100), M(0x80, 64, 0)});
  ASSERT_TRUE(RunLoopUntil([this] { return Lines()[2].code == 67; }, 3000)) << ShowEvents(Lines());
  // C and E sound with G; G takes the step and gate of the note above.
  EXPECT_EQ(ShowEvents(Lines()), ShowEvents({E(60, 70, 0, 5), E(64, 71, 0, 5), E(67, 72, 96, 80), E(0, 73, 10, 5)}));
  const StepEditorData* ed = GetStepEditorData(editor_);
  EXPECT_EQ(ed->topLine + ed->caretRow - 1, 4) << "the caret moves on past each note";
  Play({M(0x80, 60, 0), M(0x90, 67, 0)});
  RunLoopFor(300);
  EXPECT_EQ(Lines()[3].code, 0) << "keys released after the chord enter nothing";
}

TEST_F(MidiStepInputTest, MonoEntersSingleNotesAndIgnoresReleases) {
  Command(kMono);
  Play({M(0x90, 62, 100), M(0x80, 62, 0), M(0x90, 63, 0)});
  ASSERT_TRUE(RunLoopUntil([this] { return Lines()[0].code == 62; }, 3000));
  RunLoopFor(200);
  EXPECT_EQ(ShowEvents(Lines()), ShowEvents({E(62, 70, 10, 5), E(0, 71, 10, 5), E(0, 72, 10, 5), E(0, 73, 10, 5)}));
  Play({M(0x90, 65, 90)});
  ASSERT_TRUE(RunLoopUntil([this] { return Lines()[1].code == 65; }, 3000)) << ShowEvents(Lines());
  EXPECT_EQ(Lines()[1].vel, 71) << "MIDIinVelocity off keeps the line's velocity";
}

TEST_F(MidiStepInputTest, KeyAndVelocityAreReadAsSevenBitValues) {
  Command(kMono);
  g_settings.midiInVelocity = 1;
  // Out-of-range bytes as a faulty device might send them.
  PostMessageA(g_app.frame, WM_ZK_MIDIINPUT, 0, 0x90 | 0xBC << 8 | 0xE4 << 16);
  ASSERT_TRUE(RunLoopUntil([this] { return Lines()[0].code != 0; }, 3000));
  EXPECT_EQ(Lines()[0].code, 60);
  EXPECT_EQ(Lines()[0].vel, 100);
  Command(kPoly);
  PostMessageA(g_app.frame, WM_ZK_MIDIINPUT, 0, 0x90 | 0xC8 << 8 | 0x85 << 16);
  RunLoopFor(100);
  EXPECT_EQ(HeldKeyTable()[72], 5);
}

TEST_F(MidiStepInputTest, NothingGoesInDuringAPlayOrInNormal) {
  Command(kNormal);
  PostMessageA(g_app.frame, WM_ZK_MIDIINPUT, 0, M(0x90, 60, 100));
  RunLoopFor(100);
  EXPECT_EQ(ShowEvents(Lines()), ShowEvents(Events(kTrackTwo.begin() + 1, kTrackTwo.end())));

  Command(kPoly);
  Events song;
  for (int i = 0; i < 8; ++i) song.push_back(E(static_cast<uint8_t>(60 + i), 100, 480, 240));
  song.push_back(EndEvent());
  ReplaceTrackEvents(1, song);
  Command(IDM_PLAY_START);
  ASSERT_TRUE(engine_.Playing());
  Play({M(0x90, 60, 100), M(0x80, 60, 0)});
  PostMessageA(g_app.frame, WM_ZK_MIDIINPUT, 0, M(0x90, 62, 100));
  PostMessageA(g_app.frame, WM_ZK_MIDIINPUT, 0, M(0x80, 62, 0));
  RunLoopFor(300);
  Command(IDM_PLAY_STOP);
  ReplaceTrackEvents(1, {EndEvent()});
  EXPECT_EQ(ShowEvents(Lines()), ShowEvents(Events(kTrackTwo.begin() + 1, kTrackTwo.end())));
  for (int k = 0; k < kHeldKeyCount; ++k) EXPECT_EQ(HeldKeyTable()[k], 0) << k;
}

TEST_F(MidiStepInputTest, FunctionKeyModeTakesTheEnginesHeldKeys) {
  Command(kFKey);
  Play({M(0x90, 62, 80)});
  ASSERT_TRUE(RunLoopUntil([] { return HeldKeyTable()[62] != 0; }, 3000));
  EXPECT_EQ(HeldKeyTable()[62], 80);
  Play({M(0x80, 62, 0)});
  ASSERT_TRUE(RunLoopUntil([] { return HeldKeyTable()[62] == 0; }, 3000));
  EXPECT_EQ(ShowEvents(Lines()), ShowEvents(Events(kTrackTwo.begin() + 1, kTrackTwo.end()))) << "held keys only";
}

// The forwarding calls the mode commands make, recorded in place of the
// engine's.
std::vector<std::string> g_calls;
int WINAPI RecordStart(int mode) {
  g_calls.push_back("start " + std::to_string(mode));
  return 1;
}
int WINAPI RecordStop() {
  g_calls.push_back("stop");
  return 1;
}
int WINAPI RecordThru(int mode, int port, int channel, int realTime) {
  g_calls.push_back("thru " + std::to_string(mode) + " " + std::to_string(port) + " " + std::to_string(channel) +
                    " " + std::to_string(realTime));
  return mode;
}

class StepInputModeTest : public StepEditorFixture {
 protected:
  void SetUp() override {
    StepEditorFixture::SetUp();
    saved_engine_ = g_engine;
    g_engine = EngineEntries{};
    g_engine.startMIDIInPort = RecordStart;
    g_engine.stopMIDIInPort = RecordStop;
    g_engine.thruAssign = RecordThru;
    g_app.portsUnavailable = 0;
    g_settings.midiThruWord = 2;
    g_settings.midiRecPortWord = 1;
    g_settings.realTime = 1;
    HGLOBAL h = SongEntry(TrackHeaderEntry(2));
    static_cast<TrackHeader*>(GlobalLock(h))->channel = 5;
    GlobalUnlock(h);
    g_calls.clear();
  }
  void TearDown() override {
    g_engine = saved_engine_;
    g_app.portsUnavailable = 0;
    StepEditorFixture::TearDown();
  }
  EngineEntries saved_engine_{};
};

TEST_F(StepInputModeTest, EnteringTheMidiModesStartsForwardingAndLeavingStopsIt) {
  g_settings.stepInputMode = 2;
  Command(kPoly);
  EXPECT_EQ(g_settings.stepInputMode, 9);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"start 8", "thru 2 1 5 1"}));
  Command(kMono);
  EXPECT_EQ(g_settings.stepInputMode, 7);
  EXPECT_EQ(g_calls.size(), 2u) << "Poly to Mono neither stops nor restarts";
  Command(kNormal);
  EXPECT_EQ(g_settings.stepInputMode, 1);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"start 8", "thru 2 1 5 1", "stop"}));
}

TEST_F(StepInputModeTest, TheModeTakesTheEditorsEditBitAndClearsHeldKeys) {
  // The mode word starts at 0; the contiguous editor gives the low bit.
  HeldKeyTable()[40] = 90;
  Command(kFKey);
  EXPECT_EQ(g_settings.stepInputMode, 11);
  EXPECT_EQ(HeldKeyTable()[40], 0);
  EXPECT_EQ(g_calls.front(), "start 10");
}

TEST_F(StepInputModeTest, NoCallsWithoutAnEngineOrWithThePortsHeld) {
  g_app.portsUnavailable = 1;
  Command(kPoly);
  Command(kNormal);
  EXPECT_TRUE(g_calls.empty());
  g_app.portsUnavailable = 0;
  g_engine = EngineEntries{};
  Command(kPoly);
  EXPECT_EQ(g_settings.stepInputMode, 9);
  Command(kNormal);
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(StepInputModeTest, TheSavedRhythmInputGoesBackIntoTheEditorOnce) {
  StepEditorData* ed = GetStepEditorData(editor_);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kRhythmInputValues * sizeof(int32_t));
  ASSERT_NE(block, nullptr);
  auto* values = static_cast<int32_t*>(GlobalLock(block));
  for (int i = 0; i < kRhythmInputValues; ++i) values[i] = 10 + i;
  GlobalUnlock(block);
  ed->rhythmFieldBlock = block;
  SaveRhythmInputState(editor_, 1, 1);
  EXPECT_EQ(SavedRhythmInputState()[0], 0) << "a step list keeps nothing";
  ed->viewMode = kModeRhythmGrid;
  SaveRhythmInputState(editor_, 1, 1);
  EXPECT_EQ(SavedRhythmInputState()[6], 16);
  values = static_cast<int32_t*>(GlobalLock(block));
  for (int i = 0; i < kRhythmInputValues; ++i) values[i] = 0;
  GlobalUnlock(block);
  SaveRhythmInputState(editor_, 0, 0);
  values = static_cast<int32_t*>(GlobalLock(block));
  EXPECT_EQ(values[3], 13);
  GlobalUnlock(block);
  EXPECT_EQ(SavedRhythmInputState()[3], 0);
  ed->viewMode = kModeStepList;
  ed->rhythmFieldBlock = nullptr;
  GlobalFree(block);
}

// The piano palette's notes by mode and velocity.
struct PaletteCase {
  const char* name;
  int mode;
  std::vector<int> heldBefore;  // keys held with velocity 255
  int velocity;
  int lineKey;                  // key on the caret line afterwards
  std::vector<int> heldAfter;
};

class PaletteInputTest : public StepEditorFixture, public ::testing::WithParamInterface<PaletteCase> {};

TEST_P(PaletteInputTest, NotesGoInByTheStepInputMode) {
  const PaletteCase& c = GetParam();
  g_settings.stepInputMode = c.mode;
  for (int k : c.heldBefore) HeldKeyTable()[k] = kHeldNoVelocity;
  ApplyStepInputMode(60, c.velocity);
  EXPECT_EQ(Lines()[0].code, c.lineKey);
  std::vector<int> held;
  for (int k = 0; k < kHeldKeyCount; ++k)
    if (HeldKeyTable()[k]) held.push_back(k);
  EXPECT_EQ(held, c.heldAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, PaletteInputTest,
    ::testing::Values(PaletteCase{"Normal", 0, {}, 100, 0, {}}, PaletteCase{"MonoNote", 6, {}, 100, 60, {}},
                      PaletteCase{"MonoRelease", 7, {}, 0, 0, {}},
                      PaletteCase{"PolyHolds", 8, {}, 100, 0, {60}},
                      PaletteCase{"PolyReleaseOnlyClears", 8, {50, 60}, 0, 0, {50}},
                      PaletteCase{"FKeyHolds", 10, {50}, 100, 0, {50, 60}},
                      PaletteCase{"FKeyVelocityTwoClearsAbove", 10, {50, 61, 70}, 2, 0, {50, 60}},
                      PaletteCase{"FKeyRelease", 11, {50, 60}, 0, 0, {50}}),
    [](const ::testing::TestParamInfo<PaletteCase>& info) { return std::string(info.param.name); });

}  // namespace
